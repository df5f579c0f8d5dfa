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

namespace xq {

using platform::Date;

enum class Weekday { monday, tuesday, wednesday, thursday, friday, saturday, sunday };

// "Monday" ... "Sunday".
std::string_view rawValue(Weekday weekday);
// The weekday with exactly that raw value; absent for any other text.
std::optional<Weekday> weekdayFromRawValue(std::string_view rawValue);

// Calendar fields of the date.
int year(Date date);
int month(Date date);
int day(Date date);
int hour(Date date);
int minute(Date date);
int second(Date date);
int weekOfMonth(Date date);
// The week number with weeks beginning on Monday (in a Sunday-first calendar); 1 January is week 1.
int week(Date date);
// The English weekday name of the date, read as a Weekday.
Weekday weekday(Date date);
int daysInMonth(Date date);
int daysInYear(Date date);

// Moves by calendar days or months; higher fields carry over, the time of day stays.
Date dateAdd(Date date, int days);
Date yesterday(Date date);
Date dayOfPreviousMonth(Date date);
Date dayOfNextMonth(Date date);
// The seven days of the date's week, at its time of day: Monday to Sunday in a Sunday-first calendar
// (a Sunday belongs to the week starting the next day), otherwise Sunday to Saturday.
std::vector<Date> datesOfWeek(Date date);

// The date in the pattern ("yyyy-MM-dd HH:mm:ss"), in the current time zone.
std::string string(Date date, std::string_view format);
// That instant (seconds since 1970) in the pattern.
std::string string(double timestamp, std::string_view format);
// The date the text names in the pattern, in the current time zone or, with `chinaTimeZone`, in
// Asia/Shanghai; absent when the text does not fit the pattern or is not UTF-8.
std::optional<Date> date(std::string_view string, std::string_view format, bool chinaTimeZone = false);

bool sameYear(Date date, Date with);
bool sameMonth(Date date, Date with);
// Same month and same `week` number: two days of one week in different months are not the same week.
bool sameWeek(Date date, Date with);
bool sameDay(Date date, Date with);
bool sameHour(Date date, Date with);
bool sameMinute(Date date, Date with);

// Midnight at the start of the first, and of the last, day of the current month; now when the
// calendar cannot say.
Date firstDayOfCurrentMonth();
Date lastDayOfCurrentMonth();
// The same for the month holding `now`.
Date firstDayOfMonth(Date now);
Date lastDayOfMonth(Date now);
// 365 or 366.
int daysInYear(int year);

}  // namespace xq

template <>
struct std::hash<xq::Weekday> {
    std::size_t operator()(xq::Weekday weekday) const noexcept {
        return std::hash<std::string_view>()(xq::rawValue(weekday));
    }
};
