#include "platform/appkit/ScrollView.h"

#include <algorithm>

#include "platform/appkit/GraphicsContext.h"

namespace platform {

void ScrollView::didCreate() {
    clipView_ = View::make<ClipView>({0, 0, frame().size.width, frame().size.height});
    addSubview(clipView_);
}

void ScrollView::setDocumentView(const ViewPtr& view) {
    clipView_->setDocumentView(view);
    setNeedsLayout(true);
}

Size ScrollView::contentSize() const {
    double border = borderType == BorderType::NoBorder ? 0 : 1;
    return {std::max(0.0, frame().size.width - 2 * border), std::max(0.0, frame().size.height - 2 * border)};
}

bool ScrollView::showsVerticalScroller() const {
    if (!hasVerticalScroller) return false;
    if (!autohidesScrollers) return true;
    auto doc = documentView();
    return doc && doc->frame().size.height > contentSize().height;
}

void ScrollView::layout() {
    double border = borderType == BorderType::NoBorder ? 0 : 1;
    Size s = contentSize();
    clipView_->setFrame({border, border, s.width, s.height});
}

void ScrollView::draw(GraphicsContext& g, const Rect&) {
    Rect b = bounds();
    if (drawsBackground && backgroundColor) g.fillRect(b, backgroundColor);
    if (borderType != BorderType::NoBorder) {
        auto border = BezierPath::rect(b.insetBy(0.5, 0.5));
        g.setColor(Color::separator());
        g.strokePath(*border);
    }
}

}  // namespace platform
