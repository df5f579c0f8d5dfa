#include "platform/appkit/View.h"

#include <algorithm>

#include "platform/appkit/Renderer.h"
#include "platform/appkit/ViewController.h"
#include "platform/appkit/Window.h"

namespace platform {

View::~View() {
    for (auto& sub : subviews_) sub->superview_.reset();
}

void View::setFrame(const Rect& frame) {
    bool resized = frame.size != frame_.size;
    frame_ = frame;
    if (layer_) layer_->setFrame(frame_);
    if (resized) setNeedsLayout(true);
}

void View::setBoundsOrigin(Point origin) { boundsOrigin_ = origin; }

// ---- coordinates --------------------------------------------------------------------------------

namespace {
// From a view's own coordinates into its parent's (superview, or the window for the root).
Point toParent(const View& v, Point p, bool parentFlipped) {
    Rect f = v.frame();
    Rect b = v.bounds();
    double x = f.origin.x + (p.x - b.origin.x);
    double dy = p.y - b.origin.y;
    double y = v.isFlipped() == parentFlipped ? f.origin.y + dy : f.origin.y + f.size.height - dy;
    return {x, y};
}
Point fromParent(const View& v, Point p, bool parentFlipped) {
    Rect f = v.frame();
    Rect b = v.bounds();
    double x = p.x - f.origin.x + b.origin.x;
    double dy = v.isFlipped() == parentFlipped ? p.y - f.origin.y : f.origin.y + f.size.height - p.y;
    return {x, dy + b.origin.y};
}
Point toWindowPoint(const View* v, Point p) {
    while (v) {
        auto parent = v->superview();
        p = toParent(*v, p, parent ? parent->isFlipped() : false);
        v = parent.get();
    }
    return p;
}
Point fromWindowPoint(const View* v, Point p) {
    std::vector<const View*> chain;
    for (const View* c = v; c; c = c->superview().get()) chain.push_back(c);
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        auto parent = (*it)->superview();
        p = fromParent(**it, p, parent ? parent->isFlipped() : false);
    }
    return p;
}
}  // namespace

Point View::convertPointFrom(Point point, const ViewPtr& view) const {
    Point windowPoint = view ? toWindowPoint(view.get(), point) : point;
    return fromWindowPoint(this, windowPoint);
}

Point View::convertPointTo(Point point, const ViewPtr& view) const {
    Point windowPoint = toWindowPoint(this, point);
    return view ? fromWindowPoint(view.get(), windowPoint) : windowPoint;
}

Rect View::convertRectFrom(const Rect& rect, const ViewPtr& view) const {
    Point a = convertPointFrom({rect.minX(), rect.minY()}, view);
    Point b = convertPointFrom({rect.maxX(), rect.maxY()}, view);
    return {std::min(a.x, b.x), std::min(a.y, b.y), std::abs(b.x - a.x), std::abs(b.y - a.y)};
}

Rect View::convertRectTo(const Rect& rect, const ViewPtr& view) const {
    Point a = convertPointTo({rect.minX(), rect.minY()}, view);
    Point b = convertPointTo({rect.maxX(), rect.maxY()}, view);
    return {std::min(a.x, b.x), std::min(a.y, b.y), std::abs(b.x - a.x), std::abs(b.y - a.y)};
}

// ---- hierarchy ----------------------------------------------------------------------------------

void View::addSubview(const ViewPtr& view) { addSubview(view, WindowOrderingMode::Above, nullptr); }

void View::addSubview(const ViewPtr& view, WindowOrderingMode place, const ViewPtr& other) {
    if (!view || view.get() == this) return;
    // A view cannot become a subview of its own descendant.
    for (auto ancestor = superview(); ancestor; ancestor = ancestor->superview())
        if (ancestor == view) return;
    auto self = sharedFromThis<View>();
    auto oldWindow = view->window();
    auto newWindow = window();
    view->viewWillMoveToSuperview(self);
    if (oldWindow != newWindow) view->viewWillMoveToWindow(newWindow);
    if (auto old = view->superview()) {
        auto& list = old->subviews_;
        list.erase(std::remove(list.begin(), list.end(), view), list.end());
    }
    auto position = subviews_.end();
    if (other) {
        auto it = std::find(subviews_.begin(), subviews_.end(), other);
        if (it != subviews_.end()) position = place == WindowOrderingMode::Below ? it : it + 1;
    } else if (place == WindowOrderingMode::Below) {
        position = subviews_.begin();
    }
    subviews_.insert(position, view);
    view->superview_ = self;
    view->setNextResponder(self);
    if (oldWindow != newWindow) view->setWindowRecursively(newWindow);
    view->viewDidMoveToSuperview();
    view->effectiveAppearanceMayHaveChanged();
    setNeedsLayout(true);
}

