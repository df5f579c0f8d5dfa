#include "XQKit/Async.h"

#include <cstdint>

#include "XQKit/WeakTimerTarget.h"

namespace Async {

std::shared_ptr<platform::dispatch::WorkItem> after(double seconds, Block block) {
    auto item = std::make_shared<platform::dispatch::WorkItem>(std::move(block));
    platform::dispatch::main().asyncAfter(seconds, item);
    return item;
}

platform::dispatch::Queue& main(Block block) {
    auto& queue = platform::dispatch::main();
    queue.async(std::move(block));
    return queue;
}

platform::dispatch::Queue& global(QoS qos, Block block) {
    auto& queue = platform::dispatch::global(qos);
    queue.async(std::move(block));
    return queue;
}

platform::dispatch::Queue& global(QoS qos, Block block, Block mainBlock) {
    auto& queue = platform::dispatch::global(qos);
    queue.async([block = std::move(block), mainBlock = std::move(mainBlock)] {
        block();
        platform::dispatch::main().async(mainBlock);
    });
    return queue;
}

std::shared_ptr<platform::Timer> timer(double interval, std::weak_ptr<void> owner, const platform::Value& userInfo,
                                       bool repeats,
                                       std::function<void(const std::shared_ptr<platform::Timer>&)> handler) {
    auto target = WeakTimerTarget::make();
    target->handler = std::move(handler);
    target->target = std::move(owner);
    // The timer retains its target until it is invalidated, and sends it "fire" on each tick.
    auto made = platform::Timer::make(interval, repeats, [target](const std::shared_ptr<platform::Timer>& t) {
        target->perform("fire", t);
    });
    made->userInfo = userInfo;
    target->timer = made;
    return made;
}

std::function<void()> debounceAction(double interval, std::function<void()> action) {
    auto counter = std::make_shared<std::int64_t>(0);
    return [interval, action = std::move(action), counter] {
        std::int64_t n = ++*counter;
        platform::dispatch::main().asyncAfter(interval, [action, counter, n] {
            if (*counter != n) return;
            action();
            *counter = 0;
        });
    };
}

std::function<void()> onceAction(double interval, std::function<void()> action) {
    auto counter = std::make_shared<std::int64_t>(0);
    return [interval, action = std::move(action), counter] {
        if (*counter == 0) action();
        std::int64_t n = ++*counter;
        platform::dispatch::main().asyncAfter(interval, [counter, n] {
            if (*counter == n) *counter = 0;
        });
    };
}

}  // namespace Async
