#pragma once

#include "platform/appkit/Application.h"

// The agent's application delegate: runs the launch sequence once launching has finished.
class AppDelegate : public platform::ApplicationDelegate {
public:
    void applicationDidFinishLaunching(const platform::Notification& notification) override;
    void applicationWillTerminate(const platform::Notification& notification) override;
    bool applicationSupportsSecureRestorableState() override { return true; }
};
