#pragma once

// Gesture recognisers: attached to a view, they send their action to their target (held weakly) with
// themselves as sender when they recognise a click, a pan or a press.

#include <memory>
#include <string>

#include "platform/appkit/Geometry.h"
#include "platform/runtime/Object.h"

namespace platform {

class View;
class GestureRecognizer;

// A delegate may refuse to let a recogniser begin.
class GestureRecognizerDelegate {
public:
    virtual ~GestureRecognizerDelegate() = default;
    virtual bool gestureRecognizerShouldBegin(GestureRecognizer&) { return true; }
};

class GestureRecognizer : public Object {
public:
    enum class State { Possible = 0, Began = 1, Changed = 2, Ended = 3, Cancelled = 4, Failed = 5 };
    enum class Kind { Click, Pan, Press, Magnification, Rotation };

    GestureRecognizer(Kind kind, const ObjectPtr& target, std::string action)
        : kind_(kind), target_(target), action_(std::move(action)) {}

    Kind kind() const { return kind_; }
    ObjectPtr target() const { return target_.lock(); }
    void setTarget(const ObjectPtr& target) { target_ = target; }
    const std::string& action() const { return action_; }
    void setAction(std::string action) { action_ = std::move(action); }

    // Weak; any object, asked through GestureRecognizerDelegate when it implements it.
    ObjectPtr delegate() const { return delegate_.lock(); }
    void setDelegate(const ObjectPtr& delegate) { delegate_ = delegate; }

    std::shared_ptr<View> view() const { return view_.lock(); }
    State state() const { return state_; }
    bool isEnabled = true;

    // Where the gesture is, in the coordinates of `view` (null: the window).
    Point location(const std::shared_ptr<View>& view) const;

    // Click: number of clicks required and mouse button mask (1: left).
    int numberOfClicksRequired = 1;
    unsigned buttonMask = 1;
    // Pan: translation since the start, in the window's coordinates.
    Point translation;
    // Press: minimum press duration in seconds.
    double minimumPressDuration = 0.5;

    // Moves the recogniser to `state` with the gesture at `windowPoint`, sending the action when the
    // state is one the kind reports (click: Ended; pan and press: Began, Changed, Ended). Answers
    // false when disabled or refused by the delegate. The window calls it from mouse events; tests
    // may call it directly.
    bool transition(State state, Point windowPoint);

private:
    friend class View;
    Kind kind_;
    WeakObjectPtr target_;
    std::string action_;
    WeakObjectPtr delegate_;
    std::weak_ptr<View> view_;
    State state_ = State::Possible;
    Point windowPoint_;
};

using GestureRecognizerPtr = std::shared_ptr<GestureRecognizer>;

inline GestureRecognizerPtr makeClickGestureRecognizer(const ObjectPtr& target, std::string action) {
    return std::make_shared<GestureRecognizer>(GestureRecognizer::Kind::Click, target, std::move(action));
}
inline GestureRecognizerPtr makePanGestureRecognizer(const ObjectPtr& target, std::string action) {
    return std::make_shared<GestureRecognizer>(GestureRecognizer::Kind::Pan, target, std::move(action));
}
inline GestureRecognizerPtr makePressGestureRecognizer(const ObjectPtr& target, std::string action) {
    return std::make_shared<GestureRecognizer>(GestureRecognizer::Kind::Press, target, std::move(action));
}

}  // namespace platform
