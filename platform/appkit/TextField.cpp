#include "platform/appkit/TextField.h"

#include <cmath>

#include "platform/appkit/GraphicsContext.h"

namespace platform {

TextFieldPtr TextField::labelWithString(const std::string& text) {
    auto f = View::make<TextField>();
    f->isEditable = false;
    f->isSelectable = false;
    f->setStringValue(text);
    f->sizeToFit();
    return f;
}

TextFieldPtr TextField::wrappingLabelWithString(const std::string& text) {
    auto f = View::make<TextField>();
    f->isEditable = false;
    f->isSelectable = true;
    f->wraps = true;
    f->lineBreakMode = LineBreakMode::ByWordWrapping;
    f->setStringValue(text);
    f->sizeToFit();
    return f;
}

TextFieldPtr TextField::textFieldWithString(const std::string& text) {
    auto f = View::make<TextField>();
    f->isBezeled = true;
    f->drawsBackground = true;
    f->backgroundColor = Color::controlBackground();
    f->setStringValue(text);
    f->sizeToFit();
    return f;
}

void TextField::setStringValue(const std::string& value) {
    Control::setStringValue(value);
    setNeedsDisplay(true);
}

Size TextField::measure(double widthLimit) const {
    TextLayoutOptions o;
    o.alignment = alignment;
    o.maxLines = maximumNumberOfLines;
    o.lineBreak = wraps ? lineBreakMode : LineBreakMode::ByClipping;
    if (wraps && widthLimit > 0 && std::isfinite(widthLimit)) o.maxWidth = std::max(1.0, widthLimit - 2 * padding());
    Size s = measureText(stringValue(), font(), o);
    double vertical = isBezeled || isBordered ? 6 : 0;
    return {std::ceil(s.width) + 2 * padding(), std::ceil(s.height) + vertical};
}

Size TextField::intrinsicContentSize() const { return measure(preferredMaxLayoutWidth); }

Size TextField::sizeThatFits(Size proposed) const {
    double limit = proposed.width > 0 && std::isfinite(proposed.width) ? proposed.width : preferredMaxLayoutWidth;
    Size s = measure(limit);
    if (limit > 0 && std::isfinite(limit)) s.width = std::min(s.width, limit);
    return s;
}

void TextField::draw(GraphicsContext& g, const Rect&) {
    Rect b = bounds();
    if (drawsBackground && backgroundColor) g.fillRect(b, backgroundColor);
    if (isBezeled || isBordered) {
        auto border = BezierPath::rect(b.insetBy(0.5, 0.5));
        g.setColor(Color::white(0.5, 0.5));
        g.strokePath(*border);
    }
    bool placeholder = stringValue().empty();
    const std::string& text = placeholder ? placeholderString : stringValue();
    if (text.empty()) return;
    TextLayoutOptions o;
    o.alignment = alignment;
    o.maxLines = maximumNumberOfLines;
    o.lineBreak = wraps ? lineBreakMode : LineBreakMode::ByClipping;
    double inset = isBezeled || isBordered ? 3 : 0;
    Rect r{padding(), inset, std::max(1.0, b.width() - 2 * padding()), std::max(0.0, b.height() - 2 * inset)};
    if (!wraps) o.maxWidth = 0;
    if (!g.isFlipped()) r.origin.y = b.height() - inset - r.size.height;
    if (!wraps) {
        // One line: the layout must not wrap, but alignment needs the width.
        o.lineBreak = LineBreakMode::ByClipping;
    }
    g.drawText(text, r, font(), placeholder ? Color::placeholderText() : textColor, o);
}

}  // namespace platform