void View::setWindowRecursively(const std::shared_ptr<Window>& window) {
    auto old = window_.lock();
    if (old != window) viewWillMoveToWindow(window);
    window_ = window;
    for (auto& sub : std::vector<ViewPtr>(subviews_)) sub->setWindowRecursively(window);
    if (old != window) {
        viewDidMoveToWindow();
        updateTrackingAreas();
        if (window && needsLayout_) window->scheduleLayout();
    }
}

void View::removeFromSuperview() {
    auto parent = superview();
    if (!parent) return;
    auto self = sharedFromThis<View>();  // keep alive through the callbacks
    viewWillMoveToSuperview(nullptr);
    auto& list = parent->subviews_;
    list.erase(std::remove(list.begin(), list.end(), self), list.end());
    superview_.reset();
    if (window()) setWindowRecursively(nullptr);
    viewDidMoveToSuperview();
    parent->setNeedsLayout(true);
}

void View::replaceSubview(const ViewPtr& old, const ViewPtr& replacement) {
    if (!old || !replacement) return;
    auto it = std::find(subviews_.begin(), subviews_.end(), old);
    if (it == subviews_.end()) return;
    ViewPtr next = it + 1 == subviews_.end() ? nullptr : *(it + 1);
    old->removeFromSuperview();
    if (next)
        addSubview(replacement, WindowOrderingMode::Below, next);
    else
        addSubview(replacement);
}

bool View::isDescendantOf(const ViewPtr& view) const {
    for (const View* v = this; v; v = v->superview().get())
        if (v == view.get()) return true;
    return false;
}

void View::setHidden(bool hidden) {
    if (hidden_ == hidden) return;
    hidden_ = hidden;
    if (auto parent = superview()) parent->setNeedsLayout(true);
}

bool View::isHiddenOrHasHiddenAncestor() const {
    for (const View* v = this; v; v = v->superview().get())
        if (v->hidden_) return true;
    return false;
}

ViewPtr View::viewWithTag(int tag) {
    if (this->tag() == tag) return sharedFromThis<View>();
    for (auto& sub : subviews_)
        if (auto found = sub->viewWithTag(tag)) return found;
    return nullptr;
}

// ---- layer --------------------------------------------------------------------------------------

void View::setWantsLayer(bool wants) {
    wantsLayer_ = wants;
    if (wants && !layer_) {
        layer_ = Layer::make();
        layer_->setFrame(frame_);
    }
}

void View::setLayer(const LayerPtr& layer) {
    layer_ = layer;
    if (layer_) layer_->setFrame(frame_);
}

// ---- layout and display -------------------------------------------------------------------------

void View::setNeedsLayout(bool needs) {
    needsLayout_ = needs;
    if (needs) scheduleLayout();
}

void View::scheduleLayout() {
    if (auto w = window()) w->scheduleLayout();
}

void View::layoutSubtreeIfNeeded() {
    auto self = sharedFromThis<View>();
    if (needsLayout_) {
        needsLayout_ = false;
        auto controller = viewController();
        if (controller) controller->viewWillLayout();
        layout();
        if (controller) controller->viewDidLayout();
    }
    for (auto& sub : std::vector<ViewPtr>(subviews_)) sub->layoutSubtreeIfNeeded();
}

void View::display() {
    needsDisplay_ = false;
    if (wantsUpdateLayer()) updateLayer();
}

void View::draw(GraphicsContext&, const Rect&) {}

Size View::fittingSize() const {
    Size intrinsic = intrinsicContentSize();
    return {intrinsic.width >= 0 ? intrinsic.width : frame_.size.width,
            intrinsic.height >= 0 ? intrinsic.height : frame_.size.height};
}

// ---- appearance ---------------------------------------------------------------------------------

void View::setAppearance(const AppearancePtr& appearance) {
    appearance_ = appearance;
    effectiveAppearanceMayHaveChanged();
}

