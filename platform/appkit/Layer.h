#pragma once

// Layers: the visual styling of layer-backed views (background, border, rounded and masked corners,
// clipping, a shape mask, sublayers, text) and keyed animations timed on the run loop's clock.

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/appkit/BezierPath.h"
#include "platform/appkit/Color.h"
#include "platform/appkit/Font.h"
#include "platform/appkit/Geometry.h"
#include "platform/appkit/Image.h"
#include "platform/appkit/Text.h"
#include "platform/foundation/Value.h"
#include "platform/runtime/Object.h"

namespace platform {

class Layer;
class Animation;
class Timer;
using LayerPtr = std::shared_ptr<Layer>;
using AnimationPtr = std::shared_ptr<Animation>;

// Which corners a corner radius rounds. "Min Y" is the bottom in a y-up layer, the top in a flipped one.
namespace CornerMask {
inline constexpr unsigned MinXMinY = 1, MaxXMinY = 2, MinXMaxY = 4, MaxXMaxY = 8, All = 15;
}

namespace FillMode {
inline const std::string Removed = "removed";
inline const std::string Forwards = "forwards";
inline const std::string Backwards = "backwards";
inline const std::string Both = "both";
}  // namespace FillMode

// Told when an animation starts and stops (finished: it ran its full duration).
class AnimationDelegate {
public:
    virtual ~AnimationDelegate() = default;
    virtual void animationDidStart(const AnimationPtr&) {}
    virtual void animationDidStop(const AnimationPtr&, bool finished) { (void)finished; }
};

class Animation : public Object {
public:
    static AnimationPtr make(std::string keyPath = {}) {
        auto a = std::make_shared<Animation>();
        a->keyPath = std::move(keyPath);
        return a;
    }
    std::string keyPath;
    Value fromValue, toValue;
    double duration = 0.25;  // 0 or less: the default 0.25 s
    double beginTime = 0;    // delay after adding
    float repeatCount = 0;   // infinity: forever
    std::string fillMode = FillMode::Removed;
    bool isRemovedOnCompletion = true;
    std::string timingFunction;
    // Strong, as the platform keeps an animation's delegate.
    std::shared_ptr<AnimationDelegate> delegate;

    double effectiveDuration() const { return duration > 0 ? duration : 0.25; }
};

class Layer : public Object {
public:
    static LayerPtr make() { return std::make_shared<Layer>(); }
    ~Layer() override;

    Rect frame() const { return frame_; }
    void setFrame(const Rect& frame) { frame_ = frame; }
    Rect bounds() const { return {0, 0, frame_.size.width, frame_.size.height}; }

    ColorPtr backgroundColor;
    ColorPtr borderColor;
    double borderWidth = 0;
    double cornerRadius = 0;
    unsigned maskedCorners = CornerMask::All;
    bool masksToBounds = false;
    double opacity = 1;
    bool isHidden = false;
    // Drawn stretched to the bounds.
    ImagePtr contents;
    // Only the opaque parts of the mask's content show the layer.
    LayerPtr mask;
    // Whether y grows downward; the layer of a flipped view is.
    bool isGeometryFlipped = false;
    std::string name;

    const std::vector<LayerPtr>& sublayers() const { return sublayers_; }
    void addSublayer(const LayerPtr& layer);
    void insertSublayer(const LayerPtr& layer, std::size_t index);
    void removeFromSuperlayer();
    LayerPtr superlayer() const { return superlayer_.lock(); }

    // Animations by key; adding under a used key replaces (and stops) the earlier one. The layer
    // keeps a copy of the settings at the time it is added.
    void addAnimation(const AnimationPtr& animation, const std::string& key);
    AnimationPtr animation(const std::string& key) const;
    std::vector<std::string> animationKeys() const;
    void removeAnimation(const std::string& key);
    void removeAllAnimations();

    // Draws the layer's own content (after background, before border and sublayers); layers of
    // special kinds override it.
    virtual void drawContent(class GraphicsContext& context);
    // The path of the layer's rounded outline in its own coordinates.
    BezierPathPtr outline() const;

private:
    struct Running {
        AnimationPtr animation;
        std::shared_ptr<Timer> timer;
        bool finished = false;
    };
    void finish(const std::string& key);

    Rect frame_;
    std::vector<LayerPtr> sublayers_;
    std::weak_ptr<Layer> superlayer_;
    std::map<std::string, Running> animations_;
};

class ShapeLayer : public Layer {
public:
    static std::shared_ptr<ShapeLayer> make() { return std::make_shared<ShapeLayer>(); }
    BezierPathPtr path;
    ColorPtr fillColor = Color::black();
    ColorPtr strokeColor;
    double lineWidth = 1;
    WindingRule fillRule = WindingRule::NonZero;
    void drawContent(GraphicsContext& context) override;
};

class TextLayer : public Layer {
public:
    static std::shared_ptr<TextLayer> make() { return std::make_shared<TextLayer>(); }
    std::string string;
    FontPtr font;
    double fontSize = 36;
    ColorPtr foregroundColor = Color::whiteColor();
    TextAlignment alignmentMode = TextAlignment::Natural;
    bool isWrapped = false;
    void drawContent(GraphicsContext& context) override;
};

}  // namespace platform
