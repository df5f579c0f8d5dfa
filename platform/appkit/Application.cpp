#include "platform/appkit/Application.h"

#include "platform/foundation/Bundle.h"
#include "platform/foundation/ProcessInfo.h"
#include "platform/foundation/RunLoop.h"
#include "platform/system/Session.h"

namespace platform {

std::shared_ptr<Application> Application::shared() {
    static const std::shared_ptr<Application> application = std::make_shared<Application>();
    return application;
}

std::string Application::identifier() const {
    auto id = Bundle::main()->bundleIdentifier();
    return id ? *id : ProcessInfo::processInfo().processName();
}

void Application::finishLaunching() {
    if (launched_) return;
    launched_ = true;
    Notification notification{kApplicationDidFinishLaunchingNotification, sharedFromThis<Object>(), std::nullopt};
    if (auto d = delegate()) d->applicationDidFinishLaunching(notification);
    NotificationCenter::defaultCenter().post(notification);
}

int Application::run() {
    running_ = true;
    // Launching finishes from the run loop, as on the platform, so the loop is up when the delegate runs.
    RunLoop::main().perform([self = sharedFromThis<Application>()] { self->finishLaunching(); });
    while (!terminating_) RunLoop::main().run();
    running_ = false;
    return 0;
}

void Application::terminate(const ObjectPtr&) {
    if (terminating_) return;
    terminating_ = true;
    Notification notification{kApplicationWillTerminateNotification, sharedFromThis<Object>(), std::nullopt};
    if (auto d = delegate()) d->applicationWillTerminate(notification);
    NotificationCenter::defaultCenter().post(notification);
    RunLoop::main().stop();
}

void Application::activate(bool) {
    Session::shared().setFrontmostApplication(identifier());
    NotificationCenter::defaultCenter().post(kApplicationDidBecomeActiveNotification, sharedFromThis<Object>());
}

bool Application::isActive() const { return Session::shared().frontmostApplication() == identifier(); }

void Application::resetForTesting() {
    terminating_ = false;
    running_ = false;
    launched_ = false;
    delegate_.reset();
}

int ApplicationMain(int, char**, const std::shared_ptr<ApplicationDelegate>& delegate) {
    auto application = Application::shared();
    application->setDelegate(delegate);
    return application->run();
}

}  // namespace platform
