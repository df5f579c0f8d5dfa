#include "XQKit/AppEnvironment.h"

#include <charconv>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "XQKit/XQLog.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/Process.h"

namespace {

bool isSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

std::string trimmed(const std::string& s) {
    std::size_t b = 0, e = s.size();
    while (b < e && isSpace(s[b])) ++b;
    while (e > b && isSpace(s[e - 1])) --e;
    return s.substr(b, e - b);
}

std::vector<std::string> split(const std::string& s, char separator) {
    std::vector<std::string> pieces;
    std::size_t start = 0;
    while (true) {
        auto at = s.find(separator, start);
        pieces.push_back(s.substr(start, at == std::string::npos ? std::string::npos : at - start));
        if (at == std::string::npos) return pieces;
        start = at + 1;
    }
}

bool validUTF8(const std::string& s) {
    std::size_t i = 0;
    while (i < s.size()) {
        auto c = static_cast<unsigned char>(s[i]);
        std::size_t n = c < 0x80 ? 1 : (c & 0xE0) == 0xC0 ? 2 : (c & 0xF0) == 0xE0 ? 3 : (c & 0xF8) == 0xF0 ? 4 : 0;
        if (!n || i + n > s.size() || (n == 2 && c < 0xC2)) return false;
        for (std::size_t k = 1; k < n; ++k)
            if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
        i += n;
    }
    return true;
}

void log(const std::string& message) { XQLog(XQLogAt("AppRunningEnvironment"), message); }

int saturated(std::int64_t v) {
    return v > INT_MAX ? INT_MAX : v < INT_MIN ? INT_MIN : static_cast<int>(v);
}

}  // namespace

std::string rawValue(AppEnvironment environment) {
    switch (environment) {
        case AppEnvironment::appStore: return "App store";
        case AppEnvironment::testFlight: return "TestFlight";
        case AppEnvironment::developerID: return "Developer ID";
        case AppEnvironment::adHoc: return "Ad Hoc";
        case AppEnvironment::development: return "Development";
        default: return "Other";
    }
}

std::optional<AppEnvironment> AppEnvironmentFromRawValue(const std::string& raw) {
    for (auto e : {AppEnvironment::appStore, AppEnvironment::testFlight, AppEnvironment::developerID,
                   AppEnvironment::adHoc, AppEnvironment::development, AppEnvironment::other})
        if (rawValue(e) == raw) return e;
    return std::nullopt;
}

AppEnvironment appEnvironmentFromCodesignOutput(const std::string& output) {
    AppEnvironment result = AppEnvironment::other;
    for (const auto& line : split(output, '\n')) {
        if (!line.starts_with("Authority")) continue;
        std::string value = split(line, '=').back();
        if (value == "Apple Mac OS Application Signing")
            result = AppEnvironment::appStore;
        else if (value == "TestFlight Beta Distribution")
            result = AppEnvironment::testFlight;
        else if (value.starts_with("Developer ID Application"))
            result = AppEnvironment::developerID;
        else if (value.starts_with("Apple Distribution"))
            result = AppEnvironment::adHoc;
        else if (value.starts_with("Apple Development"))
            result = AppEnvironment::development;
    }
    return result;
}

AppEnvironment detectAppEnvironment(const std::string& bundlePath) {
    AppEnvironment result = AppEnvironment::other;
    auto process = std::make_shared<platform::Process>();
    process->executablePath = "/usr/bin/codesign";
    process->arguments = {"-dv", "--verbose=4", bundlePath};
    process->standardOutput = platform::Process::Stream::Pipe;
    process->standardError = platform::Process::Stream::ToOutput;
    std::string error;
    if (!process->run(&error)) {
        log("Get AppRunningEnvironment error: " + error);
    } else {
        process->waitUntilExit();
        std::string raw = process->outputData().toString();
        std::string output = validUTF8(raw) ? trimmed(raw) : std::string();
        if (process->terminationStatus() != 0 ||
            process->terminationReason() != platform::Process::TerminationReason::Exit) {
            log("Get AppRunningEnvironment error: " + output);
            return AppEnvironment::other;
        }
        result = appEnvironmentFromCodesignOutput(output);
    }
    log("当前App的运行环境为：" + rawValue(result));
    return result;
}

AppEnvironment AppRunningEnvironment() {
    static const AppEnvironment value = detectAppEnvironment(platform::Bundle::main()->bundlePath());
    return value;
}

bool IsTesting() {
    static const bool value = [] {
        auto e = AppRunningEnvironment();
        return e == AppEnvironment::testFlight || e == AppEnvironment::development;
    }();
    return value;
}

bool AppIsSanbox() {
    static const bool value = std::getenv("APP_SANDBOX_CONTAINER_ID") != nullptr;
    return value;
}

std::optional<platform::OperatingSystemVersion> OS::parseVersion(const std::string& text) {
    std::vector<std::int64_t> numbers;
    for (const auto& piece : split(text, '.')) {
        if (piece.empty()) continue;
        std::string_view digits = piece;
        bool negative = false;
        if (digits.front() == '+' || digits.front() == '-') {
            negative = digits.front() == '-';
            digits.remove_prefix(1);
        }
        if (digits.empty() || digits.find_first_not_of("0123456789") != std::string_view::npos) continue;
        std::int64_t value = 0;
        std::string signedText = (negative ? "-" : "") + std::string(digits);
        auto [end, ec] = std::from_chars(signedText.data(), signedText.data() + signedText.size(), value);
        if (ec != std::errc() || end != signedText.data() + signedText.size()) continue;
        numbers.push_back(value);
    }
    if (numbers.empty()) return std::nullopt;
    platform::OperatingSystemVersion version;
    version.majorVersion = saturated(numbers[0]);
    version.minorVersion = numbers.size() > 1 ? saturated(numbers[1]) : 0;
    version.patchVersion = numbers.size() > 2 ? saturated(numbers[2]) : 0;
    return version;
}

bool OS::is26OrLater() {
    static const bool value = platform::ProcessInfo::processInfo().isOperatingSystemAtLeast({26, 0, 0});
    return value;
}

std::string OS::currentVersion() {
    static const std::string value = [] {
        auto v = platform::ProcessInfo::processInfo().operatingSystemVersion();
        return std::to_string(v.majorVersion) + "." + std::to_string(v.minorVersion) + "." +
               std::to_string(v.patchVersion);
    }();
    return value;
}

bool OS::sameOrLater(const std::string& than) {
    auto version = parseVersion(than);
    return version && platform::ProcessInfo::processInfo().isOperatingSystemAtLeast(*version);
}

bool OS::between(const std::string& min, const std::string& max) {
    auto a = parseVersion(min), b = parseVersion(max);
    if (!a || !b) return false;
    auto c = platform::ProcessInfo::processInfo().operatingSystemVersion();
    return *a <= c && c < *b;
}
