#pragma once

// Dispatch queues: the main queue, served by the main run loop in its common modes, and global
// concurrent queues by quality of service, served by a shared pool of threads.

#include <atomic>
#include <functional>
#include <memory>
#include <string>

#include "platform/runtime/Object.h"

namespace platform::dispatch {

// A block that can be cancelled before it runs.
class WorkItem : public Object {
public:
    explicit WorkItem(std::function<void()> block) : block_(std::move(block)) {}
    void perform();
    void cancel();
    bool isCancelled() const { return cancelled_.load(); }

private:
    std::function<void()> block_;
    std::atomic<bool> cancelled_{false};
};

enum class QoS { Background, Utility, Default, UserInitiated, UserInteractive };

class Queue {
public:
    virtual ~Queue() = default;
    virtual void async(std::function<void()> block) = 0;
    // Runs `block` after `seconds`; the answer cancels it when cancelled in time.
    virtual std::shared_ptr<WorkItem> asyncAfter(double seconds, std::function<void()> block) = 0;
    void asyncAfter(double seconds, const std::shared_ptr<WorkItem>& item);
    virtual std::string label() const = 0;
    virtual bool isCurrent() const = 0;
};

Queue& main();
Queue& global(QoS qos = QoS::Default);

// Runs `block` on the main thread and waits for it; runs it at once when already there.
void syncOnMain(const std::function<void()>& block);

}  // namespace platform::dispatch
