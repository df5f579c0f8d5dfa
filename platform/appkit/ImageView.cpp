#include "platform/appkit/ImageView.h"

#include <algorithm>

#include "platform/appkit/GraphicsContext.h"

namespace platform {

ImageViewPtr ImageView::withImage(const ImagePtr& image) {
    auto v = View::make<ImageView>();
    v->setImage(image);
    if (image) v->setFrameSize(image->size());
    return v;
}

Rect ImageView::imageRect() const {
    if (!image_ || image_->size().isEmpty()) return {};
    Rect b = bounds();
    Size s = image_->size();
    Size d = s;
    switch (imageScaling) {
        case ImageScaling::AxesIndependently: d = b.size; break;
        case ImageScaling::None: break;
        case ImageScaling::ProportionallyDown:
        case ImageScaling::ProportionallyUpOrDown: {
            double k = std::min(b.width() / s.width, b.height() / s.height);
            if (imageScaling == ImageScaling::ProportionallyDown) k = std::min(k, 1.0);
            d = {s.width * k, s.height * k};
            break;
        }
    }
    return {b.origin.x + (b.width() - d.width) / 2, b.origin.y + (b.height() - d.height) / 2, d.width, d.height};
}

Size ImageView::intrinsicContentSize() const {
    if (!image_) return {NoIntrinsicMetric, NoIntrinsicMetric};
    return image_->size();
}

void ImageView::draw(GraphicsContext& g, const Rect&) {
    if (!image_) return;
    Rect r = imageRect();
    if (r.isEmpty()) return;
    g.drawImage(*image_, r, 1.0, contentTintColor ? contentTintColor : Color::label());
}

}  // namespace platform
