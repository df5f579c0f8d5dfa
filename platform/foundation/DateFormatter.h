#pragma once

// Formats dates as text and parses text into dates with a fixed pattern ("yyyy-MM-dd HH:mm:ss"),
// a locale and a time zone. Backed by ICU. Making a formatter is cheap: the ICU formatter behind it
// is kept per thread by pattern, locale and time zone.

#include <optional>
#include <string>
#include <string_view>

#include "platform/foundation/Date.h"
#include "platform/foundation/Locale.h"
#include "platform/foundation/TimeZone.h"

namespace platform {

class DateFormatter {
public:
    // The current locale and time zone, and an empty pattern.
    DateFormatter();
    DateFormatter(Locale locale, TimeZone zone, std::string pattern = {})
        : dateFormat_(std::move(pattern)), locale_(std::move(locale)), timeZone_(std::move(zone)) {}

    const std::string& dateFormat() const { return dateFormat_; }
    void setDateFormat(std::string pattern) { dateFormat_ = std::move(pattern); }
    const Locale& locale() const { return locale_; }
    void setLocale(Locale locale) { locale_ = std::move(locale); }
    const TimeZone& timeZone() const { return timeZone_; }
    void setTimeZone(TimeZone zone) { timeZone_ = std::move(zone); }

    // The date in the pattern; empty when the pattern is not a valid date pattern.
    std::string string(Date date) const;
    // The date the whole text names; absent when the text does not fit the pattern, names a day that
    // does not exist (30 February), or goes on past it. Fields the pattern lacks default to
    // 2000-01-01 00:00:00.
    std::optional<Date> date(std::string_view text) const;

private:
    std::string dateFormat_;
    Locale locale_;
    TimeZone timeZone_;
};

}  // namespace platform
