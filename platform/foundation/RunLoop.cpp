#include "platform/foundation/RunLoop.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>

namespace platform {

// ---- clocks -------------------------------------------------------------------------------------

double SystemClock::now() const {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

Date SystemClock::wallDate(double time) const { return Date::now().addingTimeInterval(time - now()); }

// ---- timers -------------------------------------------------------------------------------------

Timer::Timer(Key, double interval, bool repeats, Block block)
    : interval_(std::max(interval, 0.0001)), repeats_(repeats), block_(std::move(block)) {}

std::shared_ptr<Timer> Timer::make(double interval, bool repeats, Block block) {
    return std::make_shared<Timer>(Key(), interval, repeats, std::move(block));
}

std::shared_ptr<Timer> Timer::scheduled(double interval, bool repeats, Block block) {
    auto timer = make(interval, repeats, std::move(block));
    RunLoop::current().addTimer(timer, RunLoopMode::Default);
    return timer;
}

double Timer::fireTime() const {
    if (!loop_) return fireTime_;
    std::lock_guard lock(loop_->mutex_);
    return fireTime_;
}

void Timer::setFireTime(double time) {
    if (!loop_) {
        fireTime_ = time;
        return;
    }
    {
        std::lock_guard lock(loop_->mutex_);
        fireTime_ = time;
    }
    loop_->wakeUp();
}

Date Timer::fireDate() const {
    if (!loop_) return Date::now();
    return loop_->clock().wallDate(fireTime());
}

void Timer::setFireDate(Date date) {
    if (!loop_) return;
    const Clock& clock = loop_->clock();
    double now = clock.now();
    setFireTime(now + date.timeIntervalSince(clock.wallDate(now)));
}

void Timer::fire() {
    if (!isValid()) return;
    auto self = sharedFromThis<Timer>();
    Block block = block_;  // the block may invalidate the timer and so release itself
    if (block) block(self);
    if (!repeats_) invalidate();
}

void Timer::invalidate() {
    if (!valid_.exchange(false)) return;
    RunLoop* loop = loop_;
    Block released;
    if (loop) {
        std::lock_guard lock(loop->mutex_);
        released = std::move(block_);
    } else {
        released = std::move(block_);
    }
    // The loop drops its reference at its next pass; wake it so that happens promptly.
    if (loop) loop->wakeUp();
}

// ---- sources ------------------------------------------------------------------------------------

void RunLoopSource::signal() {
    if (!isValid()) return;
    signalled_.store(true);
    std::lock_guard lock(loopsMutex_);
    for (RunLoop* loop : loops_) loop->wakeUp();
}

void RunLoopSource::invalidate() {
    valid_.store(false);
    std::vector<RunLoop*> loops;
    {
        std::lock_guard lock(loopsMutex_);
        loops.swap(loops_);
    }
    auto self = sharedFromThis<RunLoopSource>();
    for (RunLoop* loop : loops) loop->removeSource(self, RunLoopMode::Common);
}

void FileDescriptorSource::setEvents(short events) {
    events_.store(events);
    if (loop_) loop_->wakeUp();
}

// ---- the loop -----------------------------------------------------------------------------------

namespace {
thread_local RunLoop* tCurrent = nullptr;
}

RunLoop& RunLoop::main() {
    static RunLoop& loop = current();
    return loop;
}

RunLoop& RunLoop::current() {
    if (!tCurrent) {
        // Thread-local ownership: the loop lives as long as its thread.
        thread_local std::unique_ptr<RunLoop> owned = std::make_unique<RunLoop>();
        tCurrent = owned.get();
    }
    return *tCurrent;
}

bool RunLoop::isCurrent() const { return std::this_thread::get_id() == thread_; }

RunLoop::RunLoop() : clock_(std::make_shared<SystemClock>()), thread_(std::this_thread::get_id()) {
    wakeFd_ = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
}

RunLoop::~RunLoop() {
    if (wakeFd_ >= 0) close(wakeFd_);
}

void RunLoop::setClock(std::shared_ptr<Clock> clock) {
    std::lock_guard lock(mutex_);
    clock_ = clock ? std::move(clock) : std::make_shared<SystemClock>();
}

bool RunLoop::modeMatches(const std::string& entryMode, const std::string& runningMode) {
    if (entryMode == runningMode) return true;
    return entryMode == RunLoopMode::Common &&
           (runningMode == RunLoopMode::Default || runningMode == RunLoopMode::ModalPanel ||
            runningMode == RunLoopMode::EventTracking);
}

void RunLoop::addTimer(const std::shared_ptr<Timer>& timer, const std::string& mode) {
    if (!timer || !timer->isValid()) return;
    {
        std::lock_guard lock(mutex_);
        for (const auto& entry : timers_)
            if (entry.timer == timer && entry.mode == mode) return;
        if (!timer->loop_) {
            timer->loop_ = this;
            timer->fireTime_ = clock_->now() + timer->interval_;
        }
        timers_.push_back({timer, mode});
    }
    wakeUp();
}

void RunLoop::addSource(const std::shared_ptr<RunLoopSource>& source, const std::string& mode) {
    if (!source || !source->isValid()) return;
    {
        std::lock_guard lock(mutex_);
        for (const auto& entry : sources_)
            if (entry.source == source && entry.mode == mode) return;
        sources_.push_back({source, mode});
    }
    {
        std::lock_guard lock(source->loopsMutex_);
        if (std::find(source->loops_.begin(), source->loops_.end(), this) == source->loops_.end())
            source->loops_.push_back(this);
    }
    if (source->signalled_.load()) wakeUp();
}

void RunLoop::removeSource(const std::shared_ptr<RunLoopSource>& source, const std::string& mode) {
    std::vector<SourceEntry> removed;  // released outside the lock
    bool stillHere = false;
    {
        std::lock_guard lock(mutex_);
        for (auto it = sources_.begin(); it != sources_.end();) {
            if (it->source == source && (mode == RunLoopMode::Common || it->mode == mode || !source->isValid())) {
                removed.push_back(std::move(*it));
                it = sources_.erase(it);
            } else {
                if (it->source == source) stillHere = true;
                ++it;
            }
        }
    }
    if (!stillHere && source) {
        std::lock_guard lock(source->loopsMutex_);
        std::erase(source->loops_, this);
    }
}

bool RunLoop::containsSource(const std::shared_ptr<RunLoopSource>& source, const std::string& mode) const {
    std::lock_guard lock(mutex_);
    return std::any_of(sources_.begin(), sources_.end(),
                       [&](const SourceEntry& e) { return e.source == source && e.mode == mode; });
}

void RunLoop::addFileDescriptor(const std::shared_ptr<FileDescriptorSource>& source, const std::string& mode) {
    if (!source) return;
    {
        std::lock_guard lock(mutex_);
        source->loop_ = this;
        fds_.push_back({source, mode});
    }
    wakeUp();
}

void RunLoop::removeFileDescriptor(const std::shared_ptr<FileDescriptorSource>& source) {
    std::vector<FdEntry> removed;
    {
        std::lock_guard lock(mutex_);
        for (auto it = fds_.begin(); it != fds_.end();) {
            if (it->source == source) {
                removed.push_back(std::move(*it));
                it = fds_.erase(it);
            } else {
                ++it;
            }
        }
    }
}

void RunLoop::perform(std::function<void()> block, const std::string& mode) {
    {
        std::lock_guard lock(mutex_);
        performs_.push_back({std::move(block), mode});
    }
    wakeUp();
}

void RunLoop::wakeUp() {
    if (wakeFd_ < 0) return;
    std::uint64_t one = 1;
    ssize_t written = write(wakeFd_, &one, sizeof one);
    (void)written;  // a full counter already means "awake"
}

std::string RunLoop::currentMode() const { return modeStack_.empty() ? std::string() : modeStack_.back(); }

void RunLoop::stop() {
    stopRequested_.store(true);
    wakeUp();
}

std::optional<double> RunLoop::nextTimerFireTime(const std::string& mode) const {
    std::lock_guard lock(mutex_);
    std::optional<double> next;
    for (const auto& entry : timers_) {
        if (!entry.timer->isValid() || !modeMatches(entry.mode, mode)) continue;
        if (!next || entry.timer->fireTime_ < *next) next = entry.timer->fireTime_;
    }
    return next;
}

bool RunLoop::firePerforms(const std::string& mode) {
    std::vector<Perform> ready;
    {
        std::lock_guard lock(mutex_);
        auto split = std::stable_partition(performs_.begin(), performs_.end(),
                                           [&](const Perform& p) { return !modeMatches(p.mode, mode); });
        ready.assign(std::make_move_iterator(split), std::make_move_iterator(performs_.end()));
        performs_.erase(split, performs_.end());
    }
    for (auto& perform : ready) perform.block();
    return !ready.empty();
}

bool RunLoop::fireSources(const std::string& mode) {
    std::vector<std::shared_ptr<RunLoopSource>> ready;
    {
        std::lock_guard lock(mutex_);
        for (const auto& entry : sources_)
            if (modeMatches(entry.mode, mode) && entry.source->isValid() && entry.source->signalled_.load() &&
                std::find(ready.begin(), ready.end(), entry.source) == ready.end())
                ready.push_back(entry.source);
    }
    bool handled = false;
    for (const auto& source : ready) {
        if (!source->signalled_.exchange(false) || !source->isValid()) continue;
        handled = true;
        auto perform = source->perform_;
        if (perform) perform();
    }
    return handled;
}

void RunLoop::rescheduleAfterFire(const std::shared_ptr<Timer>& timer, double now) {
    std::lock_guard lock(mutex_);
    if (!timer->isValid() || !timer->repeats_) return;
    // A fire date moved by the block itself is kept; otherwise skip the missed intervals, as the
    // platform does after the process was blocked or asleep.
    if (timer->fireTime_ > now) return;
    double interval = timer->interval_;
    double missed = std::floor((now - timer->fireTime_) / interval) + 1;
    timer->fireTime_ += missed * interval;
}

bool RunLoop::fireTimers(const std::string& mode) {
    double now = clock_->now();
    std::vector<std::shared_ptr<Timer>> due;
    {
        std::lock_guard lock(mutex_);
        // Drop invalidated timers; their blocks were released by invalidate().
        std::erase_if(timers_, [](const TimerEntry& e) { return !e.timer->isValid(); });
        for (const auto& entry : timers_)
            if (modeMatches(entry.mode, mode) && entry.timer->fireTime_ <= now &&
                std::find(due.begin(), due.end(), entry.timer) == due.end())
                due.push_back(entry.timer);
        std::stable_sort(due.begin(), due.end(),
                         [](const auto& a, const auto& b) { return a->fireTime_ < b->fireTime_; });
    }
    for (const auto& timer : due) {
        if (!timer->isValid()) continue;
        // Still due? An earlier block may have moved it.
        {
            std::lock_guard lock(mutex_);
            if (timer->fireTime_ > now) continue;
        }
        timer->fire();
        rescheduleAfterFire(timer, now);
    }
    return !due.empty();
}

bool RunLoop::pollDescriptors(const std::string& mode, int timeoutMs) {
    std::vector<pollfd> fds;
    std::vector<std::shared_ptr<FileDescriptorSource>> owners;
    fds.push_back({wakeFd_, POLLIN, 0});
    owners.push_back(nullptr);
    {
        std::lock_guard lock(mutex_);
        std::erase_if(fds_, [](const FdEntry& e) { return !e.source->isValid(); });
        for (const auto& entry : fds_) {
            if (!modeMatches(entry.mode, mode)) continue;
            fds.push_back({entry.source->fd_, entry.source->events(), 0});
            owners.push_back(entry.source);
        }
    }
    int count = ::poll(fds.data(), fds.size(), timeoutMs);
    if (count <= 0) return false;
    bool handled = false;
    if (fds[0].revents) {
        std::uint64_t value;
        while (read(wakeFd_, &value, sizeof value) > 0) {
        }
    }
    for (std::size_t i = 1; i < fds.size(); ++i) {
        if (!fds[i].revents || !owners[i]->isValid()) continue;
        handled = true;
        auto callback = owners[i]->callback_;
        if (callback) callback(fds[i].revents);
    }
    return handled;
}

bool RunLoop::runOnePass(const std::string& mode, double waitUntil, bool mayBlock) {
    bool handled = firePerforms(mode);
    handled |= fireSources(mode);
    handled |= fireTimers(mode);
    handled |= pollDescriptors(mode, 0);
    if (handled || !mayBlock || stopRequested_.load()) return handled;

    // Nothing ready: wait for a descriptor, a wake-up, or the next timer.
    double now = clock_->now();
    double until = waitUntil;
    if (auto next = nextTimerFireTime(mode)) until = std::min(until, *next);
    int timeoutMs = -1;
    if (clock_->isManual()) {
        // A manual clock never moves by itself: only wait for descriptors and wake-ups, and only as
        // long as the caller allows in real time (encoded as +infinity = forever).
        timeoutMs = std::isinf(waitUntil) ? -1 : 0;
        if (until <= now) timeoutMs = 0;
    } else if (!std::isinf(until)) {
        timeoutMs = static_cast<int>(std::ceil(std::max(0.0, until - now) * 1000.0));
    }
    {
        std::lock_guard lock(mutex_);
        if (!performs_.empty()) timeoutMs = 0;
    }
    return pollDescriptors(mode, timeoutMs);
}

RunLoop::RunResult RunLoop::runMode(const std::string& mode, double deadline, bool returnAfterSourceHandled) {
    modeStack_.push_back(mode);
    RunResult result = RunResult::TimedOut;
    while (true) {
        if (stopRequested_.exchange(false)) {
            result = RunResult::Stopped;
            break;
        }
        if (clock_->now() >= deadline) {
            result = RunResult::TimedOut;
            break;
        }
        bool handled = runOnePass(mode, deadline, true);
        if (handled && returnAfterSourceHandled) {
            result = RunResult::HandledSource;
            break;
        }
        if (clock_->isManual() && !std::isinf(deadline) && !handled) {
            result = RunResult::TimedOut;
            break;
        }
    }
    modeStack_.pop_back();
    return result;
}

void RunLoop::run() {
    stopRequested_.store(false);
    runMode(RunLoopMode::Default, std::numeric_limits<double>::infinity());
}

bool RunLoop::runUntil(const std::function<bool()>& condition, double realTimeout, const std::string& mode) {
    using namespace std::chrono;
    auto end = steady_clock::now() + duration_cast<steady_clock::duration>(duration<double>(realTimeout));
    modeStack_.push_back(mode);
    bool met = condition();
    while (!met && steady_clock::now() < end) {
        bool handled = runOnePass(mode, 0, false);
        if (!handled) {
            // Block on descriptors and wake-ups until the next timer (system clock) or a short slice,
            // so the real-time limit is honoured.
            double sliceMs = duration<double, std::milli>(end - steady_clock::now()).count();
            int timeoutMs = static_cast<int>(std::clamp(sliceMs, 0.0, 50.0));
            if (!clock_->isManual())
                if (auto next = nextTimerFireTime(mode))
                    timeoutMs = std::min(timeoutMs, static_cast<int>(std::ceil(std::max(0.0, *next - now()) * 1000)));
            pollDescriptors(mode, timeoutMs);
        }
        met = condition();
    }
    modeStack_.pop_back();
    return met;
}

void RunLoop::runPending(const std::string& mode) {
    modeStack_.push_back(mode);
    // Keep going while work produces more work (a block that posts a block), but never wait.
    for (int guard = 0; guard < 1000 && runOnePass(mode, 0, false); ++guard) {
    }
    modeStack_.pop_back();
}

void RunLoop::advanceBy(double seconds, const std::string& mode) {
    double target = clock_->now() + seconds;
    if (!clock_->isManual()) {
        runMode(mode, target);
        return;
    }
    auto* manual = static_cast<ManualClock*>(clock_.get());
    runPending(mode);
    while (true) {
        auto next = nextTimerFireTime(mode);
        if (!next || *next > target) break;
        if (*next > manual->now()) manual->set(*next);
        runPending(mode);
    }
    manual->set(target);
    runPending(mode);
}

}  // namespace platform
