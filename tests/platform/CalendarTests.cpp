#include <gtest/gtest.h>

#include <string>

#include "platform/foundation/Calendar.h"
#include "platform/foundation/DateFormatter.h"
#include "platform/foundation/Locale.h"
#include "platform/foundation/TimeZone.h"
#include "support/TestSupport.h"

using platform::Calendar;
using platform::Date;
using platform::DateFormatter;
using platform::Locale;
using platform::TimeZone;
using xqtest::ScopedEnv;
using Component = Calendar::Component;

namespace {

struct Environment {
    ScopedEnv all{"LC_ALL", std::nullopt}, time{"LC_TIME", std::nullopt}, lang{"LANG", std::nullopt},
        tz{"TZ", std::nullopt};
};

std::string show(Date date, const std::string& pattern = "yyyy-MM-dd HH:mm") {
    DateFormatter formatter;
    formatter.setLocale(Locale::posix());
    formatter.setDateFormat(pattern);
    return formatter.string(date);
}

Date at(const std::string& text) {
    DateFormatter formatter;
    formatter.setLocale(Locale::posix());
    formatter.setDateFormat("yyyy-MM-dd HH:mm");
    auto date = formatter.date(text);
    EXPECT_TRUE(date) << text;
    return date.value_or(Date());
}

}  // namespace

TEST(Locale, CurrentComesFromTheEnvironmentInPOSIXForm) {
    struct Case {
        const char* name;
        const char* identifier;
    };
    for (const Case& c : {Case{"de_DE.UTF-8", "de_DE"}, Case{"de_DE.UTF-8@euro", "de_DE"}, Case{"C", "en_US_POSIX"},
                          Case{"C.UTF-8", "en_US_POSIX"}, Case{"POSIX", "en_US_POSIX"}, Case{"", "en_US_POSIX"},
                          Case{"zh_CN", "zh_CN"}, Case{"en_GB@fw=sun", "en_GB@fw=sun"},
                          Case{"th_TH.UTF-8@calendar=gregorian", "th_TH@calendar=gregorian"}})
        EXPECT_EQ(platform::localeIdentifierFromPOSIXName(c.name), c.identifier) << c.name;

    Environment env;
    EXPECT_EQ(Locale::current().identifier(), "en_US_POSIX");
    ScopedEnv lang("LANG", "fr_FR.UTF-8");
    EXPECT_EQ(Locale::current().identifier(), "fr_FR");
    ScopedEnv time("LC_TIME", "de_CH.UTF-8");
    EXPECT_EQ(Locale::current().identifier(), "de_CH");
    ScopedEnv all("LC_ALL", "ja_JP.UTF-8");
    EXPECT_EQ(Locale::current().identifier(), "ja_JP");
}

TEST(TimeZone, CurrentComesFromTZInEveryForm) {
    Environment env;
    struct Case {
        const char* tz;
        const char* identifier;
        int offset;  // at 2024-01-15 UTC
    };
    for (const Case& c : {Case{"Asia/Shanghai", "Asia/Shanghai", 8 * 3600}, Case{":Asia/Shanghai", "Asia/Shanghai", 8 * 3600},
                          Case{"/usr/share/zoneinfo/Europe/Berlin", "Europe/Berlin", 3600}, Case{"UTC", "UTC", 0},
                          Case{"", "GMT", 0}, Case{"America/New_York", "America/New_York", -5 * 3600},
                          Case{"CST-8", "GMT+08:00", 8 * 3600}, Case{"<+0530>-5:30", "GMT+05:30", 19800},
                          Case{"Nowhere/Atlantis", "GMT", 0}}) {
        ScopedEnv tz("TZ", c.tz);
        TimeZone zone = TimeZone::current();
        EXPECT_EQ(zone.identifier(), c.identifier) << c.tz;
        EXPECT_EQ(zone.secondsFromGMT(Date::fromUnixTime(1705276800)), c.offset) << c.tz;
    }
}

TEST(TimeZone, KnownIdentifiersAndFixedOffsets) {
    EXPECT_FALSE(TimeZone::withIdentifier("Not/AZone"));
    EXPECT_FALSE(TimeZone::withIdentifier(""));
    auto york = TimeZone::withIdentifier("America/New_York");
    ASSERT_TRUE(york);
    EXPECT_EQ(york->secondsFromGMT(Date::fromUnixTime(1705276800)), -5 * 3600);  // January
    EXPECT_EQ(york->secondsFromGMT(Date::fromUnixTime(1720000000)), -4 * 3600);  // July
    EXPECT_EQ(TimeZone::withSecondsFromGMT(8 * 3600).identifier(), "GMT+08:00");
    EXPECT_EQ(TimeZone::withSecondsFromGMT(-(3 * 3600 + 1800)).secondsFromGMT(Date()), -(3 * 3600 + 1800));
    EXPECT_EQ(TimeZone::gmt().secondsFromGMT(Date()), 0);
}

