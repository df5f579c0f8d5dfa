#pragma once

// The run loop: one per thread, the main one drives the whole program. It delivers, in the modes they
// were added for, timers, file-descriptor sources (the bus connection, pipes), custom sources that
// other code signals (event taps), and blocks performed from any thread (the main dispatch queue).
//
// Time comes from the loop's clock. The system clock is the default; tests install a ManualClock and
// move it with `advanceBy`, which fires every timer due on the way, in order, without sleeping.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/foundation/Date.h"
#include "platform/foundation/Value.h"
#include "platform/runtime/Object.h"

namespace platform {

// ---- clocks -------------------------------------------------------------------------------------

// Seconds on a monotonic scale. Only differences matter, except that `wallDate` maps a reading to
// the calendar so that timers can expose fire dates.
class Clock {
public:
    virtual ~Clock() = default;
    virtual double now() const = 0;
    // The calendar date at clock reading `time`.
    virtual Date wallDate(double time) const = 0;
    virtual bool isManual() const { return false; }
};

class SystemClock final : public Clock {
public:
    double now() const override;
    Date wallDate(double time) const override;
};

// A clock that stands still until told to move. Reads 1000.0 at start so that times before "now"
// stay positive.
class ManualClock final : public Clock {
public:
    explicit ManualClock(double start = 1000.0, Date startDate = Date::fromUnixTime(1765400000.0))
        : now_(start), start_(start), startDate_(startDate) {}
    double now() const override { return now_.load(); }
    Date wallDate(double time) const override { return startDate_.addingTimeInterval(time - start_); }
    bool isManual() const override { return true; }
    void set(double time) { now_.store(time); }
    void advance(double seconds) { now_.store(now_.load() + seconds); }

private:
    std::atomic<double> now_;
    double start_;
    Date startDate_;
};

// ---- modes --------------------------------------------------------------------------------------

namespace RunLoopMode {
inline const std::string Default = "kCFRunLoopDefaultMode";
inline const std::string ModalPanel = "NSModalPanelRunLoopMode";
inline const std::string EventTracking = "NSEventTrackingRunLoopMode";
// Adding to the common modes adds to all three above.
inline const std::string Common = "kCFRunLoopCommonModes";
}  // namespace RunLoopMode

class RunLoop;

// ---- timers -------------------------------------------------------------------------------------

class Timer : public Object {
public:
    using Block = std::function<void(const std::shared_ptr<Timer>&)>;

    // A timer that fires `interval` seconds after it is added to a run loop (clamped to 0.0001 s as
    // the platform does), once or repeatedly. It is not scheduled until added.
    static std::shared_ptr<Timer> make(double interval, bool repeats, Block block);
    // Made and added to the current thread's run loop in the default mode.
    static std::shared_ptr<Timer> scheduled(double interval, bool repeats, Block block);

    double timeInterval() const { return repeats_ ? interval_ : 0.0; }
    bool repeats() const { return repeats_; }
    bool isValid() const { return valid_.load(); }
    // Fire time on the run loop's clock; `fireDate` gives it as a calendar date.
    double fireTime() const;
    void setFireTime(double time);
    Date fireDate() const;
    void setFireDate(Date date);
    double tolerance = 0;
    Value userInfo;

    // Runs the block now; a one-shot timer is then invalidated. The schedule of a repeating timer is
    // not changed.
    void fire();
    // Removes the timer from its run loop; its block is released.
    void invalidate();

    // Only `make` can build the key, so timers are always made through it.
    class Key {
        friend class Timer;
        Key() = default;
    };
    Timer(Key, double interval, bool repeats, Block block);

private:
    friend class RunLoop;

    double interval_;
    bool repeats_;
    Block block_;
    std::atomic<bool> valid_{true};
    RunLoop* loop_ = nullptr;  // the loop it was added to, for fire-date arithmetic
    double fireTime_ = 0;       // guarded by the loop's lock once added
};

// ---- sources ------------------------------------------------------------------------------------

// A source that does its work when signalled, on the thread of the loop it is added to.
class RunLoopSource : public Object {
public:
    explicit RunLoopSource(std::function<void()> perform) : perform_(std::move(perform)) {}
    // Marks the source ready and wakes the loops it is in; callable from any thread.
    void signal();
    void invalidate();
    bool isValid() const { return valid_.load(); }

private:
    friend class RunLoop;
    std::function<void()> perform_;
    std::atomic<bool> signalled_{false};
    std::atomic<bool> valid_{true};
    std::mutex loopsMutex_;
    std::vector<RunLoop*> loops_;
};

// Watches a file descriptor; the callback gets the poll(2) events that occurred.
class FileDescriptorSource : public Object {
public:
    FileDescriptorSource(int fd, short events, std::function<void(short revents)> callback)
        : fd_(fd), events_(events), callback_(std::move(callback)) {}
    int fd() const { return fd_; }
    short events() const { return events_.load(); }
    void setEvents(short events);
    void invalidate() { valid_.store(false); }
    bool isValid() const { return valid_.load(); }

private:
    friend class RunLoop;
    int fd_;
    std::atomic<short> events_;
    std::function<void(short)> callback_;
    std::atomic<bool> valid_{true};
    RunLoop* loop_ = nullptr;
};

// ---- the loop -----------------------------------------------------------------------------------

class RunLoop {
public:
    enum class RunResult { Finished, Stopped, TimedOut, HandledSource };

