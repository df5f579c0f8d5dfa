#pragma once

// A private D-Bus session bus for one test: a dbus-daemon of our own on a socket in a temporary
// folder, made the process's DBUS_SESSION_BUS_ADDRESS for the scope (so child processes use it too)
// and stopped afterwards. The distributed notification center is pointed at it on entry and away
// from it on exit.

#include <memory>
#include <string>
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

}  // namespace xqtest
