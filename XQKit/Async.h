#pragma once

// Running blocks later or on other queues, repeating timers that do not keep their owners alive and
// re-time themselves after the computer wakes, and wrappers that collapse bursts of calls.

#include <functional>
#include <memory>
#include <optional>

#include "platform/foundation/Dispatch.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Value.h"

namespace Async {

using Block = std::function<void()>;
using QoS = platform::dispatch::QoS;

// Runs `block` once on the main queue `seconds` from now; cancel the answer to stop it in time.
std::shared_ptr<platform::dispatch::WorkItem> after(double seconds, Block block);
// Submits `block` asynchronously to the main queue (also when called on the main thread).
platform::dispatch::Queue& main(Block block);
// Submits `block` asynchronously to the global queue of that class.
platform::dispatch::Queue& global(QoS qos, Block block);
// Runs `block` on that global queue, then `mainBlock` on the main queue.
platform::dispatch::Queue& global(QoS qos, Block block, Block mainBlock);

// A timer (not yet scheduled: add it to a run loop) whose ticks call `handler` while `owner` lives;
// the first tick after the owner has gone invalidates it.
std::shared_ptr<platform::Timer> timer(double interval, std::weak_ptr<void> owner,
                                       const platform::Value& userInfo, bool repeats,
                                       std::function<void(const std::shared_ptr<platform::Timer>&)> handler);

// Trailing-edge debounce: `action` runs once, `interval` seconds after the last call of a burst.
std::function<void()> debounceAction(double interval, std::function<void()> action);
// Leading call with a quiet period: `action` runs on the first call of a burst, and again only for a
// call that comes after a full `interval` without calls.
std::function<void()> onceAction(double interval, std::function<void()> action);

}  // namespace Async
