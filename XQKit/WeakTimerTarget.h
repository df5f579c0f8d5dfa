#pragma once

// The target of a timer made by Async::timer. The timer holds it strongly; it holds the timer and
// the handler strongly and the timer's owner only weakly, so the owner can go away while its timer
// is scheduled: the next tick then invalidates the timer, which releases this object (it prints
// "timer deinit" when it goes).
//
// It also re-times its timer after the computer wakes: two seconds after the workspace's did-wake
// notification, the next fire moves to now plus the timer's interval.

#include <functional>
#include <memory>

#include "platform/foundation/RunLoop.h"
#include "platform/runtime/Object.h"

class WeakTimerTarget final : public platform::Object {
public:
    using Handler = std::function<void(const std::shared_ptr<platform::Timer>&)>;

    // Made with every field empty and subscribed to the did-wake notification. Its action "fire" is
    // what the timer calls.
    static std::shared_ptr<WeakTimerTarget> make();
    ~WeakTimerTarget() override;

    Handler handler;
    std::shared_ptr<platform::Timer> timer;
    std::weak_ptr<void> target;
    platform::ObjectPtr observer;

    void fire();

    // Only `make` can build the key: a target is always subscribed when it exists.
    class Key {
        friend class WeakTimerTarget;
        Key() = default;
    };
    explicit WeakTimerTarget(Key) {}
};
