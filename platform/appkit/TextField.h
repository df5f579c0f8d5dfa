#pragma once

// Text fields and labels: a text in a font and colour, editable or not, on one line or wrapped. The
// fitting size is the measured text plus two points of padding on each side (four more each way for
// a bezeled field); a wrapping label wraps at its preferred maximum layout width when it has one.

#include <memory>
#include <string>

#include "platform/appkit/Color.h"
#include "platform/appkit/Control.h"

namespace platform {

class TextField;
using TextFieldPtr = std::shared_ptr<TextField>;

class TextField : public Control {
public:
    // A non-editable, non-selectable single-line label without background.
    static TextFieldPtr labelWithString(const std::string& text);
    // A selectable, non-editable label that wraps by words.
    static TextFieldPtr wrappingLabelWithString(const std::string& text);
    // An editable, bezeled field.
    static TextFieldPtr textFieldWithString(const std::string& text);

    void setStringValue(const std::string& value) override;
    std::string placeholderString;
    ColorPtr textColor = Color::label();
    ColorPtr backgroundColor = Color::textColor();
    bool drawsBackground = false;
    bool isBezeled = false;
    bool isBordered = false;
    bool isEditable = true;
    bool isSelectable = true;
    LineBreakMode lineBreakMode = LineBreakMode::ByClipping;
    bool wraps = false;
    double preferredMaxLayoutWidth = 0;
    int maximumNumberOfLines = 0;

    Size intrinsicContentSize() const override;
    // The size the text needs within `proposed` (a width of 0 or less, or infinite, is unbounded).
    Size sizeThatFits(Size proposed) const;
    void draw(GraphicsContext& context, const Rect& dirtyRect) override;
    bool acceptsFirstResponder() const override { return isEditable || isSelectable; }

private:
    double padding() const { return isBezeled || isBordered ? 4 : 2; }
    Size measure(double widthLimit) const;
};

}  // namespace platform
