#include "platform/foundation/Calendar.h"

#include <unicode/calendar.h>
#include <unicode/locid.h>

#include <cmath>
#include <map>
#include <mutex>

#include "platform/foundation/detail/ICU.h"

namespace platform {

struct Calendar::Impl {
    std::mutex mutex;  // ICU calendars keep working fields; one use at a time
    std::unique_ptr<icu::Calendar> calendar;
    Locale locale;

    Impl(std::unique_ptr<icu::Calendar> c, Locale l) : calendar(std::move(c)), locale(std::move(l)) {}
    std::unique_ptr<Impl> clone() {
        std::lock_guard lock(mutex);
        return std::make_unique<Impl>(std::unique_ptr<icu::Calendar>(calendar->clone()), locale);
    }
};

namespace {

constexpr double kMillisecondsPerSecond = 1000.0;

std::optional<UCalendarDateFields> icuField(Calendar::Component component) {
    using C = Calendar::Component;
    switch (component) {
        case C::era: return UCAL_ERA;
        case C::year: return UCAL_YEAR;
        case C::month: return UCAL_MONTH;
        case C::day: return UCAL_DATE;
        case C::hour: return UCAL_HOUR_OF_DAY;
        case C::minute: return UCAL_MINUTE;
        case C::second: return UCAL_SECOND;
        case C::weekday: return UCAL_DAY_OF_WEEK;
        case C::weekdayOrdinal: return UCAL_DAY_OF_WEEK_IN_MONTH;
        case C::weekOfMonth: return UCAL_WEEK_OF_MONTH;
        case C::weekOfYear: return UCAL_WEEK_OF_YEAR;
        case C::yearForWeekOfYear: return UCAL_YEAR_WOY;
        case C::nanosecond:
        case C::quarter: return std::nullopt;
    }
    return std::nullopt;
}

// The calendar's "fw" keyword ("@fw=mon"): a first weekday chosen apart from the region's.
void applyFirstWeekdayKeyword(icu::Calendar& calendar, const icu::Locale& locale) {
    UErrorCode status = U_ZERO_ERROR;
    char value[16] = {};
    locale.getKeywordValue("fw", value, sizeof value, status);
    if (U_FAILURE(status) || !*value) return;
    static const char* names[] = {"sun", "mon", "tue", "wed", "thu", "fri", "sat"};
    for (int i = 0; i < 7; ++i)
        if (std::string_view(value) == names[i]) calendar.setFirstDayOfWeek(static_cast<UCalendarDaysOfWeek>(i + 1));
}

std::unique_ptr<icu::Calendar> makeCalendar(const Locale& locale, const TimeZone& zone) {
    UErrorCode status = U_ZERO_ERROR;
    icu::Locale icuLocale(locale.identifier().c_str());
    std::unique_ptr<icu::Calendar> calendar(
        icu::Calendar::createInstance(zone.impl().zone->clone(), icuLocale, status));
    if (U_FAILURE(status) || !calendar) {
        status = U_ZERO_ERROR;
        calendar.reset(icu::Calendar::createInstance(zone.impl().zone->clone(), icu::Locale::getRoot(), status));
    }
    if (calendar) {
        applyFirstWeekdayKeyword(*calendar, icuLocale);
        calendar->setLenient(true);
    }
    return calendar;
}

// The date's milliseconds for ICU and the fraction of a millisecond ICU drops, to be put back.
struct SplitTime {
    UDate whole;
    double fraction;
};
SplitTime split(Date date) {
    UDate ms = detail::toUDate(date);
    UDate whole = std::floor(ms);
    return {whole, ms - whole};
}

}  // namespace

std::optional<int> Calendar::DateComponents::value(Component component) const {
    switch (component) {
        case Component::era: return era;
        case Component::year: return year;
        case Component::month: return month;
        case Component::day: return day;
        case Component::hour: return hour;
        case Component::minute: return minute;
        case Component::second: return second;
        case Component::nanosecond: return nanosecond;
        case Component::weekday: return weekday;
        case Component::weekdayOrdinal: return weekdayOrdinal;
        case Component::quarter: return quarter;
        case Component::weekOfMonth: return weekOfMonth;
        case Component::weekOfYear: return weekOfYear;
        case Component::yearForWeekOfYear: return yearForWeekOfYear;
    }
    return std::nullopt;
}

void Calendar::DateComponents::setValue(Component component, std::optional<int> value) {
    switch (component) {
        case Component::era: era = value; break;
        case Component::year: year = value; break;
        case Component::month: month = value; break;
        case Component::day: day = value; break;
        case Component::hour: hour = value; break;
        case Component::minute: minute = value; break;
        case Component::second: second = value; break;
        case Component::nanosecond: nanosecond = value; break;
        case Component::weekday: weekday = value; break;
        case Component::weekdayOrdinal: weekdayOrdinal = value; break;
        case Component::quarter: quarter = value; break;
        case Component::weekOfMonth: weekOfMonth = value; break;
        case Component::weekOfYear: weekOfYear = value; break;
        case Component::yearForWeekOfYear: yearForWeekOfYear = value; break;
    }
}

Calendar::Calendar(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
Calendar::Calendar(const Calendar& other) : impl_(other.impl_->clone()) {}
Calendar& Calendar::operator=(const Calendar& other) {
    if (this != &other) impl_ = other.impl_->clone();
    return *this;
}
Calendar::Calendar(Calendar&&) noexcept = default;
Calendar& Calendar::operator=(Calendar&&) noexcept = default;
Calendar::~Calendar() = default;

Calendar Calendar::current() {
    // Building an ICU calendar reads locale data; a ready one per locale and zone is kept per thread.
    thread_local std::map<std::string, std::unique_ptr<icu::Calendar>> prototypes;
    Locale locale = Locale::current();
    TimeZone zone = TimeZone::current();
    std::string key = locale.identifier() + '\n' + zone.identifier();
    auto found = prototypes.find(key);
    if (found == prototypes.end()) {
        if (prototypes.size() >= 16) prototypes.clear();
        found = prototypes.emplace(key, makeCalendar(locale, zone)).first;
    }
    return Calendar(std::make_unique<Impl>(std::unique_ptr<icu::Calendar>(found->second->clone()), locale));
}

std::optional<Calendar> Calendar::withIdentifier(std::string_view identifier) {
    if (identifier.empty() || identifier.find_first_of("@;=") != std::string_view::npos) return std::nullopt;
    Locale locale = Locale::current();
    icu::Locale base(locale.identifier().c_str());
    icu::Locale withCalendar(base);
    UErrorCode status = U_ZERO_ERROR;
    withCalendar.setKeywordValue("calendar", std::string(identifier).c_str(), status);
    if (U_FAILURE(status)) return std::nullopt;
    auto calendar = makeCalendar(Locale(withCalendar.getName()), TimeZone::current());
    if (!calendar || identifier != calendar->getType()) return std::nullopt;
    return Calendar(std::make_unique<Impl>(std::move(calendar), locale));
}

std::string Calendar::identifier() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->calendar->getType();
}

const Locale& Calendar::locale() const { return impl_->locale; }

TimeZone Calendar::timeZone() const {
    std::lock_guard lock(impl_->mutex);
    icu::UnicodeString id;
    return TimeZone::withIdentifier(detail::fromICU(impl_->calendar->getTimeZone().getID(id))).value_or(TimeZone::gmt());
}

void Calendar::setTimeZone(const TimeZone& zone) {
    std::lock_guard lock(impl_->mutex);
    impl_->calendar->setTimeZone(*zone.impl().zone);
}

int Calendar::firstWeekday() const {
    std::lock_guard lock(impl_->mutex);
    UErrorCode status = U_ZERO_ERROR;
    return impl_->calendar->getFirstDayOfWeek(status);
}

void Calendar::setFirstWeekday(int weekday) {
    if (weekday < 1 || weekday > 7) return;
    std::lock_guard lock(impl_->mutex);
    impl_->calendar->setFirstDayOfWeek(static_cast<UCalendarDaysOfWeek>(weekday));
}

int Calendar::minimumDaysInFirstWeek() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->calendar->getMinimalDaysInFirstWeek();
}

