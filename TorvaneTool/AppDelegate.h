#pragma once

#include <string>

#include "platform/appkit/Application.h"

// The notification the Torvane applications post to end the agent.
const std::string& quitNotificationName();

// The Automation probe: running it against Finder makes the system ask, the first time, whether the
// agent may control Finder.
inline constexpr const char* kAutomationProbe = R"(osascript -e'tell application "Finder" to return selection as string')";

// The agent's application delegate: runs the launch sequence once launching has finished.
class AppDelegate : public platform::ApplicationDelegate {
public:
    void applicationDidFinishLaunching(const platform::Notification& notification) override;
    // The tap, the timer and the quit subscription are left to the end of the process.
    void applicationWillTerminate(const platform::Notification& notification) override;
    bool applicationSupportsSecureRestorableState() override { return true; }
};
