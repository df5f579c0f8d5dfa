#pragma once

// A range of a text: a location and a length, counted in UTF-16 code units as the platform's string
// ranges are. `kNotFound` is the location of a range that names nothing (a capture group that did not
// take part in a match).

#include <cstdint>
#include <limits>

namespace platform {

struct Range {
    static constexpr std::int64_t kNotFound = std::numeric_limits<std::int64_t>::max();

    std::int64_t location = 0;
    std::int64_t length = 0;

    constexpr std::int64_t upperBound() const { return location + length; }
    friend constexpr bool operator==(const Range&, const Range&) = default;
};

}  // namespace platform
