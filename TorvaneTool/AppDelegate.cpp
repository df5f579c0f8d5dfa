#include "TorvaneTool/AppDelegate.h"

#include "TorvaneTool/SpacePreview.h"
#include "platform/foundation/RunLoop.h"

void AppDelegate::applicationDidFinishLaunching(const platform::Notification&) {
    createEventTap();
    // Re-create the tap whenever it has gone (time-out, user input, missing permission).
    auto timer = platform::Timer::make(2.0, true, [](const std::shared_ptr<platform::Timer>&) { createEventTap(); });
    platform::RunLoop::current().addTimer(timer, platform::RunLoopMode::Default);
}

// The tap, the timer and the subscriptions end with the process.
void AppDelegate::applicationWillTerminate(const platform::Notification&) {}
