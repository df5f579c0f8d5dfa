#pragma once

// Progress indicators: a bar or a spinner, determinate or not, animating between start and stop.

#include <memory>

#include "platform/appkit/Control.h"
#include "platform/appkit/View.h"

namespace platform {

enum class ProgressIndicatorStyle { Bar = 0, Spinning = 1 };

class ProgressIndicator : public View {
public:
    ProgressIndicatorStyle style = ProgressIndicatorStyle::Bar;
    ControlSize controlSize = ControlSize::Regular;
    bool isIndeterminate = true;
    double doubleValue = 0;
    double minValue = 0;
    double maxValue = 100;
    bool isDisplayedWhenStopped = true;

    void startAnimation() { animating_ = true; }
    void stopAnimation() { animating_ = false; }
    bool isAnimating() const { return animating_; }

    void draw(GraphicsContext& context, const Rect& dirtyRect) override;

private:
    bool animating_ = false;
};

using ProgressIndicatorPtr = std::shared_ptr<ProgressIndicator>;

}  // namespace platform
