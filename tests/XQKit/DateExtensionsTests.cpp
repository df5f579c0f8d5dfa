#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <unordered_set>
#include <vector>

#include "XQKit/DateExtensions.h"
#include "support/TestSupport.h"

using platform::Date;

namespace {

// The user's locale and time zone for one test.
class UserSettings {
public:
    UserSettings(const std::string& lang, const std::string& tz)
        : all_("LC_ALL", std::nullopt), time_("LC_TIME", std::nullopt), lang_("LANG", lang), tz_("TZ", tz) {}

private:
    xqtest::ScopedEnv all_, time_, lang_, tz_;
};

// A wall-clock time in the current time zone.
Date at(const std::string& text) {
    auto parsed = date(text, text.size() > 10 ? "yyyy-MM-dd HH:mm" : "yyyy-MM-dd");
    EXPECT_TRUE(parsed) << text;
    return parsed.value_or(Date());
}

std::string show(Date date) { return string(date, "yyyy-MM-dd HH:mm"); }

}  // namespace

TEST(Weekday, RawValuesAreTheSevenEnglishNamesExactly) {
    EXPECT_EQ(rawValue(Weekday::monday), "Monday");
    EXPECT_EQ(rawValue(Weekday::sunday), "Sunday");
    for (auto w : {Weekday::monday, Weekday::tuesday, Weekday::wednesday, Weekday::thursday, Weekday::friday,
                   Weekday::saturday, Weekday::sunday})
        EXPECT_EQ(weekdayFromRawValue(rawValue(w)), w);
    for (const char* bad : {"monday", "MONDAY", "Mon", "", " Monday", "Montag"})
        EXPECT_FALSE(weekdayFromRawValue(bad)) << bad;
    EXPECT_EQ(std::hash<Weekday>()(Weekday::friday), std::hash<std::string_view>()("Friday"));
    std::unordered_set<Weekday> set{Weekday::monday, Weekday::monday, Weekday::sunday};
    EXPECT_EQ(set.size(), 2u);
}

TEST(DateFields, WeekdayIsEnglishWhateverTheUserLanguage) {
    for (const char* lang : {"en_US.UTF-8", "de_DE.UTF-8", "zh_CN.UTF-8", "ar_EG.UTF-8", "C"}) {
        UserSettings user(lang, "Asia/Shanghai");
        const char* days[] = {"2024-01-01", "2024-01-02", "2024-01-03", "2024-01-04",
                              "2024-01-05", "2024-01-06", "2024-01-07"};
        for (int i = 0; i < 7; ++i) EXPECT_EQ(weekday(at(days[i])), static_cast<Weekday>(i)) << lang << " " << days[i];
    }
}

TEST(DateFields, ComeFromTheCurrentCalendarAndTimeZone) {
    Date instant = Date::fromUnixTime(1709251200 + 3 * 3600 + 25 * 60 + 9);  // 2024-03-01 03:25:09 UTC
    {
        UserSettings user("en_US.UTF-8", "UTC");
        EXPECT_EQ(year(instant), 2024);
        EXPECT_EQ(month(instant), 3);
        EXPECT_EQ(day(instant), 1);
        EXPECT_EQ(hour(instant), 3);
        EXPECT_EQ(minute(instant), 25);
        EXPECT_EQ(second(instant), 9);
        EXPECT_EQ(weekOfMonth(instant), 1);
    }
    {
        UserSettings user("en_US.UTF-8", "America/Los_Angeles");  // still 29 February there
        EXPECT_EQ(month(instant), 2);
        EXPECT_EQ(day(instant), 29);
        EXPECT_EQ(hour(instant), 19);
        EXPECT_EQ(weekOfMonth(instant), 5);
    }
}

TEST(Week, SundayFirstCalendarNumbersMondayBasedWeeks) {
    UserSettings user("en_US.UTF-8", "America/New_York");
    struct Case {
        const char* day;
        int week;
    };
    for (const Case& c : {
             Case{"2023-01-01", 1},  // a Sunday: 1 January is always week 1
             Case{"2023-01-02", 1},  // Monday
             Case{"2023-01-07", 1},  // Saturday
             Case{"2023-01-08", 1},  // Sunday: the same number as the Saturday before it
             Case{"2023-01-09", 2},  // Monday: the next number
             Case{"2024-01-01", 1},  // a Monday
             Case{"2024-01-06", 1},
             Case{"2024-01-07", 1},
             Case{"2024-01-08", 2},
             Case{"2022-01-01", 1},  // a Saturday
             Case{"2022-01-02", 1},  // Sunday: the Saturday before is in week 1
             Case{"2022-01-03", 2},
             Case{"2024-12-31", 1},  // the day before lies in the calendar's first week of 2025
         })
        EXPECT_EQ(week(at(c.day)), c.week) << c.day;
}

