#pragma once

// A region of a view in which the owner is told about the mouse entering, leaving or moving.

#include <memory>
#include <optional>

#include "platform/appkit/Geometry.h"
#include "platform/foundation/Value.h"
#include "platform/runtime/Object.h"

namespace platform {

namespace TrackingAreaOptions {
inline constexpr unsigned MouseEnteredAndExited = 0x01, MouseMoved = 0x02, CursorUpdate = 0x04,
                          ActiveWhenFirstResponder = 0x10, ActiveInKeyWindow = 0x20, ActiveInActiveApp = 0x40,
                          ActiveAlways = 0x80, AssumeInside = 0x100, InVisibleRect = 0x200,
                          EnabledDuringMouseDrag = 0x400;
}

class TrackingArea : public Object {
public:
    // The owner is held weakly, as the platform does.
    TrackingArea(Rect rect, unsigned options, const ObjectPtr& owner, std::optional<Dictionary> userInfo)
        : rect_(rect), options_(options), owner_(owner), userInfo_(std::move(userInfo)) {}
    static std::shared_ptr<TrackingArea> make(Rect rect, unsigned options, const ObjectPtr& owner,
                                              std::optional<Dictionary> userInfo = std::nullopt) {
        return std::make_shared<TrackingArea>(rect, options, owner, std::move(userInfo));
    }

    Rect rect() const { return rect_; }
    unsigned options() const { return options_; }
    ObjectPtr owner() const { return owner_.lock(); }
    const std::optional<Dictionary>& userInfo() const { return userInfo_; }

    // Whether the mouse was inside at the last delivered event.
    bool mouseInside = false;

private:
    Rect rect_;
    unsigned options_;
    WeakObjectPtr owner_;
    std::optional<Dictionary> userInfo_;
};

using TrackingAreaPtr = std::shared_ptr<TrackingArea>;

}  // namespace platform
