#pragma once

// A geopolitical time zone ("Asia/Shanghai") or a fixed offset from GMT, with its rules for every
// date. Backed by ICU's time-zone data.

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/foundation/Date.h"

namespace platform {

class TimeZone {
public:
    // A zone known by that identifier ("Europe/Berlin", "UTC", "GMT+08:00"); absent for unknown names.
    static std::optional<TimeZone> withIdentifier(std::string_view identifier);
    // A fixed offset, east of GMT positive.
    static TimeZone withSecondsFromGMT(int seconds);
    static TimeZone gmt();
    // The user's zone as the environment says at this call: TZ ("Asia/Shanghai", ":Asia/Shanghai",
    // a path into the zone database, or a fixed POSIX form like "CST-8"; empty means UTC), or when TZ is
    // not set, the system's zone (/etc/localtime). A name nothing knows gives GMT.
    static TimeZone current();

    const std::string& identifier() const;
    int secondsFromGMT(Date date) const;

    friend bool operator==(const TimeZone& a, const TimeZone& b) { return a.identifier() == b.identifier(); }

    // The backing ICU zone (an icu::TimeZone), for the platform's own formatters and calendars.
    struct Impl;
    const Impl& impl() const { return *impl_; }

private:
    explicit TimeZone(std::shared_ptr<const Impl> impl) : impl_(std::move(impl)) {}
    std::shared_ptr<const Impl> impl_;
};

}  // namespace platform
