#pragma once

// The privacy permissions the library knows how to test and to ask for.

#include <cstdint>
#include <optional>

enum class XQPermissionAuthType : std::uint8_t {
    none = 0,            // no permission: granted for the manager's tests, never for a window row
    accessibility = 1,   // Accessibility
    fullDiskAccess = 2,  // Full Disk Access
    screenCapture = 3,   // Screen Recording
};

// The kind of a raw value; absent above 3.
constexpr std::optional<XQPermissionAuthType> XQPermissionAuthTypeFromRawValue(std::uint8_t rawValue) {
    if (rawValue > 3) return std::nullopt;
    return static_cast<XQPermissionAuthType>(rawValue);
}

constexpr std::uint8_t rawValue(XQPermissionAuthType type) { return static_cast<std::uint8_t>(type); }
