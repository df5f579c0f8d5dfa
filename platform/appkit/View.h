#pragma once

// Views: a rectangle in its superview, drawn and hit-tested in its own coordinates (y up unless the
// view is flipped). A view owns its subviews; its superview and window are weak. Layout runs in a
// pass (`layoutSubtreeIfNeeded`) over the views marked as needing it, top-down.

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/appkit/Appearance.h"
#include "platform/appkit/Filter.h"
#include "platform/appkit/Geometry.h"
#include "platform/appkit/GestureRecognizer.h"
#include "platform/appkit/Image.h"
#include "platform/appkit/Layer.h"
#include "platform/appkit/Responder.h"
#include "platform/appkit/TrackingArea.h"

namespace platform {

class View;
class Window;
class ViewController;
class GraphicsContext;
using ViewPtr = std::shared_ptr<View>;

enum class WindowOrderingMode { Below = -1, Out = 0, Above = 1 };

// "No intrinsic size" on one axis.
inline constexpr double NoIntrinsicMetric = -1.0;

class View : public Responder {
public:
    // Makes a view of class T (constructed with `args`), gives it `frame` and lets it build its
    // subviews (`didCreate`). Every view is made this way, as views need their shared owner.
    template <class T = View, class... Args>
    static std::shared_ptr<T> make(Rect frame = {}, Args&&... args) {
        auto view = std::make_shared<T>(std::forward<Args>(args)...);
        view->setFrame(frame);
        view->didCreate();
        return view;
    }
    ~View() override;

    // ---- geometry -------------------------------------------------------------------------------
    Rect frame() const { return frame_; }
    virtual void setFrame(const Rect& frame);
    void setFrameOrigin(Point origin) { setFrame({origin, frame_.size}); }
    void setFrameSize(Size size) { setFrame({frame_.origin, size}); }
    Rect bounds() const { return {boundsOrigin_, frame_.size}; }
    void setBoundsOrigin(Point origin);
    virtual bool isFlipped() const { return flipped_; }
    // For views that are flipped without a class of their own.
    void setFlipped(bool flipped) { flipped_ = flipped; }

    // Converts from the coordinates of `view` (null: the window's) into this view's, and back.
    Point convertPointFrom(Point point, const ViewPtr& view) const;
    Point convertPointTo(Point point, const ViewPtr& view) const;
    Rect convertRectFrom(const Rect& rect, const ViewPtr& view) const;
    Rect convertRectTo(const Rect& rect, const ViewPtr& view) const;

    // ---- hierarchy ------------------------------------------------------------------------------
    const std::vector<ViewPtr>& subviews() const { return subviews_; }
    ViewPtr superview() const { return superview_.lock(); }
    std::shared_ptr<Window> window() const { return window_.lock(); }
    // Adds `view` on top of the others (or relative to `other`), taking it from its old superview.
    void addSubview(const ViewPtr& view);
    void addSubview(const ViewPtr& view, WindowOrderingMode place, const ViewPtr& other);
    void removeFromSuperview();
    void replaceSubview(const ViewPtr& old, const ViewPtr& replacement);
    bool isDescendantOf(const ViewPtr& view) const;

    virtual void viewWillMoveToWindow(const std::shared_ptr<Window>&) {}
    virtual void viewDidMoveToWindow() {}
    virtual void viewWillMoveToSuperview(const ViewPtr&) {}
    virtual void viewDidMoveToSuperview() {}

    bool isHidden() const { return hidden_; }
    void setHidden(bool hidden);
    bool isHiddenOrHasHiddenAncestor() const;
    double alphaValue = 1.0;
    std::string toolTip;
    std::string identifier;
    virtual int tag() const { return tag_; }
    virtual void setTag(int tag) { tag_ = tag; }
    // The first view in this subtree (this one included) with `tag`.
    ViewPtr viewWithTag(int tag);

    // ---- layer ----------------------------------------------------------------------------------
    bool wantsLayer() const { return wantsLayer_; }
    // A view that wants a layer gets one (kept when it stops wanting it, as the platform does, but no
    // longer drawn).
    void setWantsLayer(bool wants);
    const LayerPtr& layer() const { return layer_; }
    void setLayer(const LayerPtr& layer);
    // Whether drawing is clipped to the bounds (views do not clip by default).
    bool clipsToBounds = false;
    // Filters applied, in order, to the rendered content of the view and its subviews.
    std::vector<FilterPtr> contentFilters;

