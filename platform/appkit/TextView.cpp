#include "platform/appkit/TextView.h"

#include <algorithm>

#include "platform/appkit/GraphicsContext.h"

namespace platform {

void TextView::draw(GraphicsContext& g, const Rect&) {
    Rect b = bounds();
    if (drawsBackground && backgroundColor) g.fillRect(b, backgroundColor);
    TextLayoutOptions o;
    o.alignment = alignment;
    o.maxWidth = std::max(1.0, b.width() - 2 * textContainerInset.width);
    Rect r{textContainerInset.width, textContainerInset.height, o.maxWidth,
           std::max(0.0, b.height() - 2 * textContainerInset.height)};
    g.drawText(string, r, font, textColor, o);
}

}  // namespace platform
