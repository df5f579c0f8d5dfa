#pragma once

// Text measuring with Pango: the sizes that fitting sizes, bounding rectangles and labels are made
// of. Lengths are points; one point is one Pango device unit at scale 1.

#include <string>

#include "platform/appkit/Font.h"
#include "platform/appkit/Color.h"
#include "platform/appkit/Geometry.h"

namespace platform {

enum class TextAlignment { Left = 0, Right = 1, Center = 2, Justified = 3, Natural = 4 };
enum class LineBreakMode { ByWordWrapping = 0, ByCharWrapping = 1, ByClipping = 2, ByTruncatingHead = 3,
                           ByTruncatingTail = 4, ByTruncatingMiddle = 5 };

struct TextLayoutOptions {
    // Width available for wrapping; 0 or less: one unwrapped line per paragraph.
    double maxWidth = 0;
    // Most lines shown; 0: unlimited.
    int maxLines = 0;
    TextAlignment alignment = TextAlignment::Natural;
    LineBreakMode lineBreak = LineBreakMode::ByWordWrapping;
};

// The size of `text` laid out in `font` (system font when null). An empty text has the height of
// one line and no width.
Size measureText(const std::string& text, const FontPtr& font, const TextLayoutOptions& options = {});

// The bounding rectangle of `text` laid out by line fragments within `size` (a width of 0 or less,
// or an infinite one, is unbounded): origin (0, 0), fractional size.
Rect boundingRect(const std::string& text, const FontPtr& font, Size size);

// The height of one line of `font`.
double lineHeight(const FontPtr& font);

}  // namespace platform

namespace platform {

// A text with one set of attributes, the form titles and labels use.
struct AttributedString {
    std::string string;
    FontPtr font;             // null: the owner's font
    ColorPtr foregroundColor; // null: the owner's colour
};

}  // namespace platform
