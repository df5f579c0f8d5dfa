#include "platform/foundation/Dispatch.h"

#include <atomic>
#include <condition_variable>
#include <deque>
#include <future>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/foundation/RunLoop.h"

namespace platform::dispatch {

void WorkItem::perform() {
    if (cancelled_.load()) return;
    auto block = block_;
    if (block) block();
}

void WorkItem::cancel() { cancelled_.store(true); }

void Queue::asyncAfter(double seconds, const std::shared_ptr<WorkItem>& item) {
    asyncAfter(seconds, [item] { item->perform(); });
}

namespace {

class MainQueue final : public Queue {
public:
    void async(std::function<void()> block) override { RunLoop::main().perform(std::move(block)); }

    std::shared_ptr<WorkItem> asyncAfter(double seconds, std::function<void()> block) override {
        auto item = std::make_shared<WorkItem>(std::move(block));
        // A one-shot timer on the main loop's clock, so a manual clock drives delayed work too.
        auto timer = Timer::make(std::max(seconds, 0.0), false, [item](const std::shared_ptr<Timer>&) { item->perform(); });
        RunLoop::main().addTimer(timer, RunLoopMode::Common);
        return item;
    }
    std::string label() const override { return "com.apple.main-thread"; }
    bool isCurrent() const override { return RunLoop::main().isCurrent(); }
};

// One pool of threads serves every global queue; delayed blocks wait on a scheduler thread.
class Pool {
public:
    static Pool& shared() {
        static Pool pool;
        return pool;
    }

    void async(std::function<void()> block) {
        {
            std::lock_guard lock(mutex_);
            work_.push_back(std::move(block));
            ensureWorkers();
        }
        ready_.notify_one();
    }

    void after(double seconds, std::function<void()> block) {
        auto when = std::chrono::steady_clock::now() +
                    std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                        std::chrono::duration<double>(std::max(seconds, 0.0)));
        {
            std::lock_guard lock(mutex_);
            delayed_.emplace(when, std::move(block));
            ensureWorkers();
        }
        delayedChanged_.notify_one();
    }

    bool isWorkerThread() const { return tIsWorker; }

private:
    Pool() = default;
    ~Pool() {
        {
            std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        ready_.notify_all();
        delayedChanged_.notify_all();
        for (auto& t : threads_) t.join();
    }

    void ensureWorkers() {
        if (!threads_.empty()) return;
        unsigned count = std::max(2u, std::thread::hardware_concurrency());
        for (unsigned i = 0; i < count; ++i) threads_.emplace_back([this] { workerLoop(); });
        threads_.emplace_back([this] { schedulerLoop(); });
    }

    void workerLoop() {
        tIsWorker = true;
        std::unique_lock lock(mutex_);
        while (true) {
            ready_.wait(lock, [&] { return stopping_ || !work_.empty(); });
            if (work_.empty()) return;
            auto block = std::move(work_.front());
            work_.pop_front();
            lock.unlock();
            block();
            lock.lock();
        }
    }

    void schedulerLoop() {
        std::unique_lock lock(mutex_);
        while (!stopping_) {
            if (delayed_.empty()) {
                delayedChanged_.wait(lock);
                continue;
            }
            auto first = delayed_.begin();
            if (first->first > std::chrono::steady_clock::now()) {
                delayedChanged_.wait_until(lock, first->first);
                continue;
            }
            work_.push_back(std::move(first->second));
            delayed_.erase(first);
            ready_.notify_one();
        }
    }

    static thread_local bool tIsWorker;
    std::mutex mutex_;
    std::condition_variable ready_, delayedChanged_;
    std::deque<std::function<void()>> work_;
    std::multimap<std::chrono::steady_clock::time_point, std::function<void()>> delayed_;
    std::vector<std::thread> threads_;
    bool stopping_ = false;
};

thread_local bool Pool::tIsWorker = false;

class GlobalQueue final : public Queue {
public:
    explicit GlobalQueue(std::string label) : label_(std::move(label)) {}
    void async(std::function<void()> block) override { Pool::shared().async(std::move(block)); }
    std::shared_ptr<WorkItem> asyncAfter(double seconds, std::function<void()> block) override {
        auto item = std::make_shared<WorkItem>(std::move(block));
        Pool::shared().after(seconds, [item] { item->perform(); });
        return item;
    }
    std::string label() const override { return label_; }
    bool isCurrent() const override { return Pool::shared().isWorkerThread(); }

private:
    std::string label_;
};

}  // namespace

Queue& main() {
    static MainQueue queue;
    return queue;
}

Queue& global(QoS qos) {
    static GlobalQueue background("com.apple.root.background-qos"), utility("com.apple.root.utility-qos"),
        standard("com.apple.root.default-qos"), initiated("com.apple.root.user-initiated-qos"),
        interactive("com.apple.root.user-interactive-qos");
    switch (qos) {
        case QoS::Background: return background;
        case QoS::Utility: return utility;
        case QoS::UserInitiated: return initiated;
        case QoS::UserInteractive: return interactive;
        default: return standard;
    }
}

void syncOnMain(const std::function<void()>& block) {
    if (RunLoop::main().isCurrent()) {
        block();
        return;
    }
    std::promise<void> done;
    RunLoop::main().perform([&] {
        block();
        done.set_value();
    });
    done.get_future().wait();
}

}  // namespace platform::dispatch