void Calendar::setMinimumDaysInFirstWeek(int days) {
    if (days < 1 || days > 7) return;
    std::lock_guard lock(impl_->mutex);
    impl_->calendar->setMinimalDaysInFirstWeek(static_cast<uint8_t>(days));
}

int Calendar::component(Component component, Date date) const {
    return dateComponents({component}, date).value(component).value_or(0);
}

Calendar::DateComponents Calendar::dateComponents(std::initializer_list<Component> components, Date date) const {
    DateComponents result;
    std::lock_guard lock(impl_->mutex);
    icu::Calendar& calendar = *impl_->calendar;
    UErrorCode status = U_ZERO_ERROR;
    calendar.setTime(split(date).whole, status);
    for (Component component : components) {
        std::optional<int> value;
        if (component == Component::nanosecond) {
            double seconds = date.timeIntervalSince1970();
            value = static_cast<int>((seconds - std::floor(seconds)) * 1e9);
        } else if (component == Component::quarter) {
            value = calendar.get(UCAL_MONTH, status) / 3 + 1;
        } else {
            value = calendar.get(*icuField(component), status);
            if (component == Component::month) *value += 1;
        }
        if (U_SUCCESS(status)) result.setValue(component, value);
    }
    return result;
}

Calendar::DateComponents Calendar::dateComponents(std::initializer_list<Component> components, Date from,
                                                  Date to) const {
    static const std::pair<Component, UCalendarDateFields> order[] = {
        {Component::era, UCAL_ERA},
        {Component::year, UCAL_YEAR},
        {Component::month, UCAL_MONTH},
        {Component::weekOfYear, UCAL_WEEK_OF_YEAR},
        {Component::weekOfMonth, UCAL_WEEK_OF_MONTH},
        {Component::day, UCAL_DATE},
        {Component::hour, UCAL_HOUR_OF_DAY},
        {Component::minute, UCAL_MINUTE},
        {Component::second, UCAL_SECOND},
    };
    auto wanted = [&](Component c) {
        for (Component w : components)
            if (w == c) return true;
        return false;
    };
    DateComponents result;
    std::lock_guard lock(impl_->mutex);
    icu::Calendar& calendar = *impl_->calendar;
    UErrorCode status = U_ZERO_ERROR;
    SplitTime start = split(from), end = split(to);
    calendar.setTime(start.whole, status);
    for (auto [component, field] : order) {
        if (!wanted(component)) continue;
        int32_t difference = calendar.fieldDifference(end.whole, field, status);
        if (U_FAILURE(status)) return result;
        result.setValue(component, difference);
    }
    if (wanted(Component::nanosecond)) {
        double rest = (end.whole - calendar.getTime(status)) + (end.fraction - start.fraction);
        if (U_SUCCESS(status)) result.nanosecond = static_cast<int>(rest * 1e6);
    }
    return result;
}

