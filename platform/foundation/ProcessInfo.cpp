#include "platform/foundation/ProcessInfo.h"

#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <sstream>

extern char** environ;

namespace platform {

namespace {
// The reported version is packed into one word so it can be read from any thread without a lock.
std::atomic<std::int64_t> gVersionOverride{-1};

std::int64_t pack(OperatingSystemVersion v) {
    return (static_cast<std::int64_t>(v.majorVersion) << 32) | (static_cast<std::int64_t>(v.minorVersion) << 16) |
           static_cast<std::int64_t>(v.patchVersion & 0xFFFF);
}
OperatingSystemVersion unpack(std::int64_t packed) {
    return {static_cast<int>(packed >> 32), static_cast<int>((packed >> 16) & 0xFFFF), static_cast<int>(packed & 0xFFFF)};
}
}  // namespace

ProcessInfo& ProcessInfo::processInfo() {
    static ProcessInfo info;
    return info;
}

std::map<std::string, std::string> ProcessInfo::environment() const {
    std::map<std::string, std::string> result;
    for (char** entry = environ; entry && *entry; ++entry) {
        std::string text = *entry;
        auto equals = text.find('=');
        if (equals == std::string::npos) continue;
        result.emplace(text.substr(0, equals), text.substr(equals + 1));
    }
    return result;
}

std::optional<std::string> ProcessInfo::environmentValue(const std::string& name) const {
    const char* value = std::getenv(name.c_str());
    if (!value) return std::nullopt;
    return std::string(value);
}

std::vector<std::string> ProcessInfo::arguments() const {
    std::vector<std::string> result;
    std::ifstream in("/proc/self/cmdline", std::ios::binary);
    std::string arg;
    while (std::getline(in, arg, '\0')) result.push_back(arg);
    return result;
}

int ProcessInfo::processIdentifier() const { return static_cast<int>(getpid()); }

std::string ProcessInfo::processName() const {
    std::ifstream in("/proc/self/comm");
    std::string name;
    std::getline(in, name);
    return name;
}

std::string ProcessInfo::hostName() const {
    char name[256] = {};
    gethostname(name, sizeof name - 1);
    return name;
}

std::optional<OperatingSystemVersion> ProcessInfo::parseVersion(const std::string& text) {
    OperatingSystemVersion version;
    int* parts[] = {&version.majorVersion, &version.minorVersion, &version.patchVersion};
    std::size_t index = 0, position = 0;
    while (position <= text.size() && index < 3) {
        auto dot = text.find('.', position);
        std::string piece = text.substr(position, dot == std::string::npos ? std::string::npos : dot - position);
        if (piece.empty() || piece.size() > 5) return std::nullopt;
        for (char c : piece)
            if (c < '0' || c > '9') return std::nullopt;
        *parts[index++] = std::stoi(piece);
        if (dot == std::string::npos) break;
        position = dot + 1;
        if (index == 3) return std::nullopt;  // more than three parts
    }
    if (index == 0) return std::nullopt;
    return version;
}

OperatingSystemVersion ProcessInfo::operatingSystemVersion() const {
    std::int64_t packed = gVersionOverride.load(std::memory_order_relaxed);
    if (packed >= 0) return unpack(packed);
    static const OperatingSystemVersion fromEnvironment = [] {
        const char* text = std::getenv("XQ_SYSTEM_VERSION");
        if (text)
            if (auto parsed = parseVersion(text)) return *parsed;
        return OperatingSystemVersion{15, 5, 0};
    }();
    return fromEnvironment;
}

std::string ProcessInfo::operatingSystemVersionString() const {
    auto v = operatingSystemVersion();
    std::ostringstream text;
    text << "Version " << v.majorVersion << "." << v.minorVersion;
    if (v.patchVersion) text << "." << v.patchVersion;
    return text.str();
}

bool ProcessInfo::isOperatingSystemAtLeast(OperatingSystemVersion version) const {
    return operatingSystemVersion() >= version;
}

void ProcessInfo::setOperatingSystemVersion(std::optional<OperatingSystemVersion> version) {
    gVersionOverride.store(version ? pack(*version) : -1);
}

}  // namespace platform
