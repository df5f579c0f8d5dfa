#pragma once

// Scroll views: a clip view over a document view, with optional scrollers (drawn only when the
// document is larger than the clip view and scrollers are wanted) and border.

#include <memory>

#include "platform/appkit/ClipView.h"
#include "platform/appkit/Color.h"
#include "platform/appkit/View.h"

namespace platform {

enum class BorderType { NoBorder = 0, Line = 1, Bezel = 2, Groove = 3 };

class ScrollView : public View {
public:
    const ClipViewPtr& contentView() const { return clipView_; }
    ViewPtr documentView() const { return clipView_ ? clipView_->documentView() : nullptr; }
    void setDocumentView(const ViewPtr& view);
    bool hasVerticalScroller = false;
    bool hasHorizontalScroller = false;
    bool autohidesScrollers = false;
    bool drawsBackground = true;
    ColorPtr backgroundColor = Color::controlBackground();
    BorderType borderType = BorderType::NoBorder;

    // The size of the clip view for the current frame.
    Size contentSize() const;
    // Whether a vertical scroller shows: wanted, and (when hiding automatically) needed.
    bool showsVerticalScroller() const;

    void didCreate() override;
    void layout() override;
    void draw(GraphicsContext& context, const Rect& dirtyRect) override;

private:
    ClipViewPtr clipView_;
};

using ScrollViewPtr = std::shared_ptr<ScrollView>;

}  // namespace platform
