#include "platform/system/EventTap.h"

#include "platform/system/Accessibility.h"

namespace platform {

EventTap::EventTap(EventTapLocation location, EventTapPlacement placement, EventTapOptions options,
                   std::uint64_t mask, EventTapCallBack callback, void* userInfo)
    : location_(location), placement_(placement), options_(options), mask_(mask), callback_(callback),
      userInfo_(userInfo) {}

EventTap::~EventTap() {
    if (source_) source_->invalidate();
}

std::shared_ptr<EventTap> EventTap::create(EventTapLocation location, EventTapPlacement placement,
                                           EventTapOptions options, std::uint64_t eventsOfInterest,
                                           EventTapCallBack callback, void* userInfo) {
    if (!callback || !AXIsProcessTrusted() || location == EventTapLocation::HID) return nullptr;
    auto tap = std::make_shared<EventTap>(location, placement, options, eventsOfInterest, callback, userInfo);
    tap->enabled_ = true;
    Session::shared().addTap(tap);
    return tap;
}

std::shared_ptr<RunLoopSource> EventTap::runLoopSource() {
    if (!source_) {
        std::weak_ptr<EventTap> weak = sharedFromThis<EventTap>();
        source_ = std::make_shared<RunLoopSource>([weak] {
            if (auto tap = weak.lock()) tap->deliver();
        });
        if (!pending_.empty()) source_->signal();
    }
    return source_;
}

void EventTap::enable(bool enabled) { enabled_ = enabled && valid_; }

void EventTap::invalidate() {
    if (!valid_) return;
    valid_ = false;
    enabled_ = false;
    Session::shared().removeTap(this);
    if (source_) source_->invalidate();
    // Events waiting here go on as if the tap had never been there.
    auto waiting = std::move(pending_);
    for (auto& item : waiting)
        if (item.event) Session::shared().advance(item.event);
}

void EventTap::enqueue(const std::shared_ptr<PostedEvent>& event) {
    pending_.push_back({event, 0});
    if (source_) source_->signal();
}

void EventTap::enqueueNotice(SessionEventType notice) {
    pending_.push_back({nullptr, notice});
    if (source_) source_->signal();
}

void EventTap::deliver() {
    auto self = sharedFromThis<EventTap>();  // the callback may drop the last other reference
    while (!pending_.empty()) {
        Pending item = std::move(pending_.front());
        pending_.pop_front();
        if (!item.event) {
            SessionEvent notice(item.notice, 0);
            callback_(this, item.notice, &notice, userInfo_);
            continue;
        }
        auto& posted = item.event;
        if (!valid_ || !enabled_) {
            Session::shared().advance(posted);
            continue;
        }
        RunLoop& loop = RunLoop::current();
        double started = loop.now();
        SessionEvent* answer = callback_(this, posted->event.type(), &posted->event, userInfo_);
        double took = loop.now() - started;
        if (took > kTimeout && valid_) {
            // Too slow: the system stops waiting, passes the event on unchanged and disables the tap.
            enabled_ = false;
            pending_.push_back({nullptr, kSessionEventTapDisabledByTimeout});
            Session::shared().advance(posted);
            continue;
        }
        if (options_ == EventTapOptions::Default) {
            if (!answer) {
                posted->resolve(PostedEvent::State::Swallowed);
                continue;
            }
            if (answer != &posted->event) posted->event = *answer;
        }
        Session::shared().advance(posted);
    }
}

}  // namespace platform
