#include "XQKit/WeakTimerTarget.h"

#include <cstdio>

#include "platform/foundation/Dispatch.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/appkit/Workspace.h"

namespace {
platform::NotificationCenter& workspaceCenter() { return platform::Workspace::shared()->notificationCenter(); }
}  // namespace

std::shared_ptr<WeakTimerTarget> WeakTimerTarget::make() {
    auto target = std::make_shared<WeakTimerTarget>(Key());
    std::weak_ptr<WeakTimerTarget> weak = target;
    target->defineAction("fire", [raw = target.get()](const platform::ObjectPtr&) { raw->fire(); });
    target->observer = workspaceCenter().addObserver(platform::kWorkspaceDidWakeNotification, nullptr, nullptr, [weak](const platform::Notification&) {
        platform::dispatch::main().asyncAfter(2.0, [weak] {
            auto self = weak.lock();
            if (!self || !self->timer) return;
            auto& loop = platform::RunLoop::main();
            self->timer->setFireTime(loop.now() + self->timer->timeInterval());
        });
    });
    return target;
}

WeakTimerTarget::~WeakTimerTarget() {
    if (observer) workspaceCenter().removeObserver(observer);
    std::printf("timer deinit\n");
    std::fflush(stdout);
}

void WeakTimerTarget::fire() {
    if (target.expired()) {
        if (timer) timer->invalidate();
        timer.reset();
        return;
    }
    if (!handler) return;
    // The handler may invalidate the timer and so drop this object's last owner: keep both alive.
    auto keep = sharedFromThis<WeakTimerTarget>();
    auto current = timer;
    handler(current);
}
