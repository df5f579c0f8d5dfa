#pragma once

// Session event taps: a callback that sees low-level events before applications do and, for an
// active tap, may swallow them by answering null. The tap delivers through a run-loop source, so the
// callback runs on the loop the source is added to. A callback that answers later than `kTimeout`
// (on that loop's clock) gets its tap disabled, and the callback then receives the
// disabled-by-timeout notice; the user can disable taps too (disabled-by-user-input notice).

#include <cstdint>
#include <deque>
#include <memory>

#include "platform/foundation/RunLoop.h"
#include "platform/system/Session.h"
#include "platform/system/SessionEvent.h"

namespace platform {

enum class EventTapLocation : std::uint32_t { HID = 0, Session = 1, AnnotatedSession = 2 };
enum class EventTapPlacement : std::uint32_t { HeadInsert = 0, TailAppend = 1 };
enum class EventTapOptions : std::uint32_t { Default = 0, ListenOnly = 1 };

class EventTap;
using EventTapProxy = EventTap*;
// Answers the event to pass on (the same or another), or null to swallow it.
using EventTapCallBack = SessionEvent* (*)(EventTapProxy proxy, SessionEventType type, SessionEvent* event,
                                           void* userInfo);

class EventTap : public Object {
public:
    static constexpr double kTimeout = 1.0;

    // Null when the process is not trusted for accessibility (or the location is the HID level,
    // which needs more than that).
    static std::shared_ptr<EventTap> create(EventTapLocation location, EventTapPlacement placement,
                                            EventTapOptions options, std::uint64_t eventsOfInterest,
                                            EventTapCallBack callback, void* userInfo);

    // The source to add to a run loop; the same source on every call.
    std::shared_ptr<RunLoopSource> runLoopSource();
    void enable(bool enabled);
    bool isEnabled() const { return enabled_; }
    // Ends the tap for good; it receives nothing more.
    void invalidate();
    bool isValid() const { return valid_; }

    EventTapLocation location() const { return location_; }
    EventTapPlacement placement() const { return placement_; }
    EventTapOptions options() const { return options_; }
    std::uint64_t eventsOfInterest() const { return mask_; }

    EventTap(EventTapLocation location, EventTapPlacement placement, EventTapOptions options, std::uint64_t mask,
             EventTapCallBack callback, void* userInfo);
    ~EventTap() override;

private:
    friend class Session;
    struct Pending {
        std::shared_ptr<PostedEvent> event;  // null for a notice
        SessionEventType notice = 0;
    };
    void enqueue(const std::shared_ptr<PostedEvent>& event);
    void enqueueNotice(SessionEventType notice);
    // Runs the callback for each event the session is passing through this tap, and for notices.
    void deliver();

    EventTapLocation location_;
    EventTapPlacement placement_;
    EventTapOptions options_;
    std::uint64_t mask_;
    EventTapCallBack callback_;
    void* userInfo_;
    bool enabled_ = false;
    bool valid_ = true;
    std::shared_ptr<RunLoopSource> source_;
    std::deque<Pending> pending_;
};

}  // namespace platform
