#include "platform/appkit/Button.h"

#include <cmath>

#include "platform/appkit/GraphicsContext.h"

namespace platform {

namespace {
// Fixed metrics of the simulated controls, in points.
constexpr double kPushHeight = 21, kPushPadding = 12, kCheckboxBox = 14, kCheckboxGap = 4, kCheckboxHeight = 16;
}  // namespace

ButtonPtr Button::withTitle(const std::string& title, const ObjectPtr& target, std::string action) {
    auto b = View::make<Button>();
    b->setTitle(title);
    b->setTarget(target);
    b->setAction(std::move(action));
    b->sizeToFit();
    return b;
}

ButtonPtr Button::checkbox(const std::string& title, const ObjectPtr& target, std::string action) {
    auto b = View::make<Button>();
    b->setButtonType(ButtonType::Switch);
    b->setTitle(title);
    b->setTarget(target);
    b->setAction(std::move(action));
    b->sizeToFit();
    return b;
}

ButtonPtr Button::radio(const std::string& title, const ObjectPtr& target, std::string action) {
    auto b = checkbox(title, target, std::move(action));
    b->setButtonType(ButtonType::Radio);
    return b;
}

ButtonPtr Button::withImage(const ImagePtr& image, const ObjectPtr& target, std::string action) {
    auto b = View::make<Button>();
    b->setTitle("");
    b->setImage(image ? image : Image::empty());
    b->imagePosition = ImagePosition::ImageOnly;
    b->setTarget(target);
    b->setAction(std::move(action));
    b->sizeToFit();
    return b;
}

void Button::setTitle(const std::string& title) { title_ = {title, nullptr, nullptr}; }

void Button::setState(int state) {
    if (state == ControlState::Mixed && !allowsMixedState) state = ControlState::On;
    state_ = state < 0 ? ControlState::Mixed : state > 0 ? ControlState::On : ControlState::Off;
}

void Button::setButtonType(ButtonType type) {
    type_ = type;
    if (isCheckbox()) bordered_ = false;
}

Size Button::intrinsicContentSize() const {
    FontPtr f = title_.font ? title_.font : font();
    Size text = title_.string.empty() ? Size{0, lineHeight(f)} : measureText(title_.string, f);
    text.width = std::ceil(text.width);
    text.height = std::ceil(text.height);
    if (isCheckbox())
        return {kCheckboxBox + (title_.string.empty() ? 0 : kCheckboxGap + text.width), kCheckboxHeight};
    Size imageSize = image_ ? image_->size() : Size{};
    bool showsTitle = !title_.string.empty() && imagePosition != ImagePosition::ImageOnly;
    double width = (showsTitle ? text.width : 0) + imageSize.width + (showsTitle && imageSize.width > 0 ? 4 : 0);
    double height = std::max(showsTitle ? text.height : 0.0, imageSize.height);
    if (!bordered_) return {width, height};
    return {width + 2 * kPushPadding, std::max(kPushHeight, height + 4)};
}

void Button::performClick() {
    if (!isEnabled()) return;
    switch (type_) {
        case ButtonType::Switch:
        case ButtonType::PushOnPushOff:
        case ButtonType::Toggle:
        case ButtonType::OnOff: setState(state_ == ControlState::On ? ControlState::Off : ControlState::On); break;
        case ButtonType::Radio: setState(ControlState::On); break;
        default: break;
    }
    sendAction();
}

void Button::draw(GraphicsContext& g, const Rect&) {
    Rect b = bounds();
    FontPtr f = title_.font ? title_.font : font();
    ColorPtr textColor = title_.foregroundColor ? title_.foregroundColor : Color::label();
    if (!isEnabled()) textColor = textColor->withAlphaComponent(0.35);
    Size text = title_.string.empty() ? Size{} : measureText(title_.string, f);
    bool dark = g.appearance() && g.appearance()->isDarkFamily();
    if (isCheckbox()) {
        double top = (b.height() - kCheckboxBox) / 2;
        Rect box = g.isFlipped() ? Rect{1, top, kCheckboxBox - 2, kCheckboxBox - 2}
                                 : Rect{1, b.height() - top - kCheckboxBox + 2, kCheckboxBox - 2, kCheckboxBox - 2};
        bool on = state_ != ControlState::Off;
        auto outline = BezierPath::roundedRect(box, type_ == ButtonType::Radio ? 6 : 3, type_ == ButtonType::Radio ? 6 : 3);
        g.setColor(on ? Color::controlAccent() : (dark ? Color::white(1, 0.1) : Color::whiteColor()));
        g.fillPath(*outline);
        g.setColor(Color::white(0.5, 0.6));
        outline->lineWidth = 0.5;
        g.strokePath(*outline);
        if (on) {
            auto check = BezierPath::make();
            Rect d = box;
            check->moveTo({d.minX() + 3, d.midY()});
            check->lineTo({d.minX() + 5.5, g.isFlipped() ? d.maxY() - 3 : d.minY() + 3});
            check->lineTo({d.maxX() - 2.5, g.isFlipped() ? d.minY() + 2.5 : d.maxY() - 2.5});
            check->lineWidth = 1.8;
            g.setColor(Color::whiteColor());
            g.strokePath(*check);
        }
        if (!title_.string.empty()) {
            double y = (b.height() - text.height) / 2;
            Rect r{kCheckboxBox + kCheckboxGap, g.isFlipped() ? y : b.height() - y - text.height, b.width(), text.height};
            TextLayoutOptions o;
            o.lineBreak = LineBreakMode::ByClipping;
            g.drawText(title_.string, r, f, textColor, o);
        }
        return;
    }
    if (bordered_) {
        Rect bezel = b.insetBy(0.5, 0.5);
        double h = std::min(bezel.height(), kPushHeight);
        bezel = {bezel.minX(), bezel.midY() - h / 2, bezel.width(), h};
        auto path = BezierPath::roundedRect(bezel, 5, 5);
        ColorPtr fill = bezelColor;
        if (!fill) fill = state_ == ControlState::On && type_ != ButtonType::MomentaryPushIn
                              ? Color::controlAccent()
                              : (dark ? Color::white(1, 0.25) : Color::whiteColor());
        g.setColor(fill);
        g.fillPath(*path);
        g.setColor(Color::white(0, 0.15));
        path->lineWidth = 0.5;
        g.strokePath(*path);
        if (bezelColor && !title_.foregroundColor) textColor = Color::whiteColor();
    }
    double x = (b.width() - text.width - (image_ ? image_->size().width : 0)) / 2;
    if (image_ && !image_->isEmpty()) {
        Size s = image_->size();
        double iy = (b.height() - s.height) / 2;
        Rect r{imagePosition == ImagePosition::ImageOnly || title_.string.empty() ? (b.width() - s.width) / 2 : x,
               g.isFlipped() ? iy : b.height() - iy - s.height, s.width, s.height};
        ColorPtr tint = contentTintColor ? contentTintColor : Color::label();
        g.drawImage(*image_, r, isEnabled() ? 1.0 : 0.35, tint);
        x += s.width + 4;
    }
    if (!title_.string.empty() && imagePosition != ImagePosition::ImageOnly) {
        double y = (b.height() - text.height) / 2;
        Rect r{x, g.isFlipped() ? y : b.height() - y - text.height, text.width + 1, text.height};
        TextLayoutOptions o;
        o.lineBreak = LineBreakMode::ByClipping;
        g.drawText(title_.string, r, f, textColor, o);
    }
}

}  // namespace platform