    // ---- layout and display ---------------------------------------------------------------------
    bool needsLayout() const { return needsLayout_; }
    void setNeedsLayout(bool needs = true);
    // Lays out this view when marked (controller hooks around `layout`), then its subviews.
    void layoutSubtreeIfNeeded();
    virtual void layout() {}
    bool needsDisplay() const { return needsDisplay_; }
    void setNeedsDisplay(bool needs = true) { needsDisplay_ = needs; }
    // Draws at once: clears the flag (there is no screen; rendering to PNG draws on demand).
    void display();
    virtual void viewWillDraw() {}
    // Custom drawing, in the view's own coordinates, before its subviews.
    virtual void draw(GraphicsContext& context, const Rect& dirtyRect);
    // Updates the layer's properties before drawing when the view styles itself through its layer.
    virtual bool wantsUpdateLayer() const { return false; }
    virtual void updateLayer() {}

    virtual Size intrinsicContentSize() const { return {NoIntrinsicMetric, NoIntrinsicMetric}; }
    // The smallest size fitting the content: the intrinsic size, or the current size where there
    // is none.
    virtual Size fittingSize() const;

    // The view controller whose view this is (weak), for the layout hooks.
    std::shared_ptr<ViewController> viewController() const { return controller_.lock(); }

    // ---- appearance -----------------------------------------------------------------------------
    const AppearancePtr& appearance() const { return appearance_; }
    void setAppearance(const AppearancePtr& appearance);
    // Own appearance, else the superview's, else the window's, else the application's.
    AppearancePtr effectiveAppearance() const;
    // Called when the effective appearance changed; the hook runs after it for every view.
    virtual void viewDidChangeEffectiveAppearance() {}
    static HookPoint<View&>& effectiveAppearanceChangeHook();
    // Tells this subtree that the inherited appearance may have changed; views whose effective
    // appearance did change are told so.
    void effectiveAppearanceMayHaveChanged();

    // ---- tracking areas and gestures ------------------------------------------------------------
    const std::vector<TrackingAreaPtr>& trackingAreas() const { return trackingAreas_; }
    void addTrackingArea(const TrackingAreaPtr& area);
    void removeTrackingArea(const TrackingAreaPtr& area);
    virtual void updateTrackingAreas() {}

    const std::vector<GestureRecognizerPtr>& gestureRecognizers() const { return gestureRecognizers_; }
    void addGestureRecognizer(const GestureRecognizerPtr& recognizer);
    void removeGestureRecognizer(const GestureRecognizerPtr& recognizer);

    // ---- hit testing and snapshots --------------------------------------------------------------
    // The deepest visible descendant (or this view) containing `point`, given in the superview's
    // coordinates; null when the point is outside.
    virtual ViewPtr hitTest(Point point);
    virtual bool acceptsFirstMouse() const { return false; }
    // A bitmap to cache the display of `rect` into, at the screen's scale; null for an empty rect.
    ImagePtr bitmapImageRepForCachingDisplay(const Rect& rect) const;
    // Draws `rect` of this view (and its subviews) into `image`.
    void cacheDisplay(const Rect& rect, const ImagePtr& image);

    std::string description() const override;

    // Called once by `make` after the frame is set: build subviews here.
    virtual void didCreate() {}

private:
    friend class Window;
    friend class ViewController;
    void setWindowRecursively(const std::shared_ptr<Window>& window);
    void scheduleLayout();

    Rect frame_;
    Point boundsOrigin_;
    bool flipped_ = false;
    std::vector<ViewPtr> subviews_;
    std::weak_ptr<View> superview_;
    std::weak_ptr<Window> window_;
    bool hidden_ = false;
    int tag_ = 0;
    bool wantsLayer_ = false;
    LayerPtr layer_;
    bool needsLayout_ = true;
    bool needsDisplay_ = false;
    AppearancePtr appearance_;
    std::vector<TrackingAreaPtr> trackingAreas_;
    std::vector<GestureRecognizerPtr> gestureRecognizers_;
    std::weak_ptr<ViewController> controller_;
    AppearancePtr lastEffective_;
};

}  // namespace platform
