#pragma once

// A calendar (Gregorian, Buddhist, Japanese, ...) with a locale, a time zone and a first weekday,
// answering calendar fields of dates, building dates from fields, and moving dates by fields. Backed
// by ICU. A Calendar is a value: copies are independent, and one may be used from several threads.

#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/foundation/Date.h"
#include "platform/foundation/Locale.h"
#include "platform/foundation/TimeZone.h"

namespace platform {

class Calendar {
public:
    enum class Component {
        era, year, month, day, hour, minute, second, nanosecond,
        weekday, weekdayOrdinal, quarter, weekOfMonth, weekOfYear, yearForWeekOfYear,
    };

    // Fields of a date; months count from 1, weekdays from 1 (Sunday) to 7 (Saturday).
    struct DateComponents {
        std::optional<int> era, year, month, day, hour, minute, second, nanosecond, weekday, weekdayOrdinal,
            quarter, weekOfMonth, weekOfYear, yearForWeekOfYear;
        std::optional<int> value(Component component) const;
        void setValue(Component component, std::optional<int> value);
    };

    struct DateInterval {
        Date start;
        double duration = 0;
        Date end() const { return start.addingTimeInterval(duration); }
    };

    // A half-open range of field values, [lowerBound, upperBound).
    struct Range {
        int lowerBound = 0, upperBound = 0;
        int count() const { return upperBound - lowerBound; }
    };

    // The user's calendar now: the current locale's calendar and first weekday, in the current time zone.
    static Calendar current();
    // A calendar by identifier ("gregorian", "buddhist", "japanese", "islamic", ...) with the current
    // locale's week rules and the current time zone; absent for names ICU does not know.
    static std::optional<Calendar> withIdentifier(std::string_view identifier);

    Calendar(const Calendar& other);
    Calendar& operator=(const Calendar& other);
    Calendar(Calendar&&) noexcept;
    Calendar& operator=(Calendar&&) noexcept;
    ~Calendar();

    std::string identifier() const;
    const Locale& locale() const;
    TimeZone timeZone() const;
    void setTimeZone(const TimeZone& zone);
    int firstWeekday() const;  // 1 = Sunday ... 7 = Saturday
    void setFirstWeekday(int weekday);
    int minimumDaysInFirstWeek() const;
    void setMinimumDaysInFirstWeek(int days);

    int component(Component component, Date date) const;
    DateComponents dateComponents(std::initializer_list<Component> components, Date date) const;
    // The differences between two dates in the given components, largest first.
    DateComponents dateComponents(std::initializer_list<Component> components, Date from, Date to) const;
    // The date the components name; fields not given take their smallest value. Values out of their
    // usual range carry over (day 32 of January is 1 February).
    std::optional<Date> date(const DateComponents& components) const;
    // The date moved by `value` of a component, higher components carrying over; the time of day
    // stays where it can.
    std::optional<Date> dateByAdding(Component component, int value, Date date) const;
    // The span of the component (a year, month, week, day, hour, ...) that holds the date.
    std::optional<DateInterval> dateInterval(Component component, Date date) const;
    // The values `smaller` can take within the `larger` unit holding the date (days in its month).
    std::optional<Range> range(Component smaller, Component larger, Date date) const;
    Date startOfDay(Date date) const;

private:
    struct Impl;
    explicit Calendar(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

}  // namespace platform