TEST(Week, MondayFirstCalendarShiftsByTheDayBefore) {
    UserSettings user("de_DE.UTF-8", "Europe/Berlin");
    struct Case {
        const char* day;
        int week;
    };
    for (const Case& c : {Case{"2024-01-01", 1}, Case{"2024-01-07", 1}, Case{"2024-01-08", 1}, Case{"2024-01-09", 2},
                          Case{"2021-01-01", 1}, Case{"2021-01-02", 53}})
        EXPECT_EQ(week(at(c.day)), c.week) << c.day;
}

TEST(DateParsing, TextsThatDoNotFitAreAbsent) {
    UserSettings user("en_US.UTF-8", "UTC");
    struct Case {
        const char* text;
        const char* format;
        bool fits;
    };
    for (const Case& c : {
             Case{"2024-02-29", "yyyy-MM-dd", true},
             Case{"2024-02-30", "yyyy-MM-dd", false},
             Case{"2023-02-29", "yyyy-MM-dd", false},
             Case{"2024-04-31", "yyyy-MM-dd", false},
             Case{"2024-13-01", "yyyy-MM-dd", false},
             Case{"2024-01-01 24:00", "yyyy-MM-dd HH:mm", false},
             Case{"2024-01-01x", "yyyy-MM-dd", false},
             Case{"x2024-01-01", "yyyy-MM-dd", false},
             Case{"", "yyyy-MM-dd", false},
             Case{"2024-01-01", "", false},
             Case{"2024/01/01", "yyyy-MM-dd", false},
             Case{"\xff\xfe", "yyyy", false},
             Case{"Wednesday, 3 January 2024", "EEEE, d MMMM yyyy", true},
             Case{"Mittwoch, 3 Januar 2024", "EEEE, d MMMM yyyy", false},
         })
        EXPECT_EQ(date(c.text, c.format).has_value(), c.fits) << c.text << " | " << c.format;
}

TEST(DateParsing, ChinaTimeZoneReadsTheWallClockInUTCPlus8) {
    UserSettings user("en_US.UTF-8", "America/New_York");
    auto china = date("2024-03-01 08:00:00", "yyyy-MM-dd HH:mm:ss", true);
    ASSERT_TRUE(china);
    EXPECT_EQ(china->timeIntervalSince1970(), 1709251200.0);
    auto local = date("2024-03-01 08:00:00", "yyyy-MM-dd HH:mm:ss");
    ASSERT_TRUE(local);
    EXPECT_EQ(local->timeIntervalSince1970(), 1709251200.0 + 13 * 3600);
}

TEST(DateParsing, MissingFieldsDefaultToTheYear2000) {
    UserSettings user("en_US.UTF-8", "UTC");
    auto time = date("12:30", "HH:mm");
    ASSERT_TRUE(time);
    EXPECT_EQ(string(*time, "yyyy-MM-dd HH:mm"), "2000-01-01 12:30");
}

TEST(DateFormatting, UsesThePOSIXLocaleAndTheCurrentTimeZone) {
    {
        UserSettings user("fr_FR.UTF-8", "UTC");
        EXPECT_EQ(string(0.0, "yyyy-MM-dd HH:mm:ss"), "1970-01-01 00:00:00");
        EXPECT_EQ(string(0.0, "EEEE d MMMM yyyy"), "Thursday 1 January 1970");
        EXPECT_EQ(string(Date::fromUnixTime(1709251200.25), "HH:mm:ss.SSS"), "00:00:00.250");
    }
    {
        UserSettings user("zh_CN.UTF-8", "Asia/Shanghai");
        EXPECT_EQ(string(0.0, "yyyy-MM-dd HH:mm:ss"), "1970-01-01 08:00:00");
        EXPECT_EQ(string(0.0, "'literal' yyyy"), "literal 1970");
    }
    UserSettings user("en_US.UTF-8", "UTC");
    EXPECT_EQ(string(0.0, ""), "");
}

