#pragma once

// Image views: an image drawn inside the bounds according to the scaling, centred; a template image
// takes the content tint colour.

#include <memory>

#include "platform/appkit/Color.h"
#include "platform/appkit/Control.h"
#include "platform/appkit/Image.h"

namespace platform {

enum class ImageScaling { ProportionallyDown = 0, AxesIndependently = 1, None = 2, ProportionallyUpOrDown = 3 };

class ImageView;
using ImageViewPtr = std::shared_ptr<ImageView>;

class ImageView : public Control {
public:
    static ImageViewPtr withImage(const ImagePtr& image);

    const ImagePtr& image() const { return image_; }
    void setImage(const ImagePtr& image) {
        image_ = image;
        setNeedsDisplay(true);
    }
    ImageScaling imageScaling = ImageScaling::ProportionallyDown;
    ColorPtr contentTintColor;
    bool isEditable = false;
    bool animates = true;

    // Where the image is drawn in the bounds; empty without an image.
    Rect imageRect() const;
    Size intrinsicContentSize() const override;
    void draw(GraphicsContext& context, const Rect& dirtyRect) override;

private:
    ImagePtr image_;
};

}  // namespace platform
