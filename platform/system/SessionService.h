#pragma once

// Exposes this process's simulated session on the D-Bus session bus, so another process
// (`xq-session`) can act as the user and the system: grant Accessibility, bring an application to
// the front, select files in Finder, focus a text field, press keys, answer the next alert, wake the
// computer, list the windows.
//
// Bus name org.xqkit.Session.p<PID>, object /org/xqkit/Session, interface org.xqkit.Session:
//   SetTrusted(b)                 SetFrontmost(s bundleId)        SelectInFinder(as urls)
//   SetFocus(s none|text|other)   PressKey(q keyCode, t flags) -> s "swallowed"|"delivered"
//   Answer(x response)            Wake()                          TimeOutTaps()
//   Windows() -> a(sddddb) title, x, y, width, height, visible
// The connection is a file-descriptor source on the main run loop; PressKey answers once the event
// has passed the taps.

#include <memory>
#include <string>

namespace platform {

class SessionService {
public:
    static constexpr const char* kBusNamePrefix = "org.xqkit.Session.p";
    static constexpr const char* kObjectPath = "/org/xqkit/Session";
    static constexpr const char* kInterface = "org.xqkit.Session";

    // Connects and takes the bus name; false (after one log line) when there is no session bus.
    static bool start();
    static bool isRunning();
    static void stop();
};

}  // namespace platform