TEST(DaysInYear, LeapRules) {
    UserSettings user("en_US.UTF-8", "Europe/London");
    struct Case {
        int year, days;
    };
    for (const Case& c : {Case{2000, 366}, Case{1900, 365}, Case{2024, 366}, Case{2023, 365}, Case{2100, 365},
                          Case{1600, 366}, Case{2400, 366}, Case{1996, 366}})
        EXPECT_EQ(daysInYear(c.year), c.days) << c.year;
    EXPECT_EQ(daysInYear(at("2024-07-01")), 366);
    EXPECT_EQ(daysInYear(at("2023-07-01")), 365);
    // Years far outside the calendar's range still answer.
    for (int year : {INT32_MAX, INT32_MIN}) {
        int days = daysInYear(year);
        EXPECT_TRUE(days == 365 || days == 366) << year;
    }
}

TEST(DaysInMonth, LengthOfTheDatesMonth) {
    UserSettings user("en_US.UTF-8", "UTC");
    struct Case {
        const char* day;
        int days;
    };
    for (const Case& c : {Case{"2024-02-10", 29}, Case{"2023-02-10", 28}, Case{"1900-02-01", 28},
                          Case{"2000-02-28", 29}, Case{"2024-04-30", 30}, Case{"2024-01-31", 31}, Case{"2024-12-01", 31}})
        EXPECT_EQ(daysInMonth(at(c.day)), c.days) << c.day;
}

TEST(Moving, DaysAndMonthsCarryOverAndKeepTheTimeOfDay) {
    UserSettings user("en_US.UTF-8", "America/New_York");
    EXPECT_EQ(show(dateAdd(at("2024-01-31 10:30"), 1)), "2024-02-01 10:30");
    EXPECT_EQ(show(dateAdd(at("2024-01-01 10:30"), -1)), "2023-12-31 10:30");
    EXPECT_EQ(show(dateAdd(at("2024-01-01 10:30"), 366)), "2025-01-01 10:30");
    EXPECT_EQ(show(yesterday(at("2024-03-01 00:00"))), "2024-02-29 00:00");
    EXPECT_EQ(show(dayOfNextMonth(at("2024-01-31 09:00"))), "2024-02-29 09:00");
    EXPECT_EQ(show(dayOfPreviousMonth(at("2024-03-31 09:00"))), "2024-02-29 09:00");
    EXPECT_EQ(show(dayOfPreviousMonth(at("2024-01-15 09:00"))), "2023-12-15 09:00");
    // Across the spring change of clocks: the next day at the same wall time, 23 hours later.
    Date before = at("2024-03-09 12:00");
    Date after = dateAdd(before, 1);
    EXPECT_EQ(show(after), "2024-03-10 12:00");
    EXPECT_EQ(after.timeIntervalSince(before), 23 * 3600.0);
}

TEST(DatesOfWeek, SundayFirstCalendarRunsMondayToSunday) {
    UserSettings user("en_US.UTF-8", "UTC");
    struct Case {
        const char* date;
        const char* first;
        const char* last;
    };
    for (const Case& c : {
             Case{"2024-01-03 15:45", "2024-01-01 15:45", "2024-01-07 15:45"},  // a Wednesday
             Case{"2024-01-01 15:45", "2024-01-01 15:45", "2024-01-07 15:45"},  // a Monday starts its week
             Case{"2024-01-07 08:00", "2024-01-01 08:00", "2024-01-07 08:00"},  // a Sunday ends it
             Case{"2024-03-03 23:59", "2024-02-26 23:59", "2024-03-03 23:59"},
         }) {
        auto week = datesOfWeek(at(c.date));
        ASSERT_EQ(week.size(), 7u);
        EXPECT_EQ(show(week.front()), c.first) << c.date;
        EXPECT_EQ(show(week.back()), c.last) << c.date;
        for (std::size_t i = 1; i < week.size(); ++i) EXPECT_EQ(week[i].timeIntervalSince(week[i - 1]), 86400.0);
    }
    // The list is the week `week` numbers: all seven days share the date's number.
    for (const char* day : {"2024-05-05 12:00", "2024-05-06 12:00", "2024-05-11 12:00"}) {
        Date date = at(day);
        for (Date member : datesOfWeek(date)) EXPECT_EQ(week(member), week(date)) << day << " / " << show(member);
    }
}

