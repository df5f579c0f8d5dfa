#include "platform/appkit/Box.h"

#include <algorithm>

#include "platform/appkit/GraphicsContext.h"

namespace platform {

void Box::didCreate() { setContentView(View::make()); }

void Box::setContentView(const ViewPtr& view) {
    if (contentView_) contentView_->removeFromSuperview();
    contentView_ = view;
    if (view) {
        addSubview(view);
        view->setFrame(contentRect());
    }
}

Rect Box::contentRect() const {
    Rect b = bounds();
    double border = boxType == BoxType::Separator || isTransparent ? 0 : std::max(0.0, borderWidth);
    double titleSpace = 0;
    if (boxType != BoxType::Custom && titlePosition != TitlePosition::NoTitle && !title.empty()) titleSpace = 16;
    double x = border + contentViewMargins.width, y = border + contentViewMargins.height;
    double w = std::max(0.0, b.width() - 2 * x), h = std::max(0.0, b.height() - 2 * y - titleSpace);
    return {x, y, w, h};
}

void Box::layout() {
    if (contentView_) contentView_->setFrame(contentRect());
}

void Box::draw(GraphicsContext& g, const Rect&) {
    if (isTransparent) return;
    Rect b = bounds();
    if (boxType == BoxType::Separator) {
        g.fillRect({0, b.midY() - 0.5, b.width(), 1}, Color::separator());
        return;
    }
    double radius = boxType == BoxType::Custom ? cornerRadius : 5;
    ColorPtr fill = boxType == BoxType::Custom ? fillColor : Color::white(0, 0.05);
    auto outline = BezierPath::roundedRect(b, radius, radius);
    if (fill) {
        g.setColor(fill);
        g.fillPath(*outline);
    }
    if (borderWidth > 0 && borderColor) {
        auto inner = BezierPath::roundedRect(b.insetBy(borderWidth / 2, borderWidth / 2), radius, radius);
        inner->lineWidth = borderWidth;
        g.setColor(borderColor);
        g.strokePath(*inner);
    }
}

}  // namespace platform
