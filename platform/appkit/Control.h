#pragma once

// Controls: views that send an action to a target (held weakly) when the user acts on them; a click
// sends it on mouse-up inside the control, and only while the control is enabled.

#include <memory>
#include <string>

#include "platform/appkit/Font.h"
#include "platform/appkit/Text.h"
#include "platform/appkit/View.h"

namespace platform {

enum class ControlSize { Regular = 0, Small = 1, Mini = 2, Large = 3 };

class Control : public View {
public:
    ObjectPtr target() const { return target_.lock(); }
    void setTarget(const ObjectPtr& target) { target_ = target; }
    const std::string& action() const { return action_; }
    void setAction(std::string action) { action_ = std::move(action); }

    bool isEnabled() const { return enabled_; }
    virtual void setEnabled(bool enabled) { enabled_ = enabled; }
    // Sends the action to the target with this control as sender; false when there is no action,
    // no target that responds to it, or the control is disabled.
    bool sendAction();
    // What a click does: the control's own response (a check box toggles), then the action.
    virtual void performClick();

    virtual std::string stringValue() const { return stringValue_; }
    virtual void setStringValue(const std::string& value) { stringValue_ = value; }
    const FontPtr& font() const { return font_; }
    void setFont(const FontPtr& font) { font_ = font ? font : Font::systemFont(Font::systemFontSize()); }
    TextAlignment alignment = TextAlignment::Natural;
    ControlSize controlSize = ControlSize::Regular;

    void sizeToFit();
    // A control's hit test; hooks may change the answer for every control (run after it).
    ViewPtr hitTest(Point point) override;
    static HookPoint<Control&, ViewPtr&>& hitTestHook();

    // A click: pressed on mouse-down, the action sent on mouse-up inside the control.
    void mouseDown(const EventPtr& event) override;
    void mouseUp(const EventPtr& event) override;
    bool isHighlighted() const { return pressed_; }

private:
    std::weak_ptr<Object> target_;
    std::string action_;
    bool enabled_ = true;
    bool pressed_ = false;
    std::string stringValue_;
    FontPtr font_ = Font::systemFont(Font::systemFontSize());
};

using ControlPtr = std::shared_ptr<Control>;

}  // namespace platform
