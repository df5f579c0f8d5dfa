#pragma once

// How this application was distributed and where it runs: the kind of signing of its bundle (read
// once from `codesign`), whether it is a test build, whether it runs in an app sandbox, and the
// system version with comparisons against version texts. Every value is computed on first use and
// kept for the life of the process.

#include <cstddef>
#include <functional>
#include <optional>
#include <string>

#include "platform/foundation/ProcessInfo.h"

enum class AppEnvironment { appStore, testFlight, developerID, adHoc, development, other };

// "App store", "TestFlight", "Developer ID", "Ad Hoc", "Development", "Other".
std::string rawValue(AppEnvironment environment);
// Exact, case-sensitive match of the six raw values; absent for anything else.
std::optional<AppEnvironment> AppEnvironmentFromRawValue(const std::string& raw);

template <>
struct std::hash<AppEnvironment> {
    std::size_t operator()(AppEnvironment e) const noexcept { return std::hash<std::string>()(rawValue(e)); }
};

// The signing kind of the main bundle, from "/usr/bin/codesign -dv --verbose=4 <bundle>".
AppEnvironment AppRunningEnvironment();
// True for testFlight and development builds.
bool IsTesting();
// True when the environment holds APP_SANDBOX_CONTAINER_ID.
bool AppIsSanbox();

// The steps behind AppRunningEnvironment, uncached: runs codesign on `bundlePath` and logs.
AppEnvironment detectAppEnvironment(const std::string& bundlePath);
// The decision on codesign's output: the last "Authority" line that names a known certificate.
AppEnvironment appEnvironmentFromCodesignOutput(const std::string& output);

struct OS {
    static bool is26OrLater();
    // "14.6.1": major, minor and patch of the running system.
    static std::string currentVersion();
    // Whether the running system is at least version `than`; false when `than` is not a version.
    static bool sameOrLater(const std::string& than);
    // min <= running < max; false when either text is not a version.
    static bool between(const std::string& min, const std::string& max);
    // "13.x.2" -> 13.2.0; absent when no piece is a number.
    static std::optional<platform::OperatingSystemVersion> parseVersion(const std::string& text);
};
