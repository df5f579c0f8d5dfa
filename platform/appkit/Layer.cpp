#include "platform/appkit/Layer.h"

#include <algorithm>
#include <cmath>

#include "platform/appkit/GraphicsContext.h"
#include "platform/foundation/RunLoop.h"

namespace platform {

Layer::~Layer() {
    for (auto& [key, running] : animations_)
        if (running.timer) running.timer->invalidate();
}

void Layer::addSublayer(const LayerPtr& layer) { insertSublayer(layer, sublayers_.size()); }

void Layer::insertSublayer(const LayerPtr& layer, std::size_t index) {
    if (!layer || layer.get() == this) return;
    layer->removeFromSuperlayer();
    index = std::min(index, sublayers_.size());
    sublayers_.insert(sublayers_.begin() + static_cast<std::ptrdiff_t>(index), layer);
    layer->superlayer_ = sharedFromThis<Layer>();
}

void Layer::removeFromSuperlayer() {
    auto parent = superlayer_.lock();
    superlayer_.reset();
    if (!parent) return;
    auto& list = parent->sublayers_;
    list.erase(std::remove_if(list.begin(), list.end(), [this](const LayerPtr& l) { return l.get() == this; }),
               list.end());
}

void Layer::addAnimation(const AnimationPtr& animation, const std::string& key) {
    if (!animation) return;
    removeAnimation(key);
    // The layer runs a copy, so later changes to the caller's object do not touch it.
    auto copy = std::make_shared<Animation>();
    copy->keyPath = animation->keyPath;
    copy->fromValue = animation->fromValue;
    copy->toValue = animation->toValue;
    copy->duration = animation->duration;
    copy->beginTime = animation->beginTime;
    copy->repeatCount = animation->repeatCount;
    copy->fillMode = animation->fillMode;
    copy->isRemovedOnCompletion = animation->isRemovedOnCompletion;
    copy->timingFunction = animation->timingFunction;
    copy->delegate = animation->delegate;

    Running running;
    running.animation = copy;
    if (!std::isinf(copy->repeatCount)) {
        double total = std::max(0.0, copy->beginTime) +
                       copy->effectiveDuration() * std::max(1.0f, copy->repeatCount);
        std::weak_ptr<Layer> weak = sharedFromThis<Layer>();
        running.timer = Timer::make(total, false, [weak, key](const std::shared_ptr<Timer>&) {
            if (auto layer = weak.lock()) layer->finish(key);
        });
        RunLoop::main().addTimer(running.timer, RunLoopMode::Common);
    }
    animations_[key] = running;
    if (copy->delegate) copy->delegate->animationDidStart(copy);
}

void Layer::finish(const std::string& key) {
    auto it = animations_.find(key);
    if (it == animations_.end() || it->second.finished) return;
    auto animation = it->second.animation;
    it->second.finished = true;
    it->second.timer.reset();
    if (animation->isRemovedOnCompletion) animations_.erase(it);
    if (animation->delegate) animation->delegate->animationDidStop(animation, true);
}

AnimationPtr Layer::animation(const std::string& key) const {
    auto it = animations_.find(key);
    return it == animations_.end() ? nullptr : it->second.animation;
}

std::vector<std::string> Layer::animationKeys() const {
    std::vector<std::string> keys;
    for (const auto& [key, running] : animations_) keys.push_back(key);
    return keys;
}

void Layer::removeAnimation(const std::string& key) {
    auto it = animations_.find(key);
    if (it == animations_.end()) return;
    Running running = it->second;
    animations_.erase(it);
    if (running.timer) running.timer->invalidate();
    if (!running.finished && running.animation->delegate)
        running.animation->delegate->animationDidStop(running.animation, false);
}

void Layer::removeAllAnimations() {
    for (const auto& key : animationKeys()) removeAnimation(key);
}

void Layer::drawContent(GraphicsContext& context) {
    if (contents) context.drawImage(*contents, bounds());
}

BezierPathPtr Layer::outline() const {
    auto holder = BezierPath::make();
    BezierPath& path = *holder;
    Rect b = bounds();
    double r = std::clamp(cornerRadius, 0.0, std::min(b.width(), b.height()) / 2);
    if (!(r > 0)) {
        path.appendRect(b);
        return holder;
    }
    const double k = 0.5522847498;
    auto rounded = [&](unsigned corner) { return (maskedCorners & corner) ? r : 0.0; };
    double x0 = b.minX(), y0 = b.minY(), x1 = b.maxX(), y1 = b.maxY();
    double rA = rounded(CornerMask::MinXMinY), rB = rounded(CornerMask::MaxXMinY);
    double rC = rounded(CornerMask::MaxXMaxY), rD = rounded(CornerMask::MinXMaxY);
    path.moveTo({x0 + rA, y0});
    path.lineTo({x1 - rB, y0});
    if (rB > 0) path.curveTo({x1, y0 + rB}, {x1 - rB + rB * k, y0}, {x1, y0 + rB - rB * k});
    path.lineTo({x1, y1 - rC});
    if (rC > 0) path.curveTo({x1 - rC, y1}, {x1, y1 - rC + rC * k}, {x1 - rC + rC * k, y1});
    path.lineTo({x0 + rD, y1});
    if (rD > 0) path.curveTo({x0, y1 - rD}, {x0 + rD - rD * k, y1}, {x0, y1 - rD + rD * k});
    path.lineTo({x0, y0 + rA});
    if (rA > 0) path.curveTo({x0 + rA, y0}, {x0, y0 + rA - rA * k}, {x0 + rA - rA * k, y0});
    path.close();
    return holder;
}

void ShapeLayer::drawContent(GraphicsContext& context) {
    Layer::drawContent(context);
    if (!path) return;
    BezierPath p;
    p.append(*path);
    p.windingRule = fillRule;
    p.lineWidth = lineWidth;
    if (fillColor) {
        context.setColor(fillColor);
        context.fillPath(p);
    }
    if (strokeColor && lineWidth > 0) {
        context.setColor(strokeColor);
        context.strokePath(p);
    }
}

void TextLayer::drawContent(GraphicsContext& context) {
    Layer::drawContent(context);
    TextLayoutOptions options;
    options.alignment = alignmentMode;
    if (!isWrapped) options.lineBreak = LineBreakMode::ByClipping;
    FontPtr f = font ? Font::named(font->familyName(), fontSize, font->weight()) : Font::systemFont(fontSize);
    Rect b = bounds();
    // Text is laid out from the top of the layer whichever way its y axis runs.
    context.drawText(string, b, f, foregroundColor, options);
}

}  // namespace platform
