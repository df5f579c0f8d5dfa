#pragma once

// Calendar fields, week numbers, weekday names, fixed-format parsing and formatting, month and year
// arithmetic and same-period comparisons for dates. Calendar work uses the user's current calendar
// and time zone as the platform reports them at each call; formats use the POSIX locale, so patterns
// are read literally and names are English. Safe on any thread.

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/foundation/Date.h"

enum class Weekday { monday, tuesday, wednesday, thursday, friday, saturday, sunday };

// "Monday" ... "Sunday".
std::string_view rawValue(Weekday weekday);
// The weekday with exactly that raw value; absent for any other text.
std::optional<Weekday> weekdayFromRawValue(std::string_view rawValue);

// Calendar fields of the date.
int year(platform::Date date);
int month(platform::Date date);
int day(platform::Date date);
int hour(platform::Date date);
int minute(platform::Date date);
int second(platform::Date date);
int weekOfMonth(platform::Date date);
// The week number with weeks beginning on Monday (in a Sunday-first calendar); 1 January is week 1.
int week(platform::Date date);
// The English weekday name of the date, read as a Weekday.
Weekday weekday(platform::Date date);
int daysInMonth(platform::Date date);
int daysInYear(platform::Date date);

// Moves by calendar days or months; higher fields carry over, the time of day stays.
platform::Date dateAdd(platform::Date date, int days);
platform::Date yesterday(platform::Date date);
platform::Date dayOfPreviousMonth(platform::Date date);
platform::Date dayOfNextMonth(platform::Date date);
// The seven days of the week holding the date, at its time of day: Monday to Sunday in a Sunday-first
// calendar (so a Sunday ends its week, as `week` numbers it), otherwise Sunday to Saturday.
std::vector<platform::Date> datesOfWeek(platform::Date date);

// The date in the pattern ("yyyy-MM-dd HH:mm:ss"), in the current time zone.
std::string string(platform::Date date, std::string_view format);
// That instant (seconds since 1970) in the pattern.
std::string string(double timestamp, std::string_view format);
// The date the text names in the pattern, in the current time zone or, with `chinaTimeZone`, in
// Asia/Shanghai; absent when the text does not fit the pattern or is not UTF-8.
std::optional<platform::Date> date(std::string_view string, std::string_view format, bool chinaTimeZone = false);

bool sameYear(platform::Date date, platform::Date with);
bool sameMonth(platform::Date date, platform::Date with);
// Same month and same `week` number: two days of one week in different months are not the same week.
bool sameWeek(platform::Date date, platform::Date with);
bool sameDay(platform::Date date, platform::Date with);
bool sameHour(platform::Date date, platform::Date with);
bool sameMinute(platform::Date date, platform::Date with);

// Midnight at the start of the first, and of the last, day of the current month; now when the
// calendar cannot say.
platform::Date firstDayOfCurrentMonth();
platform::Date lastDayOfCurrentMonth();
// The same for the month holding `now`.
platform::Date firstDayOfMonth(platform::Date now);
platform::Date lastDayOfMonth(platform::Date now);
// 365 or 366.
int daysInYear(int year);

template <>
struct std::hash<Weekday> {
    std::size_t operator()(Weekday weekday) const noexcept {
        return std::hash<std::string_view>()(rawValue(weekday));
    }
};