TEST(DatesOfWeek, OtherCalendarsRunSundayToSaturday) {
    for (const char* lang : {"de_DE.UTF-8", "en_US@fw=mon"}) {
        UserSettings user(lang, "UTC");
        auto week = datesOfWeek(at("2024-01-03 15:45"));
        EXPECT_EQ(show(week.front()), "2023-12-31 15:45") << lang;
        EXPECT_EQ(show(week.back()), "2024-01-06 15:45") << lang;
        EXPECT_EQ(show(datesOfWeek(at("2024-01-07 08:00")).front()), "2024-01-07 08:00") << lang;
    }
}

TEST(SamePeriod, ComparesCalendarFields) {
    UserSettings user("en_US.UTF-8", "Asia/Shanghai");
    struct Case {
        const char *a, *b;
        bool year, month, week, day, hour, minute;
    };
    for (const Case& c : {
             Case{"2024-05-06 10:20", "2024-05-06 10:20", true, true, true, true, true, true},
             Case{"2024-05-06 10:20", "2024-05-06 10:59", true, true, true, true, true, false},
             Case{"2024-05-06 10:20", "2024-05-06 11:20", true, true, true, true, false, false},
             Case{"2024-05-06 10:20", "2024-05-07 10:20", true, true, true, false, false, false},
             Case{"2024-05-06 10:20", "2024-05-13 10:20", true, true, false, false, false, false},
             Case{"2024-05-06 10:20", "2024-06-06 10:20", true, false, false, false, false, false},
             Case{"2024-05-06 10:20", "2023-05-06 10:20", false, false, false, false, false, false},
             // One Monday-based week, two months: not the same week.
             Case{"2025-03-31 09:00", "2025-04-01 09:00", true, false, false, false, false, false},
             // Sunday belongs with the Saturday before it.
             Case{"2024-05-11 09:00", "2024-05-12 09:00", true, true, true, false, false, false},
             Case{"2024-05-12 09:00", "2024-05-13 09:00", true, true, false, false, false, false},
         }) {
        Date a = at(c.a), b = at(c.b);
        SCOPED_TRACE(std::string(c.a) + " / " + c.b);
        EXPECT_EQ(sameYear(a, b), c.year);
        EXPECT_EQ(sameMonth(a, b), c.month);
        EXPECT_EQ(sameWeek(a, b), c.week);
        EXPECT_EQ(sameDay(a, b), c.day);
        EXPECT_EQ(sameHour(a, b), c.hour);
        EXPECT_EQ(sameMinute(a, b), c.minute);
    }
}

TEST(CurrentMonth, FirstAndLastDayAtMidnight) {
    UserSettings user("en_US.UTF-8", "Asia/Shanghai");
    EXPECT_EQ(show(firstDayOfMonth(at("2024-02-15 13:00"))), "2024-02-01 00:00");
    EXPECT_EQ(show(lastDayOfMonth(at("2024-02-15 13:00"))), "2024-02-29 00:00");
    EXPECT_EQ(show(lastDayOfMonth(at("2023-02-15 13:00"))), "2023-02-28 00:00");
    EXPECT_EQ(show(lastDayOfMonth(at("2024-12-31 23:59"))), "2024-12-31 00:00");
    EXPECT_EQ(show(firstDayOfMonth(at("2024-12-01 00:00"))), "2024-12-01 00:00");

    Date now = Date::now();
    Date first = firstDayOfCurrentMonth(), last = lastDayOfCurrentMonth();
    EXPECT_LE(first, now);
    EXPECT_EQ(day(first), 1);
    EXPECT_EQ(string(first, "HH:mm:ss"), "00:00:00");
    EXPECT_EQ(day(last), daysInMonth(now));
    EXPECT_TRUE(sameMonth(first, last));
}

TEST(DateExtensions, SafeOnSeveralThreadsAtOnce) {
    UserSettings user("en_US.UTF-8", "Asia/Shanghai");
    std::atomic<int> wrong{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&, t] {
            for (int i = 0; i < 200; ++i) {
                std::string text = "2024-0" + std::to_string(1 + (i + t) % 9) + "-15 10:30";
                auto parsed = date(text, "yyyy-MM-dd HH:mm");
                if (!parsed || string(*parsed, "yyyy-MM-dd HH:mm") != text || day(*parsed) != 15 ||
                    datesOfWeek(*parsed).size() != 7)
                    ++wrong;
            }
        });
    for (auto& thread : threads) thread.join();
    EXPECT_EQ(wrong.load(), 0);
}
