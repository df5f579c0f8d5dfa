#include "XQKit/DateExtensions.h"

#include <cstdint>

#include "platform/foundation/Calendar.h"
#include "platform/foundation/DateFormatter.h"
#include "platform/foundation/URL.h"

using platform::Calendar;
using platform::Date;
using Component = platform::Calendar::Component;

namespace {

constexpr std::string_view kWeekdayNames[] = {"Monday", "Tuesday", "Wednesday", "Thursday",
                                              "Friday", "Saturday", "Sunday"};

// The fields every member reads, from one extraction.
Calendar::DateComponents fields(const Calendar& calendar, Date date) {
    return calendar.dateComponents({Component::year, Component::month, Component::day, Component::weekday,
                                    Component::weekOfYear, Component::weekOfMonth, Component::hour,
                                    Component::minute, Component::second},
                                   date);
}

Calendar::DateComponents fields(Date date) { return fields(Calendar::current(), date); }

Date moved(const Calendar& calendar, Component component, int value, Date date) {
    return calendar.dateByAdding(component, value, date).value_or(date);
}

int week(const Calendar& calendar, Date date) {
    auto f = fields(calendar, date);
    if (f.day == 1 && f.month == 1) return 1;
    return fields(calendar, moved(calendar, Component::day, -1, date)).weekOfYear.value_or(0);
}

platform::DateFormatter posixFormatter(std::string_view format) {
    return platform::DateFormatter(platform::Locale::posix(), platform::TimeZone::current(), std::string(format));
}

bool isGregorianLeapYear(long long year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

}  // namespace

std::string_view rawValue(Weekday weekday) { return kWeekdayNames[static_cast<int>(weekday)]; }

std::optional<Weekday> weekdayFromRawValue(std::string_view rawValue) {
    for (int i = 0; i < 7; ++i)
        if (kWeekdayNames[i] == rawValue) return static_cast<Weekday>(i);
    return std::nullopt;
}

int year(Date date) { return fields(date).year.value_or(0); }
int month(Date date) { return fields(date).month.value_or(0); }
int day(Date date) { return fields(date).day.value_or(0); }
int hour(Date date) { return fields(date).hour.value_or(0); }
int minute(Date date) { return fields(date).minute.value_or(0); }
int second(Date date) { return fields(date).second.value_or(0); }
int weekOfMonth(Date date) { return fields(date).weekOfMonth.value_or(0); }

int week(Date date) { return week(Calendar::current(), date); }

Weekday weekday(Date date) {
    if (auto named = weekdayFromRawValue(string(date, "EEEE"))) return *named;
    // The POSIX locale always names the day in English; this is the same answer from the calendar.
    int sundayFirst = Calendar::current().component(Component::weekday, date);
    return static_cast<Weekday>((sundayFirst + 5) % 7);
}

int daysInMonth(Date date) {
    auto range = Calendar::current().range(Component::day, Component::month, date);
    return range ? range->count() : 0;
}

int daysInYear(Date date) { return daysInYear(year(date)); }

int daysInYear(int year) {
    Calendar calendar = Calendar::current();
    Calendar::DateComponents thisYear, nextYear;
    thisYear.year = year;
    if (year < INT32_MAX) nextYear.year = year + 1;
    auto start = calendar.date(thisYear);
    auto end = nextYear.year ? calendar.date(nextYear) : std::nullopt;
    if (start && end) {
        if (auto days = calendar.dateComponents({Component::day}, *start, *end).day) return *days;
    }
    return isGregorianLeapYear(year) ? 366 : 365;
}

Date dateAdd(Date date, int days) { return moved(Calendar::current(), Component::day, days, date); }
Date yesterday(Date date) { return dateAdd(date, -1); }
Date dayOfPreviousMonth(Date date) { return moved(Calendar::current(), Component::month, -1, date); }
Date dayOfNextMonth(Date date) { return moved(Calendar::current(), Component::month, 1, date); }

std::vector<Date> datesOfWeek(Date date) {
    Calendar calendar = Calendar::current();
    // w is 1 (Sunday) to 7 (Saturday); k is how many days the week began before the date. A Sunday-first
    // calendar gets Monday-based weeks, in which a Sunday is the last day: counting it as the day before
    // the week (w - 2 = -1) would give a week that does not hold the date.
    int w = calendar.component(Component::weekday, date);
    int k = calendar.firstWeekday() == 1 ? (w + 5) % 7 : w - 1;
    Date start = moved(calendar, Component::day, -k, date);
    std::vector<Date> dates;
    dates.reserve(7);
    for (int i = 0; i < 7; ++i) dates.push_back(moved(calendar, Component::day, i, start));
    return dates;
}

std::string string(Date date, std::string_view format) { return posixFormatter(format).string(date); }

std::string string(double timestamp, std::string_view format) {
    return string(Date::fromUnixTime(timestamp), format);
}

std::optional<Date> date(std::string_view string, std::string_view format, bool chinaTimeZone) {
    if (!platform::isValidUTF8(string)) return std::nullopt;
    auto formatter = posixFormatter(format);
    if (chinaTimeZone) {
        if (auto shanghai = platform::TimeZone::withIdentifier("Asia/Shanghai")) formatter.setTimeZone(*shanghai);
    }
    return formatter.date(string);
}

bool sameYear(Date date, Date with) {
    Calendar calendar = Calendar::current();
    return fields(calendar, date).year == fields(calendar, with).year;
}

bool sameMonth(Date date, Date with) {
    Calendar calendar = Calendar::current();
    auto a = fields(calendar, date), b = fields(calendar, with);
    return a.year == b.year && a.month == b.month;
}

bool sameWeek(Date date, Date with) {
    Calendar calendar = Calendar::current();
    auto a = fields(calendar, date), b = fields(calendar, with);
    return a.year == b.year && a.month == b.month && week(calendar, date) == week(calendar, with);
}

bool sameDay(Date date, Date with) {
    Calendar calendar = Calendar::current();
    auto a = fields(calendar, date), b = fields(calendar, with);
    return a.year == b.year && a.month == b.month && a.day == b.day;
}

bool sameHour(Date date, Date with) {
    Calendar calendar = Calendar::current();
    auto a = fields(calendar, date), b = fields(calendar, with);
    return a.year == b.year && a.month == b.month && a.day == b.day && a.hour == b.hour;
}

bool sameMinute(Date date, Date with) {
    Calendar calendar = Calendar::current();
    auto a = fields(calendar, date), b = fields(calendar, with);
    return a.year == b.year && a.month == b.month && a.day == b.day && a.hour == b.hour && a.minute == b.minute;
}

Date firstDayOfMonth(Date now) {
    auto interval = Calendar::current().dateInterval(Component::month, now);
    return interval ? interval->start : now;
}

Date lastDayOfMonth(Date now) {
    Calendar calendar = Calendar::current();
    auto interval = calendar.dateInterval(Component::month, now);
    return interval ? moved(calendar, Component::day, -1, interval->end()) : now;
}

Date firstDayOfCurrentMonth() { return firstDayOfMonth(Date::now()); }
Date lastDayOfCurrentMonth() { return lastDayOfMonth(Date::now()); }

