#pragma once

// A point in time, counted in seconds from the platform's reference date, 2001-01-01 00:00:00 UTC.

#include <compare>
#include <string>

namespace platform {

class Date {
public:
    static constexpr double kIntervalBetween1970AndReferenceDate = 978307200.0;

    constexpr Date() = default;
    static constexpr Date fromReferenceInterval(double seconds) { return Date(seconds); }
    static constexpr Date fromUnixTime(double seconds) {
        return Date(seconds - kIntervalBetween1970AndReferenceDate);
    }
    // The current wall-clock time.
    static Date now();

    constexpr double timeIntervalSinceReferenceDate() const { return seconds_; }
    constexpr double timeIntervalSince1970() const { return seconds_ + kIntervalBetween1970AndReferenceDate; }
    constexpr double timeIntervalSince(Date other) const { return seconds_ - other.seconds_; }
    constexpr Date addingTimeInterval(double seconds) const { return Date(seconds_ + seconds); }

    // The platform's description, in UTC: "2001-01-01 00:00:00 +0000".
    std::string description() const;

    friend constexpr auto operator<=>(const Date&, const Date&) = default;

private:
    constexpr explicit Date(double seconds) : seconds_(seconds) {}
    double seconds_ = 0;
};

}  // namespace platform
