#pragma once

// The clip view of a scroll view: shows the part of its document view at its bounds origin and clips
// everything else. It is flipped when its document view is.

#include <memory>

#include "platform/appkit/View.h"

namespace platform {

class ClipView : public View {
public:
    const ViewPtr& documentView() const { return documentView_; }
    void setDocumentView(const ViewPtr& view);
    // Scrolls so that `point` of the document is at the clip view's origin, kept inside the document.
    void scrollToPoint(Point point);
    Rect documentVisibleRect() const;
    bool isFlipped() const override { return documentView_ ? documentView_->isFlipped() : View::isFlipped(); }
    void didCreate() override { clipsToBounds = true; }

private:
    ViewPtr documentView_;
};

using ClipViewPtr = std::shared_ptr<ClipView>;

}  // namespace platform
