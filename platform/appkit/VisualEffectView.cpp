#include "platform/appkit/VisualEffectView.h"

#include "platform/appkit/GraphicsContext.h"

namespace platform {

ColorPtr VisualEffectView::materialColor(const AppearancePtr& appearance) const {
    bool dark = appearance && appearance->isDarkFamily();
    if (material == VisualEffectMaterial::HUDWindow || material == VisualEffectMaterial::FullScreenUI)
        return dark ? Color::white(0.12, 0.85) : Color::white(0.95, 0.85);
    return dark ? Color::white(0.17, 0.92) : Color::white(0.93, 0.92);
}

void VisualEffectView::draw(GraphicsContext& g, const Rect&) {
    Rect b = bounds();
    if (maskImage && !maskImage->isEmpty()) {
        g.drawImage(*maskImage, b, 1.0, materialColor(g.appearance()));
        return;
    }
    g.fillRect(b, materialColor(g.appearance()));
}

}  // namespace platform
