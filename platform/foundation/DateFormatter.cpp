#include "platform/foundation/DateFormatter.h"

#include <unicode/calendar.h>
#include <unicode/smpdtfmt.h>

#include <map>
#include <memory>

#include "platform/foundation/detail/ICU.h"

namespace platform {

namespace {

// Ready ICU formatters of this thread, by pattern, locale and time zone. Null for a pattern ICU refuses.
icu::SimpleDateFormat* formatterFor(const std::string& pattern, const Locale& locale, const TimeZone& zone) {
    thread_local std::map<std::string, std::unique_ptr<icu::SimpleDateFormat>, std::less<>> formatters;
    thread_local std::string key;
    key.assign(pattern).append(1, '\0').append(locale.identifier()).append(1, '\0').append(zone.identifier());
    auto found = formatters.find(key);
    if (found != formatters.end()) return found->second.get();

    if (formatters.size() >= 64) formatters.clear();
    UErrorCode status = U_ZERO_ERROR;
    auto formatter = std::make_unique<icu::SimpleDateFormat>(detail::toICU(pattern),
                                                             icu::Locale(locale.identifier().c_str()), status);
    if (U_FAILURE(status)) formatter.reset();
    if (formatter) {
        formatter->setTimeZone(*zone.impl().zone);
        formatter->setLenient(false);
    }
    return formatters.emplace(key, std::move(formatter)).first->second.get();
}

}  // namespace

DateFormatter::DateFormatter() : locale_(Locale::current()), timeZone_(TimeZone::current()) {}

std::string DateFormatter::string(Date date) const {
    icu::SimpleDateFormat* formatter = formatterFor(dateFormat_, locale_, timeZone_);
    if (!formatter) return {};
    icu::UnicodeString text;
    formatter->format(detail::toUDate(date), text);
    return detail::fromICU(text);
}

std::optional<Date> DateFormatter::date(std::string_view text) const {
    icu::SimpleDateFormat* formatter = formatterFor(dateFormat_, locale_, timeZone_);
    if (!formatter) return std::nullopt;
    icu::UnicodeString input = detail::toICU(text);
    std::unique_ptr<icu::Calendar> calendar(formatter->getCalendar()->clone());
    calendar->clear();
    calendar->set(2000, UCAL_JANUARY, 1, 0, 0, 0);
    icu::ParsePosition position(0);
    formatter->parse(input, *calendar, position);
    if (position.getErrorIndex() >= 0 || position.getIndex() != input.length()) return std::nullopt;
    UErrorCode status = U_ZERO_ERROR;
    UDate parsed = calendar->getTime(status);
    if (U_FAILURE(status)) return std::nullopt;
    return detail::fromUDate(parsed);
}

}  // namespace platform
