#pragma once

// Boxes: a frame around a content view, either the standard look or a custom one with fill colour,
// border and corner radius. The content view fills the box inside the border and the margins.

#include <memory>
#include <string>

#include "platform/appkit/Color.h"
#include "platform/appkit/View.h"

namespace platform {

enum class BoxType { Primary = 0, Separator = 2, Custom = 4 };
enum class TitlePosition { NoTitle = 0, AboveTop = 1, AtTop = 2, BelowTop = 3, AboveBottom = 4, AtBottom = 5,
                           BelowBottom = 6 };

class Box : public View {
public:
    BoxType boxType = BoxType::Primary;
    std::string title = "Title";
    TitlePosition titlePosition = TitlePosition::AtTop;
    double cornerRadius = 0;
    double borderWidth = 1;
    ColorPtr borderColor = Color::white(0, 0.15);
    ColorPtr fillColor = Color::clear();
    bool isTransparent = false;
    // Horizontal and vertical margins around the content view.
    Size contentViewMargins{5, 5};

    const ViewPtr& contentView() const { return contentView_; }
    void setContentView(const ViewPtr& view);
    // Where the content view goes, in the box's coordinates.
    Rect contentRect() const;

    void didCreate() override;
    void layout() override;
    void draw(GraphicsContext& context, const Rect& dirtyRect) override;

private:
    ViewPtr contentView_;
};

using BoxPtr = std::shared_ptr<Box>;

}  // namespace platform
