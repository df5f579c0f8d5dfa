#pragma once

// Buttons: push buttons, check boxes and image buttons, bordered or not, with a title (plain or
// attributed), an image that may be a template, a state, a bezel colour and fitting sizes.

#include <memory>
#include <string>

#include "platform/appkit/Color.h"
#include "platform/appkit/Control.h"
#include "platform/appkit/Image.h"

namespace platform {

enum class ButtonType { MomentaryLight = 0, PushOnPushOff = 1, Toggle = 2, Switch = 3, Radio = 4,
                        MomentaryChange = 5, OnOff = 6, MomentaryPushIn = 7 };
enum class BezelStyle { Rounded = 1, RegularSquare = 2, Disclosure = 5, ShadowlessSquare = 6, Circular = 7,
                        TexturedSquare = 8, HelpButton = 9, SmallSquare = 10, TexturedRounded = 11,
                        RoundRect = 12, Recessed = 13, RoundedDisclosure = 14, Inline = 15 };
enum class ImagePosition { NoImage = 0, ImageOnly = 1, ImageLeft = 2, ImageRight = 3, ImageBelow = 4,
                           ImageAbove = 5, ImageOverlaps = 6, ImageLeading = 7, ImageTrailing = 8 };

namespace ControlState {
inline constexpr int Mixed = -1, Off = 0, On = 1;
}

class Button;
using ButtonPtr = std::shared_ptr<Button>;

class Button : public Control {
public:
    // A push button with a title.
    static ButtonPtr withTitle(const std::string& title, const ObjectPtr& target = nullptr, std::string action = {});
    // A check box with a title.
    static ButtonPtr checkbox(const std::string& title, const ObjectPtr& target = nullptr, std::string action = {});
    static ButtonPtr radio(const std::string& title, const ObjectPtr& target = nullptr, std::string action = {});
    // A button showing only an image.
    static ButtonPtr withImage(const ImagePtr& image, const ObjectPtr& target = nullptr, std::string action = {});

    const std::string& title() const { return title_.string; }
    void setTitle(const std::string& title);
    const AttributedString& attributedTitle() const { return title_; }
    void setAttributedTitle(const AttributedString& title) { title_ = title; }
    std::string stringValue() const override { return title_.string; }

    int state() const { return state_; }
    void setState(int state);
    bool allowsMixedState = false;

    ButtonType buttonType() const { return type_; }
    void setButtonType(ButtonType type);
    BezelStyle bezelStyle = BezelStyle::Rounded;
    bool isBordered() const { return bordered_; }
    void setBordered(bool bordered) { bordered_ = bordered; }
    const ImagePtr& image() const { return image_; }
    void setImage(const ImagePtr& image) { image_ = image; }
    ImagePosition imagePosition = ImagePosition::ImageLeading;
    ColorPtr bezelColor;
    ColorPtr contentTintColor;
    std::string keyEquivalent;

    bool isCheckbox() const { return type_ == ButtonType::Switch || type_ == ButtonType::Radio; }
    Size intrinsicContentSize() const override;
    void performClick() override;
    void draw(GraphicsContext& context, const Rect& dirtyRect) override;
    bool acceptsFirstResponder() const override { return isEnabled(); }

private:
    AttributedString title_{"Button", nullptr, nullptr};
    int state_ = ControlState::Off;
    ButtonType type_ = ButtonType::MomentaryPushIn;
    bool bordered_ = true;
    ImagePtr image_;
};

}  // namespace platform
