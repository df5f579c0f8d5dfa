#include "platform/appkit/Event.h"

namespace platform {

std::shared_ptr<Event> Event::keyEvent(EventType type, std::uint16_t keyCode, ModifierFlags flags,
                                       std::string characters, bool isARepeat) {
    auto event = std::make_shared<Event>();
    event->type_ = type;
    event->keyCode_ = keyCode;
    event->flags_ = flags;
    event->characters_ = std::move(characters);
    event->repeat_ = isARepeat;
    return event;
}

std::shared_ptr<Event> Event::mouseEvent(EventType type, Point locationInWindow, ModifierFlags flags, int clickCount) {
    auto event = std::make_shared<Event>();
    event->type_ = type;
    event->location_ = locationInWindow;
    event->flags_ = flags;
    event->clickCount_ = clickCount;
    return event;
}

std::shared_ptr<Event> Event::scrollEvent(double deltaX, double deltaY, bool precise, ModifierFlags flags) {
    auto event = std::make_shared<Event>();
    event->type_ = EventType::ScrollWheel;
    event->deltaX_ = deltaX;
    event->deltaY_ = deltaY;
    event->precise_ = precise;
    event->flags_ = flags;
    return event;
}

}  // namespace platform
