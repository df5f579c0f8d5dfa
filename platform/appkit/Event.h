#pragma once

// Application-level input events: keys, modifier changes, mouse and scroll-wheel events, with the
// platform's type numbers, masks and modifier-flag bits.

#include <cstdint>
#include <memory>
#include <string>

#include "platform/appkit/Geometry.h"
#include "platform/runtime/Object.h"

namespace platform {


enum class EventType : std::uint32_t {
    LeftMouseDown = 1,
    LeftMouseUp = 2,
    RightMouseDown = 3,
    RightMouseUp = 4,
    MouseMoved = 5,
    LeftMouseDragged = 6,
    RightMouseDragged = 7,
    MouseEntered = 8,
    MouseExited = 9,
    KeyDown = 10,
    KeyUp = 11,
    FlagsChanged = 12,
    ScrollWheel = 22,
    OtherMouseDown = 25,
    OtherMouseUp = 26,
    OtherMouseDragged = 27,
};

// Masks are one bit per type: 1 << type.
using EventMask = std::uint64_t;
constexpr EventMask eventMaskFor(EventType type) { return EventMask{1} << static_cast<std::uint32_t>(type); }
namespace EventMaskBits {
inline constexpr EventMask KeyDown = eventMaskFor(EventType::KeyDown);
inline constexpr EventMask KeyUp = eventMaskFor(EventType::KeyUp);
inline constexpr EventMask FlagsChanged = eventMaskFor(EventType::FlagsChanged);
inline constexpr EventMask LeftMouseDown = eventMaskFor(EventType::LeftMouseDown);
inline constexpr EventMask LeftMouseUp = eventMaskFor(EventType::LeftMouseUp);
inline constexpr EventMask RightMouseDown = eventMaskFor(EventType::RightMouseDown);
inline constexpr EventMask RightMouseUp = eventMaskFor(EventType::RightMouseUp);
inline constexpr EventMask LeftMouseDragged = eventMaskFor(EventType::LeftMouseDragged);
inline constexpr EventMask MouseMoved = eventMaskFor(EventType::MouseMoved);
inline constexpr EventMask ScrollWheel = eventMaskFor(EventType::ScrollWheel);
inline constexpr EventMask Any = ~EventMask{0};
}  // namespace EventMaskBits

// Modifier-flag bits; the same values serve application events and session (tap) events.
using ModifierFlags = std::uint64_t;
namespace ModifierFlag {
inline constexpr ModifierFlags CapsLock = 1 << 16;
inline constexpr ModifierFlags Shift = 1 << 17;
inline constexpr ModifierFlags Control = 1 << 18;
inline constexpr ModifierFlags Option = 1 << 19;
inline constexpr ModifierFlags Command = 1 << 20;
inline constexpr ModifierFlags NumericPad = 1 << 21;
inline constexpr ModifierFlags Help = 1 << 22;
inline constexpr ModifierFlags Function = 1 << 23;
inline constexpr ModifierFlags DeviceIndependentFlagsMask = 0xFFFF0000ULL;
}  // namespace ModifierFlag

class Window;

class Event : public Object {
public:
    static std::shared_ptr<Event> keyEvent(EventType type, std::uint16_t keyCode, ModifierFlags flags,
                                           std::string characters = {}, bool isARepeat = false);
    static std::shared_ptr<Event> mouseEvent(EventType type, Point locationInWindow, ModifierFlags flags = 0,
                                             int clickCount = 1);
    static std::shared_ptr<Event> scrollEvent(double deltaX, double deltaY, bool precise, ModifierFlags flags = 0);

    EventType type() const { return type_; }
    std::uint16_t keyCode() const { return keyCode_; }
    ModifierFlags modifierFlags() const { return flags_; }
    const std::string& characters() const { return characters_; }
    const std::string& charactersIgnoringModifiers() const { return characters_; }
    bool isARepeat() const { return repeat_; }
    Point locationInWindow() const { return location_; }
    int clickCount() const { return clickCount_; }
    double deltaX() const { return deltaX_; }
    double deltaY() const { return deltaY_; }
    double scrollingDeltaX() const { return precise_ ? deltaX_ * 10 : deltaX_; }
    double scrollingDeltaY() const { return precise_ ? deltaY_ * 10 : deltaY_; }
    bool hasPreciseScrollingDeltas() const { return precise_; }
    std::shared_ptr<Window> window() const { return window_.lock(); }
    void setWindow(const std::shared_ptr<Window>& window) { window_ = window; }
    double timestamp = 0;
    // The mouse movement since the previous event of a drag or move (y grows downward, as the
    // platform reports it).
    void setDelta(double dx, double dy) {
        deltaX_ = dx;
        deltaY_ = dy;
    }

private:
    EventType type_ = EventType::KeyDown;
    std::uint16_t keyCode_ = 0;
    ModifierFlags flags_ = 0;
    std::string characters_;
    bool repeat_ = false;
    Point location_;
    int clickCount_ = 0;
    double deltaX_ = 0, deltaY_ = 0;
    bool precise_ = false;
    std::weak_ptr<Window> window_;
};

using EventPtr = std::shared_ptr<Event>;

}  // namespace platform
