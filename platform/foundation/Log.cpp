#include "platform/foundation/Log.h"

#define SD_JOURNAL_SUPPRESS_LOCATION
#include <sys/syscall.h>
#include <systemd/sd-journal.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <ctime>

#include "platform/foundation/ProcessInfo.h"

namespace platform {

namespace {

std::string timestamp(int fractionDigits, bool withZone) {
    using namespace std::chrono;
    auto now = system_clock::now();
    auto seconds = system_clock::to_time_t(now);
    auto micros = duration_cast<microseconds>(now.time_since_epoch()).count() % 1000000;
    std::tm parts{};
    localtime_r(&seconds, &parts);
    char base[32], zone[8] = "";
    std::strftime(base, sizeof base, "%Y-%m-%d %H:%M:%S", &parts);
    if (withZone) std::strftime(zone, sizeof zone, "%z", &parts);
    char fraction[16];
    if (fractionDigits == 3)
        std::snprintf(fraction, sizeof fraction, ".%03lld", static_cast<long long>(micros / 1000));
    else
        std::snprintf(fraction, sizeof fraction, ".%06lld", static_cast<long long>(micros));
    return std::string(base) + fraction + zone;
}

void writeLine(std::string line) {
    if (line.empty() || line.back() != '\n') line += '\n';
    std::size_t done = 0;
    while (done < line.size()) {
        ssize_t n = ::write(2, line.data() + done, line.size() - done);
        if (n <= 0) return;
        done += static_cast<std::size_t>(n);
    }
}

bool journalReachable() {
    if (const char* forced = std::getenv("XQ_LOG_TO_STDERR"); forced && *forced && *forced != '0') return false;
    return ::access("/run/systemd/journal/socket", W_OK) == 0;
}

}  // namespace

void NSLog(const std::string& message) {
    auto& info = ProcessInfo::processInfo();
    writeLine(timestamp(3, false) + " " + info.processName() + "[" + std::to_string(info.processIdentifier()) + ":" +
              std::to_string(static_cast<long>(::syscall(SYS_gettid))) + "] " + message);
}

OSLog::OSLog(std::string subsystem, std::string category)
    : subsystem_(std::move(subsystem)), category_(std::move(category)) {}

void OSLog::log(const std::string& message) const {
    if (journalReachable()) {
        int rc = sd_journal_send("MESSAGE=%s", message.c_str(), "PRIORITY=%i", 5, "XQ_SUBSYSTEM=%s", subsystem_.c_str(),
                                 "XQ_CATEGORY=%s", category_.c_str(), "SYSLOG_IDENTIFIER=%s",
                                 ProcessInfo::processInfo().processName().c_str(), nullptr);
        if (rc >= 0) return;
    }
    auto& info = ProcessInfo::processInfo();
    writeLine(timestamp(6, true) + " Default " + info.processName() + "[" + std::to_string(info.processIdentifier()) +
              "] [" + subsystem_ + ":" + category_ + "] " + message);
}

}  // namespace platform
