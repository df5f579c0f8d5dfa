#pragma once

// A private D-Bus session bus for one test: a dbus-daemon of our own on a socket in a temporary
// folder, made the process's DBUS_SESSION_BUS_ADDRESS for the scope (so child processes use it too)
// and stopped afterwards. The distributed notification center is pointed at it on entry and away
// from it on exit.

#include <memory>
#include <map>
#include <string>
#include <vector>
#include <sys/types.h>

#include "support/TestSupport.h"

namespace xqtest {

class PrivateBus {
public:
    PrivateBus();
    ~PrivateBus();
    PrivateBus(const PrivateBus&) = delete;
    PrivateBus& operator=(const PrivateBus&) = delete;

    bool running() const { return pid_ > 0 && !address_.empty(); }
    const std::string& address() const { return address_; }

private:
    std::string folder_, address_;
    pid_t pid_ = -1;
    std::unique_ptr<ScopedEnv> env_;
};

// An address where no bus listens, for tests of a process without a session bus.
class NoBus {
public:
    NoBus();
    ~NoBus();

private:
    std::unique_ptr<ScopedEnv> env_;
};

// Another program running beside the test, its standard output read line by line while the main
// run loop keeps going (so this process's own notifications are delivered meanwhile). It is
// terminated and reaped when the object goes.
class PeerProcess {
public:
    // With `withError`, standard error is read too, mixed into the same lines.
    explicit PeerProcess(const std::vector<std::string>& argv, const std::map<std::string, std::string>& env = {},
                         bool withError = false);
    ~PeerProcess();
    PeerProcess(const PeerProcess&) = delete;
    PeerProcess& operator=(const PeerProcess&) = delete;

    bool started() const { return pid_ > 0; }
    // Runs the main run loop until a line equal to `line` has been read (or `timeout` real seconds).
    bool waitForLine(const std::string& line, double timeout = 20.0);
    // Runs until `count` lines have been read in all.
    bool waitForLines(std::size_t count, double timeout = 20.0);
    // Waits for the exit; answers the exit status (-1 on time-out).
    int wait(double timeout = 20.0);
    const std::vector<std::string>& lines() const { return lines_; }

private:
    void readAvailable();
    pid_t pid_ = -1;
    int fd_ = -1;
    std::string partial_;
    std::vector<std::string> lines_;
    int status_ = -1;
};

// The test helper program that talks through XQCFNotificationCenter.
std::string peerProgram();

}  // namespace xqtest
