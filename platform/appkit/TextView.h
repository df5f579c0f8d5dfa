#pragma once

// A multi-line text view: the text wrapped to the view's width minus the container inset.

#include <memory>
#include <string>

#include "platform/appkit/Color.h"
#include "platform/appkit/Font.h"
#include "platform/appkit/Text.h"
#include "platform/appkit/View.h"

namespace platform {

class TextView : public View {
public:
    std::string string;
    FontPtr font = Font::systemFont(Font::systemFontSize());
    ColorPtr textColor = Color::textColor();
    ColorPtr backgroundColor = Color::controlBackground();
    bool drawsBackground = true;
    bool isEditable = true;
    bool isSelectable = true;
    bool isRichText = true;
    TextAlignment alignment = TextAlignment::Natural;
    Size textContainerInset{0, 0};

    bool isFlipped() const override { return true; }
    bool acceptsFirstResponder() const override { return isEditable || isSelectable; }
    void draw(GraphicsContext& context, const Rect& dirtyRect) override;
};

using TextViewPtr = std::shared_ptr<TextView>;

}  // namespace platform
