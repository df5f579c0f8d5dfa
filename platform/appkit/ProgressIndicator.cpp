#include "platform/appkit/ProgressIndicator.h"

#include <algorithm>
#include <cmath>

#include "platform/appkit/GraphicsContext.h"

namespace platform {

void ProgressIndicator::draw(GraphicsContext& g, const Rect&) {
    if (!animating_ && !isDisplayedWhenStopped) return;
    Rect b = bounds();
    if (style == ProgressIndicatorStyle::Spinning) {
        // Twelve spokes fading round the circle, in the label colour (filters may recolour them).
        double cx = b.midX(), cy = b.midY(), r = std::min(b.width(), b.height()) / 2;
        for (int i = 0; i < 12; ++i) {
            double a = i * M_PI / 6;
            auto spoke = BezierPath::make();
            spoke->moveTo({cx + std::cos(a) * r * 0.45, cy + std::sin(a) * r * 0.45});
            spoke->lineTo({cx + std::cos(a) * r * 0.95, cy + std::sin(a) * r * 0.95});
            spoke->lineWidth = std::max(1.0, r / 7);
            g.setColor(Color::label()->withAlphaComponent(0.25 + 0.75 * (i / 11.0)));
            g.strokePath(*spoke);
        }
        return;
    }
    double h = std::min(b.height(), 6.0);
    Rect track{0, b.midY() - h / 2, b.width(), h};
    auto path = BezierPath::roundedRect(track, h / 2, h / 2);
    g.setColor(Color::white(0.5, 0.25));
    g.fillPath(*path);
    if (isIndeterminate || !(maxValue > minValue)) return;
    double fraction = std::clamp((doubleValue - minValue) / (maxValue - minValue), 0.0, 1.0);
    auto done = BezierPath::roundedRect({0, track.minY(), b.width() * fraction, h}, h / 2, h / 2);
    g.setColor(Color::controlAccent());
    g.fillPath(*done);
}

}  // namespace platform
