#include "platform/appkit/ClipView.h"

#include <algorithm>

namespace platform {

void ClipView::setDocumentView(const ViewPtr& view) {
    if (documentView_) documentView_->removeFromSuperview();
    documentView_ = view;
    setBoundsOrigin({0, 0});
    if (view) addSubview(view);
}

void ClipView::scrollToPoint(Point point) {
    if (!documentView_) return;
    Rect doc = documentView_->frame();
    double maxX = std::max(doc.minX(), doc.maxX() - frame().size.width);
    double maxY = std::max(doc.minY(), doc.maxY() - frame().size.height);
    setBoundsOrigin({std::clamp(point.x, doc.minX(), maxX), std::clamp(point.y, doc.minY(), maxY)});
}

Rect ClipView::documentVisibleRect() const {
    if (!documentView_) return {};
    return bounds().intersection(documentView_->frame());
}

}  // namespace platform
