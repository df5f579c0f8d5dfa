#include "platform/foundation/TimeZone.h"

#include <cstdio>
#include <cstdlib>
#include <optional>

#include <unicode/simpletz.h>

#include "platform/foundation/detail/ICU.h"

namespace platform {

namespace {

std::shared_ptr<const TimeZone::Impl> makeImpl(std::unique_ptr<icu::TimeZone> zone) {
    auto impl = std::make_shared<TimeZone::Impl>();
    impl->zone = std::move(zone);
    icu::UnicodeString id;
    impl->identifier = detail::fromICU(impl->zone->getID(id));
    return impl;
}

bool isUnknown(const icu::TimeZone& zone) { return zone == icu::TimeZone::getUnknown(); }

// "CST-8", "UTC0", "<+0330>-3:30": a name and an offset west of GMT, without daylight-saving rules.
std::optional<int> posixFixedOffset(std::string_view text) {
    std::size_t i = 0;
    if (i < text.size() && text[i] == '<') {
        auto close = text.find('>');
        if (close == std::string_view::npos) return std::nullopt;
        i = close + 1;
    } else {
        while (i < text.size() && ((text[i] >= 'A' && text[i] <= 'Z') || (text[i] >= 'a' && text[i] <= 'z'))) ++i;
        if (i < 3) return std::nullopt;
    }
    int sign = 1;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) sign = text[i++] == '-' ? -1 : 1;
    int parts[3] = {0, 0, 0}, count = 0;
    while (count < 3) {
        std::size_t start = i;
        int value = 0;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9' && i - start < 2) value = value * 10 + (text[i++] - '0');
        if (i == start) return std::nullopt;
        parts[count++] = value;
        if (i < text.size() && text[i] == ':') {
            ++i;
            continue;
        }
        break;
    }
    if (i != text.size() || parts[0] > 24 || parts[1] > 59 || parts[2] > 59) return std::nullopt;
    return -sign * (parts[0] * 3600 + parts[1] * 60 + parts[2]);
}

TimeZone zoneFromEnvironment(const char* tz) {
    if (!tz) {
        std::unique_ptr<icu::TimeZone> host(icu::TimeZone::detectHostTimeZone());
        icu::UnicodeString id;
        return TimeZone::withIdentifier(detail::fromICU(host->getID(id))).value_or(TimeZone::gmt());
    }
    std::string_view name(tz);
    if (name.empty()) return TimeZone::gmt();
    if (name.front() == ':') name.remove_prefix(1);
    if (auto at = name.find("zoneinfo/"); at != std::string_view::npos) name = name.substr(at + 9);
    if (auto zone = TimeZone::withIdentifier(name)) return *zone;
    if (auto offset = posixFixedOffset(name)) return TimeZone::withSecondsFromGMT(*offset);
    return TimeZone::gmt();
}

}  // namespace

std::optional<TimeZone> TimeZone::withIdentifier(std::string_view identifier) {
    if (identifier.empty()) return std::nullopt;
    std::unique_ptr<icu::TimeZone> zone(icu::TimeZone::createTimeZone(detail::toICU(identifier)));
    if (!zone || isUnknown(*zone)) return std::nullopt;
    return TimeZone(makeImpl(std::move(zone)));
}

TimeZone TimeZone::withSecondsFromGMT(int seconds) {
    int magnitude = seconds < 0 ? -seconds : seconds;
    if (magnitude > 18 * 3600) magnitude = 18 * 3600;
    char id[32];
    std::snprintf(id, sizeof id, "GMT%c%02d:%02d:%02d", seconds < 0 ? '-' : '+', magnitude / 3600,
                  magnitude / 60 % 60, magnitude % 60);
    std::string name(id);
    if (magnitude % 60 == 0) name.resize(9);  // "GMT+08:00"
    if (magnitude == 0) name = "GMT";
    return TimeZone(makeImpl(
        std::make_unique<icu::SimpleTimeZone>((seconds < 0 ? -magnitude : magnitude) * 1000, detail::toICU(name))));
}

TimeZone TimeZone::gmt() {
    static const TimeZone zone(makeImpl(std::unique_ptr<icu::TimeZone>(icu::TimeZone::getGMT()->clone())));
    return zone;
}

TimeZone TimeZone::current() {
    // Reading the environment is cheap; building a zone is not, so the last one is kept per thread.
    thread_local std::optional<std::string> lastSetting;
    thread_local bool lastWasSet = false;
    thread_local std::optional<TimeZone> lastZone;
    const char* tz = std::getenv("TZ");
    if (lastZone && lastWasSet == (tz != nullptr) && (!tz || *lastSetting == tz)) return *lastZone;
    lastZone = zoneFromEnvironment(tz);
    lastWasSet = tz != nullptr;
    lastSetting = tz ? std::optional<std::string>(tz) : std::nullopt;
    return *lastZone;
}

const std::string& TimeZone::identifier() const { return impl_->identifier; }

int TimeZone::secondsFromGMT(Date date) const {
    int32_t raw = 0, dst = 0;
    UErrorCode status = U_ZERO_ERROR;
    impl_->zone->getOffset(detail::toUDate(date), false, raw, dst, status);
    if (U_FAILURE(status)) return 0;
    return (raw + dst) / 1000;
}

}  // namespace platform