std::optional<Date> Calendar::date(const DateComponents& c) const {
    std::lock_guard lock(impl_->mutex);
    icu::Calendar& calendar = *impl_->calendar;
    calendar.clear();
    if (!c.year && !c.yearForWeekOfYear) calendar.set(UCAL_YEAR, 1);
    if (c.era) calendar.set(UCAL_ERA, *c.era);
    if (c.year) calendar.set(UCAL_YEAR, *c.year);
    if (c.yearForWeekOfYear) calendar.set(UCAL_YEAR_WOY, *c.yearForWeekOfYear);
    if (c.month) calendar.set(UCAL_MONTH, *c.month - 1);
    if (c.weekOfYear) calendar.set(UCAL_WEEK_OF_YEAR, *c.weekOfYear);
    if (c.weekOfMonth) calendar.set(UCAL_WEEK_OF_MONTH, *c.weekOfMonth);
    if (c.weekdayOrdinal) calendar.set(UCAL_DAY_OF_WEEK_IN_MONTH, *c.weekdayOrdinal);
    if (c.weekday) calendar.set(UCAL_DAY_OF_WEEK, *c.weekday);
    if (c.day) calendar.set(UCAL_DATE, *c.day);
    if (c.hour) calendar.set(UCAL_HOUR_OF_DAY, *c.hour);
    if (c.minute) calendar.set(UCAL_MINUTE, *c.minute);
    if (c.second) calendar.set(UCAL_SECOND, *c.second);
    UErrorCode status = U_ZERO_ERROR;
    UDate time = calendar.getTime(status);
    if (U_FAILURE(status)) return std::nullopt;
    Date result = detail::fromUDate(time);
    if (c.nanosecond) result = result.addingTimeInterval(*c.nanosecond / 1e9);
    return result;
}

std::optional<Date> Calendar::dateByAdding(Component component, int value, Date date) const {
    if (component == Component::nanosecond) return date.addingTimeInterval(value / 1e9);
    UCalendarDateFields field;
    switch (component) {
        case Component::weekday: field = UCAL_DATE; break;
        case Component::weekdayOrdinal:
        case Component::weekOfMonth: field = UCAL_WEEK_OF_MONTH; break;
        case Component::quarter:
            if (value > INT32_MAX / 3 || value < INT32_MIN / 3) return std::nullopt;
            value *= 3;
            field = UCAL_MONTH;
            break;
        default: field = *icuField(component);
    }
    std::lock_guard lock(impl_->mutex);
    icu::Calendar& calendar = *impl_->calendar;
    UErrorCode status = U_ZERO_ERROR;
    SplitTime time = split(date);
    calendar.setTime(time.whole, status);
    calendar.add(field, value, status);
    UDate moved = calendar.getTime(status);
    if (U_FAILURE(status)) return std::nullopt;
    return detail::fromUDate(moved + time.fraction);
}

