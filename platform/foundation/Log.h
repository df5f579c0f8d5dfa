#pragma once

// The two system logs. The unified log goes to the systemd journal when one is reachable (and
// XQ_LOG_TO_STDERR is not set), otherwise to standard error in the form `log stream` prints; the
// console log goes to standard error with a time and process prefix, the way NSLog writes it.
// Each line is written with a single write, so lines from several threads do not interleave.

#include <string>

namespace platform {

// "2026-12-11 09:17:14.123 TorvaneTool[1234:5678] message"
void NSLog(const std::string& message);

class OSLog {
public:
    OSLog(std::string subsystem, std::string category);
    // A message at the default level.
    void log(const std::string& message) const;
    const std::string& subsystem() const { return subsystem_; }
    const std::string& category() const { return category_; }

private:
    std::string subsystem_;
    std::string category_;
};

}  // namespace platform
