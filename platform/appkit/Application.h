#pragma once

// The application object: its delegate, the main run loop, activation and termination.

#include <memory>
#include <string>

#include "platform/foundation/NotificationCenter.h"
#include "platform/runtime/Object.h"

namespace platform {

inline const std::string kApplicationDidFinishLaunchingNotification = "NSApplicationDidFinishLaunchingNotification";
inline const std::string kApplicationWillTerminateNotification = "NSApplicationWillTerminateNotification";
inline const std::string kApplicationDidBecomeActiveNotification = "NSApplicationDidBecomeActiveNotification";

class ApplicationDelegate : public Object {
public:
    virtual void applicationDidFinishLaunching(const Notification&) {}
    virtual void applicationWillTerminate(const Notification&) {}
    virtual bool applicationSupportsSecureRestorableState() { return false; }
};

class Application : public Object {
public:
    static std::shared_ptr<Application> shared();

    // The delegate is held weakly, as the platform does; its owner keeps it alive.
    void setDelegate(const std::shared_ptr<ApplicationDelegate>& delegate) { delegate_ = delegate; }
    std::shared_ptr<ApplicationDelegate> delegate() const { return delegate_.lock(); }

    // Tells the delegate launching has finished, then runs the main run loop until `terminate`.
    int run();
    // Sends the did-finish-launching notification (done by `run`; tests call it to launch in process).
    void finishLaunching();
    // Ends the application: the will-terminate notification and delegate call, then the main run loop
    // stops and `run` returns. Later requests are ignored.
    void terminate(const ObjectPtr& sender);
    bool isTerminating() const { return terminating_; }
    bool isRunning() const { return running_; }

    // Makes this application the frontmost one.
    void activate(bool ignoringOtherApps = true);
    bool isActive() const;
    // This application's bundle identifier (or process name) as the session knows it.
    std::string identifier() const;

    // Puts the object back to its state before launch (for tests that launch more than once).
    void resetForTesting();

private:
    std::weak_ptr<ApplicationDelegate> delegate_;
    bool terminating_ = false;
    bool running_ = false;
    bool launched_ = false;
};

// The program entry's hand-over: sets the delegate and runs the application; answers the exit status.
int ApplicationMain(int argc, char** argv, const std::shared_ptr<ApplicationDelegate>& delegate);

}  // namespace platform