TEST(Calendar, FirstWeekdayAndKindFollowTheLocale) {
    Environment env;
    ScopedEnv tz("TZ", "UTC");
    struct Case {
        const char* lang;
        const char* identifier;
        int firstWeekday;
    };
    for (const Case& c : {Case{"en_US.UTF-8", "gregorian", 1}, Case{"de_DE.UTF-8", "gregorian", 2},
                          Case{"en_GB.UTF-8", "gregorian", 2}, Case{"en_US@fw=mon", "gregorian", 2},
                          Case{"de_DE@fw=sun", "gregorian", 1}, Case{"th_TH.UTF-8", "buddhist", 1},
                          Case{"ja_JP@calendar=japanese", "japanese", 1}, Case{"C", "gregorian", 1}}) {
        ScopedEnv lang("LANG", c.lang);
        Calendar calendar = Calendar::current();
        EXPECT_EQ(calendar.identifier(), c.identifier) << c.lang;
        EXPECT_EQ(calendar.firstWeekday(), c.firstWeekday) << c.lang;
    }
}

TEST(Calendar, ByIdentifier) {
    Environment env;
    EXPECT_EQ(Calendar::withIdentifier("japanese")->identifier(), "japanese");
    EXPECT_EQ(Calendar::withIdentifier("gregorian")->identifier(), "gregorian");
    EXPECT_FALSE(Calendar::withIdentifier("nonsense"));
    EXPECT_FALSE(Calendar::withIdentifier(""));
    EXPECT_FALSE(Calendar::withIdentifier("gregorian@fw=mon"));
}

TEST(Calendar, CopiesAreIndependent) {
    Environment env;
    ScopedEnv tz("TZ", "UTC");
    Calendar a = Calendar::current();
    Calendar b = a;
    b.setTimeZone(*TimeZone::withIdentifier("Asia/Tokyo"));
    b.setFirstWeekday(2);
    EXPECT_EQ(a.timeZone().identifier(), "UTC");
    EXPECT_EQ(b.timeZone().identifier(), "Asia/Tokyo");
    EXPECT_EQ(a.firstWeekday(), 1);
    EXPECT_EQ(a.component(Component::hour, Date::fromUnixTime(0)), 0);
    EXPECT_EQ(b.component(Component::hour, Date::fromUnixTime(0)), 9);
}

TEST(Calendar, DatesFromComponentsCarryOver) {
    Environment env;
    ScopedEnv tz("TZ", "UTC");
    Calendar calendar = Calendar::current();
    Calendar::DateComponents c;
    c.year = 2024;
    c.month = 1;
    c.day = 32;
    c.hour = 25;
    EXPECT_EQ(show(*calendar.date(c)), "2024-02-02 01:00");
    Calendar::DateComponents onlyYear;
    onlyYear.year = 2024;
    EXPECT_EQ(show(*calendar.date(onlyYear)), "2024-01-01 00:00");
}

TEST(Calendar, IntervalsRangesAndDifferences) {
    Environment env;
    ScopedEnv tz("TZ", "Europe/Berlin");
    Calendar calendar = Calendar::current();
    Date date = at("2024-03-31 14:45");  // the clocks go forward at 02:00 that day
    auto day = calendar.dateInterval(Component::day, date);
    ASSERT_TRUE(day);
    EXPECT_EQ(show(day->start), "2024-03-31 00:00");
    EXPECT_EQ(day->duration, 23 * 3600.0);
    auto month = calendar.dateInterval(Component::month, date);
    EXPECT_EQ(show(month->start), "2024-03-01 00:00");
    EXPECT_EQ(show(month->end()), "2024-04-01 00:00");
    EXPECT_EQ(show(calendar.dateInterval(Component::year, date)->start), "2024-01-01 00:00");
    EXPECT_EQ(show(calendar.dateInterval(Component::hour, date)->start), "2024-03-31 14:00");
    EXPECT_EQ(show(calendar.dateInterval(Component::weekOfYear, date)->start), "2024-03-31 00:00");  // Sunday-first
    EXPECT_EQ(calendar.range(Component::day, Component::month, at("2024-02-10 00:00"))->count(), 29);
    EXPECT_EQ(calendar.range(Component::day, Component::year, date)->count(), 366);
    EXPECT_FALSE(calendar.range(Component::year, Component::day, date));
    auto difference = calendar.dateComponents({Component::day}, at("2024-01-01 00:00"), at("2025-01-01 00:00"));
    EXPECT_EQ(difference.day, 366);
}

TEST(Calendar, StartOfADayWithoutMidnight) {
    Environment env;
    ScopedEnv tz("TZ", "America/Sao_Paulo");  // 2018-11-04 began at 01:00
    Calendar calendar = Calendar::current();
    Date start = calendar.startOfDay(at("2018-11-04 12:00"));
    EXPECT_EQ(show(start), "2018-11-04 01:00");
}

TEST(DateFormatter, KeepsItsOwnSettings) {
    Environment env;
    ScopedEnv tz("TZ", "UTC");
    DateFormatter formatter;
    formatter.setDateFormat("EEEE HH:mm");
    formatter.setLocale(Locale("de_DE"));
    formatter.setTimeZone(*TimeZone::withIdentifier("Asia/Tokyo"));
    EXPECT_EQ(formatter.string(Date::fromUnixTime(0)), "Donnerstag 09:00");
    auto parsed = formatter.date("Donnerstag 09:00");
    ASSERT_TRUE(parsed);
    EXPECT_EQ(show(*parsed, "yyyy-MM-dd HH:mm"), "2000-01-01 00:00");  // 09:00 in Tokyo
}