    // The main thread's loop: the loop of the first thread that asks for it (the program's main).
    static RunLoop& main();
    // The calling thread's loop, made on first use.
    static RunLoop& current();
    bool isCurrent() const;

    RunLoop();
    ~RunLoop();
    RunLoop(const RunLoop&) = delete;
    RunLoop& operator=(const RunLoop&) = delete;

    // Clock. Replacing it re-bases nothing: install it before adding timers.
    void setClock(std::shared_ptr<Clock> clock);
    const Clock& clock() const { return *clock_; }
    double now() const { return clock_->now(); }

    // The loop holds what is added until it is invalidated or removed.
    void addTimer(const std::shared_ptr<Timer>& timer, const std::string& mode = RunLoopMode::Default);
    void addSource(const std::shared_ptr<RunLoopSource>& source, const std::string& mode = RunLoopMode::Default);
    void removeSource(const std::shared_ptr<RunLoopSource>& source, const std::string& mode = RunLoopMode::Default);
    bool containsSource(const std::shared_ptr<RunLoopSource>& source, const std::string& mode) const;
    void addFileDescriptor(const std::shared_ptr<FileDescriptorSource>& source,
                           const std::string& mode = RunLoopMode::Common);
    void removeFileDescriptor(const std::shared_ptr<FileDescriptorSource>& source);

    // Runs `block` on this loop's thread in the given mode; callable from any thread.
    void perform(std::function<void()> block, const std::string& mode = RunLoopMode::Common);

    // Runs one pass or more in `mode` until `deadline` (clock seconds), `stop()`, or, with
    // returnAfterSourceHandled, the first source or block handled. Re-entrant: a callback may run the
    // loop again in another mode (a modal alert does).
    RunResult runMode(const std::string& mode, double deadline, bool returnAfterSourceHandled = false);
    // Runs in the default mode until stopped.
    void run();
    void stop();
    // The mode of the innermost running pass; empty when not running.
    std::string currentMode() const;

    // Runs in `mode` until `condition` holds or `realTimeout` seconds of real time pass, whatever the
    // clock; answers the condition. The waiting primitive for modal runs and for tests that wait for
    // another process.
    bool runUntil(const std::function<bool()>& condition, double realTimeout = 10.0,
                  const std::string& mode = RunLoopMode::Default);
    // Handles everything ready now (blocks, signalled sources, due timers, readable descriptors)
    // without waiting.
    void runPending(const std::string& mode = RunLoopMode::Default);
    // Moves time forward by `seconds`: with a manual clock, steps it to each timer due on the way and
    // fires it; with the system clock, runs for that long.
    void advanceBy(double seconds, const std::string& mode = RunLoopMode::Default);

    // Wakes a loop blocked in poll; callable from any thread.
    void wakeUp();

    // The earliest fire time of the valid timers in `mode`, if any.
    std::optional<double> nextTimerFireTime(const std::string& mode = RunLoopMode::Default) const;

private:
    friend class Timer;
    friend class RunLoopSource;
    struct Perform {
        std::function<void()> block;
        std::string mode;
    };
    static bool modeMatches(const std::string& entryMode, const std::string& runningMode);

    // One pass; waits at most until `waitUntil` on the clock (or real timeout for manual clocks).
    // Answers whether anything was handled.
    bool runOnePass(const std::string& mode, double waitUntil, bool mayBlock);
    bool firePerforms(const std::string& mode);
    bool fireSources(const std::string& mode);
    bool fireTimers(const std::string& mode);
    bool pollDescriptors(const std::string& mode, int timeoutMs);
    void rescheduleAfterFire(const std::shared_ptr<Timer>& timer, double now);

    std::shared_ptr<Clock> clock_;
    int wakeFd_ = -1;
    std::thread::id thread_;

    mutable std::mutex mutex_;
    struct TimerEntry {
        std::shared_ptr<Timer> timer;
        std::string mode;
    };
    struct SourceEntry {
        std::shared_ptr<RunLoopSource> source;
        std::string mode;
    };
    struct FdEntry {
        std::shared_ptr<FileDescriptorSource> source;
        std::string mode;
    };
    std::vector<TimerEntry> timers_;
    std::vector<SourceEntry> sources_;
    std::vector<FdEntry> fds_;
    std::vector<Perform> performs_;

    std::vector<std::string> modeStack_;
    std::atomic<bool> stopRequested_{false};
};

}  // namespace platform
