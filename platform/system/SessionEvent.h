#pragma once

// A low-level event as the window server passes it to event taps: a type number, modifier flags
// and integer fields (the key code is field 9).

#include <cstdint>
#include <map>

#include "platform/appkit/Event.h"

namespace platform {

using SessionEventType = std::uint32_t;
inline constexpr SessionEventType kSessionEventKeyDown = 10;
inline constexpr SessionEventType kSessionEventKeyUp = 11;
inline constexpr SessionEventType kSessionEventFlagsChanged = 12;
inline constexpr SessionEventType kSessionEventLeftMouseDown = 1;
inline constexpr SessionEventType kSessionEventLeftMouseUp = 2;
// Notices a tap receives when the system has disabled it.
inline constexpr SessionEventType kSessionEventTapDisabledByTimeout = 0xFFFFFFFE;
inline constexpr SessionEventType kSessionEventTapDisabledByUserInput = 0xFFFFFFFF;

using SessionEventField = std::uint32_t;
inline constexpr SessionEventField kKeyboardEventAutorepeat = 8;
inline constexpr SessionEventField kKeyboardEventKeycode = 9;
inline constexpr SessionEventField kKeyboardEventKeyboardType = 10;

class SessionEvent {
public:
    SessionEvent(SessionEventType type, ModifierFlags flags) : type_(type), flags_(flags) {}
    static SessionEvent keyboard(std::uint16_t keyCode, bool keyDown, ModifierFlags flags = 0) {
        SessionEvent event(keyDown ? kSessionEventKeyDown : kSessionEventKeyUp, flags);
        event.keyCode_ = keyCode;
        return event;
    }

    SessionEventType type() const { return type_; }
    ModifierFlags flags() const { return flags_; }
    void setFlags(ModifierFlags flags) { flags_ = flags; }
    std::int64_t integerValueField(SessionEventField field) const {
        if (field == kKeyboardEventKeycode) return keyCode_;
        auto it = fields_.find(field);
        return it == fields_.end() ? 0 : it->second;
    }
    void setIntegerValueField(SessionEventField field, std::int64_t value) {
        if (field == kKeyboardEventKeycode)
            keyCode_ = value;
        else
            fields_[field] = value;
    }
    Point location;

private:
    SessionEventType type_;
    ModifierFlags flags_;
    std::int64_t keyCode_ = 0;  // the hot field, kept out of the map
    std::map<SessionEventField, std::int64_t> fields_;
};

}  // namespace platform
