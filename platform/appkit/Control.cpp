#include "platform/appkit/Control.h"

#include <cmath>

namespace platform {

bool Control::sendAction() {
    if (!enabled_ || action_.empty()) return false;
    auto self = sharedFromThis<Control>();
    if (auto t = target()) return t->perform(action_, self);
    // Without a target the action goes up the responder chain to the first that implements it.
    for (auto r = nextResponder(); r; r = r->nextResponder())
        if (r->perform(action_, self)) return true;
    return false;
}

void Control::performClick() {
    if (!enabled_) return;
    sendAction();
}

void Control::sizeToFit() {
    Size s = fittingSize();
    setFrameSize({std::ceil(s.width), std::ceil(s.height)});
}

ViewPtr Control::hitTest(Point point) {
    ViewPtr hit = View::hitTest(point);
    hitTestHook().run(*this, hit);
    return hit;
}

void Control::mouseDown(const EventPtr&) { pressed_ = enabled_; }

void Control::mouseUp(const EventPtr& event) {
    bool wasPressed = pressed_;
    pressed_ = false;
    if (!wasPressed || !enabled_ || !event) return;
    Point p = convertPointFrom(event->locationInWindow(), nullptr);
    if (bounds().contains(p)) performClick();
}

HookPoint<Control&, ViewPtr&>& Control::hitTestHook() {
    static HookPoint<Control&, ViewPtr&> hook;
    return hook;
}

}  // namespace platform
