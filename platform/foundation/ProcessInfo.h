#pragma once

// Facts about this process and the system it runs on.

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace platform {

struct OperatingSystemVersion {
    int majorVersion = 0;
    int minorVersion = 0;
    int patchVersion = 0;
    friend auto operator<=>(const OperatingSystemVersion&, const OperatingSystemVersion&) = default;
};

class ProcessInfo {
public:
    static ProcessInfo& processInfo();

    std::map<std::string, std::string> environment() const;
    std::optional<std::string> environmentValue(const std::string& name) const;
    std::vector<std::string> arguments() const;
    int processIdentifier() const;
    std::string processName() const;
    std::string hostName() const;

    // The macOS version this process reports: XQ_SYSTEM_VERSION ("14.6.1", "26.0"), default 15.5.0.
    // Read when the process first asks; tests change it with setOperatingSystemVersion.
    OperatingSystemVersion operatingSystemVersion() const;
    std::string operatingSystemVersionString() const;
    bool isOperatingSystemAtLeast(OperatingSystemVersion version) const;
    void setOperatingSystemVersion(std::optional<OperatingSystemVersion> version);  // absent: from the environment

    static std::optional<OperatingSystemVersion> parseVersion(const std::string& text);

private:
    ProcessInfo() = default;
};

}  // namespace platform