std::optional<Calendar::DateInterval> Calendar::dateInterval(Component component, Date date) const {
    std::lock_guard lock(impl_->mutex);
    icu::Calendar& calendar = *impl_->calendar;
    UErrorCode status = U_ZERO_ERROR;
    UDate whole = split(date).whole;
    calendar.setTime(whole, status);

    // Units below a day are cut arithmetically from the local fields.
    auto fixed = [&](double start, double length) -> std::optional<DateInterval> {
        if (U_FAILURE(status)) return std::nullopt;
        return DateInterval{detail::fromUDate(start), length / kMillisecondsPerSecond};
    };
    int32_t ms = calendar.get(UCAL_MILLISECOND, status);
    int32_t second = calendar.get(UCAL_SECOND, status);
    int32_t minute = calendar.get(UCAL_MINUTE, status);
    switch (component) {
        case Component::nanosecond: return DateInterval{date, 0};
        case Component::second: return fixed(whole - ms, 1000.0);
        case Component::minute: return fixed(whole - ms - second * 1000.0, 60000.0);
        case Component::hour: return fixed(whole - ms - second * 1000.0 - minute * 60000.0, 3600000.0);
        default: break;
    }

    calendar.set(UCAL_HOUR_OF_DAY, 0);
    calendar.set(UCAL_MINUTE, 0);
    calendar.set(UCAL_SECOND, 0);
    calendar.set(UCAL_MILLISECOND, 0);
    UCalendarDateFields step;
    int stepCount = 1;
    switch (component) {
        case Component::day:
        case Component::weekday:
        case Component::weekdayOrdinal: step = UCAL_DATE; break;
        case Component::month: calendar.set(UCAL_DATE, 1); step = UCAL_MONTH; break;
        case Component::quarter: {
            int32_t month = calendar.get(UCAL_MONTH, status);
            calendar.set(UCAL_DATE, 1);
            calendar.add(UCAL_MONTH, -(month % 3), status);
            step = UCAL_MONTH;
            stepCount = 3;
            break;
        }
        case Component::year: calendar.set(UCAL_DAY_OF_YEAR, 1); step = UCAL_YEAR; break;
        case Component::era: return std::nullopt;
        case Component::weekOfMonth:
        case Component::weekOfYear: {
            int32_t back = (calendar.get(UCAL_DAY_OF_WEEK, status) - calendar.getFirstDayOfWeek(status) + 7) % 7;
            calendar.add(UCAL_DATE, -back, status);
            step = UCAL_DATE;
            stepCount = 7;
            break;
        }
        default: return std::nullopt;
    }
    UDate start = calendar.getTime(status);
    calendar.add(step, stepCount, status);
    UDate end = calendar.getTime(status);
    if (U_FAILURE(status)) return std::nullopt;
    return DateInterval{detail::fromUDate(start), (end - start) / kMillisecondsPerSecond};
}

std::optional<Calendar::Range> Calendar::range(Component smaller, Component larger, Date date) const {
    using C = Component;
    std::lock_guard lock(impl_->mutex);
    icu::Calendar& calendar = *impl_->calendar;
    UErrorCode status = U_ZERO_ERROR;
    calendar.setTime(split(date).whole, status);
    auto actual = [&](UCalendarDateFields field, int shift) -> std::optional<Range> {
        int32_t low = calendar.getActualMinimum(field, status), high = calendar.getActualMaximum(field, status);
        if (U_FAILURE(status)) return std::nullopt;
        return Range{low + shift, high + shift + 1};
    };
    if (smaller == C::day && larger == C::month) return actual(UCAL_DATE, 0);
    if (smaller == C::day && larger == C::year) return actual(UCAL_DAY_OF_YEAR, 0);
    if (smaller == C::month && larger == C::year) return actual(UCAL_MONTH, 1);
    if (smaller == C::weekOfMonth && larger == C::month) return actual(UCAL_WEEK_OF_MONTH, 0);
    if (smaller == C::weekOfYear && larger == C::year) return actual(UCAL_WEEK_OF_YEAR, 0);
    if (smaller == C::weekday && (larger == C::weekOfYear || larger == C::weekOfMonth)) return Range{1, 8};
    if (smaller == C::hour && larger == C::day) return Range{0, 24};
    if (smaller == C::minute && larger == C::hour) return Range{0, 60};
    if (smaller == C::second && larger == C::minute) return Range{0, 60};
    return std::nullopt;
}

Date Calendar::startOfDay(Date date) const {
    auto interval = dateInterval(Component::day, date);
    return interval ? interval->start : date;
}

}  // namespace platform