AppearancePtr View::effectiveAppearance() const {
    for (const View* v = this; v; v = v->superview().get()) {
        if (v->appearance_) return v->appearance_;
        if (!v->superview())
            if (auto w = v->window()) return w->effectiveAppearance();
    }
    return Appearance::applicationEffective();
}

HookPoint<View&>& View::effectiveAppearanceChangeHook() {
    static HookPoint<View&> hook;
    return hook;
}

void View::effectiveAppearanceMayHaveChanged() {
    auto self = sharedFromThis<View>();
    auto now = effectiveAppearance();
    bool changed = lastEffective_ && lastEffective_ != now;
    lastEffective_ = now;
    if (changed) {
        viewDidChangeEffectiveAppearance();
        effectiveAppearanceChangeHook().run(*this);
        setNeedsDisplay(true);
    }
    for (auto& sub : std::vector<ViewPtr>(subviews_)) sub->effectiveAppearanceMayHaveChanged();
}

// ---- tracking areas and gestures ----------------------------------------------------------------

void View::addTrackingArea(const TrackingAreaPtr& area) {
    if (area) trackingAreas_.push_back(area);
}

void View::removeTrackingArea(const TrackingAreaPtr& area) {
    trackingAreas_.erase(std::remove(trackingAreas_.begin(), trackingAreas_.end(), area), trackingAreas_.end());
}

void View::addGestureRecognizer(const GestureRecognizerPtr& recognizer) {
    if (!recognizer) return;
    if (auto old = recognizer->view()) old->removeGestureRecognizer(recognizer);
    recognizer->view_ = sharedFromThis<View>();
    gestureRecognizers_.push_back(recognizer);
}

void View::removeGestureRecognizer(const GestureRecognizerPtr& recognizer) {
    auto it = std::find(gestureRecognizers_.begin(), gestureRecognizers_.end(), recognizer);
    if (it == gestureRecognizers_.end()) return;
    (*it)->view_.reset();
    gestureRecognizers_.erase(it);
}

// ---- hit testing and snapshots ------------------------------------------------------------------

ViewPtr View::hitTest(Point point) {
    if (hidden_) return nullptr;
    if (!frame_.contains(point)) return nullptr;
    auto parent = superview();
    Point local = fromParent(*this, point, parent ? parent->isFlipped() : false);
    for (auto it = subviews_.rbegin(); it != subviews_.rend(); ++it)
        if (auto hit = (*it)->hitTest(local)) return hit;
    return sharedFromThis<View>();
}

ImagePtr View::bitmapImageRepForCachingDisplay(const Rect& rect) const {
    if (rect.isEmpty()) return nullptr;
    double scale = 1;
    if (auto w = window())
        if (auto s = w->screen()) scale = s->backingScaleFactor();
    if (auto s = Screen::main(); scale == 1 && s) scale = s->backingScaleFactor();
    auto image = Image::withSize(rect.size, scale);
    return image->isEmpty() ? nullptr : image;
}

void View::cacheDisplay(const Rect& rect, const ImagePtr& image) {
    if (!image || image->isEmpty()) return;
    Renderer::renderView(sharedFromThis<View>(), rect, *image);
}

std::string View::description() const { return Responder::description(); }

// ---- gesture recognisers ------------------------------------------------------------------------

Point GestureRecognizer::location(const std::shared_ptr<View>& view) const {
    return view ? view->convertPointFrom(windowPoint_, nullptr) : windowPoint_;
}

bool GestureRecognizer::transition(State state, Point windowPoint) {
    if (!isEnabled) return false;
    if (state == State::Began || (kind_ == Kind::Click && state == State::Ended && state_ == State::Possible)) {
        if (auto* d = dynamic_cast<GestureRecognizerDelegate*>(delegate().get()))
            if (!d->gestureRecognizerShouldBegin(*this)) {
                state_ = State::Failed;
                state_ = State::Possible;
                return false;
            }
    }
    windowPoint_ = windowPoint;
    state_ = state;
    bool reports = kind_ == Kind::Click ? state == State::Ended
                                        : (state == State::Began || state == State::Changed || state == State::Ended);
    auto self = sharedFromThis<GestureRecognizer>();
    if (reports)
        if (auto target = this->target()) target->perform(action_, self);
    if (state == State::Ended || state == State::Cancelled || state == State::Failed) state_ = State::Possible;
    return true;
}

}  // namespace platform
