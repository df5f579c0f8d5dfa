#pragma once

// Private to the platform layer: the ICU objects behind the platform's time zones, and conversions
// between the platform's texts, dates and ranges and ICU's.

#include <unicode/timezone.h>
#include <unicode/unistr.h>

#include <memory>
#include <string>
#include <string_view>

#include "platform/foundation/Date.h"
#include "platform/foundation/TimeZone.h"

namespace platform {

struct TimeZone::Impl {
    std::unique_ptr<icu::TimeZone> zone;
    std::string identifier;
};

namespace detail {

// UTF-8 in (each invalid sequence read as U+FFFD), UTF-16 out, and back.
inline icu::UnicodeString toICU(std::string_view text) {
    return icu::UnicodeString::fromUTF8(icu::StringPiece(text.data(), static_cast<int32_t>(text.size())));
}

inline std::string fromICU(const icu::UnicodeString& text) {
    std::string out;
    text.toUTF8String(out);
    return out;
}

inline UDate toUDate(Date date) { return date.timeIntervalSince1970() * 1000.0; }
inline Date fromUDate(UDate milliseconds) { return Date::fromUnixTime(milliseconds / 1000.0); }

}  // namespace detail
}  // namespace platform
