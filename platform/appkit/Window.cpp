#include "platform/appkit/Window.h"

#include <algorithm>

#include "platform/appkit/Button.h"
#include "platform/appkit/EventMonitor.h"
#include "platform/appkit/ViewController.h"
#include "platform/appkit/WindowController.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"

namespace platform {

namespace {

struct WindowList {
    std::vector<std::weak_ptr<Window>> all;
    std::weak_ptr<Window> key, main;
    std::uint64_t order = 0;
    int number = 0;
    bool hookInstalled = false;
};

WindowList& list() {
    static WindowList l;
    return l;
}

std::vector<WindowPtr> liveWindows() {
    std::vector<WindowPtr> out;
    auto& all = list().all;
    all.erase(std::remove_if(all.begin(), all.end(), [](const auto& w) { return w.expired(); }), all.end());
    for (auto& w : all)
        if (auto s = w.lock()) out.push_back(s);
    return out;
}

constexpr double kTitlebarHeight = 28;

}  // namespace

Window::~Window() = default;

void Window::setUp(Rect contentRect, std::uint64_t styleMask, BackingStoreType backing, bool) {
    auto& l = list();
    if (!l.hookInstalled) {
        l.hookInstalled = true;
        // Windows follow the application's appearance unless they chose their own.
        Appearance::applicationEffectiveChanged().add([](const AppearancePtr&, const AppearancePtr&) {
            for (auto& w : liveWindows())
                if (w->contentView_) w->contentView_->effectiveAppearanceMayHaveChanged();
        });
    }
    styleMask_ = styleMask;
    backing_ = backing;
    number_ = ++l.number;
    l.all.push_back(sharedFromThis<Window>());
    Rect content{contentRect.origin,
                 {std::max(0.0, contentRect.size.width), std::max(0.0, contentRect.size.height)}};
    frame_ = frameRectForContentRect(content);
    makeStandardButtons();
    setContentView(View::make({0, 0, contentRectForFrameRect(frame_).size.width,
                               contentRectForFrameRect(frame_).size.height}));
}

std::vector<WindowPtr> Window::orderedWindows() {
    std::vector<WindowPtr> visible;
    for (auto& w : liveWindows())
        if (w->visible_) visible.push_back(w);
    std::stable_sort(visible.begin(), visible.end(), [](const WindowPtr& a, const WindowPtr& b) {
        if (a->level != b->level) return a->level > b->level;
        return a->order_ > b->order_;
    });
    return visible;
}

WindowPtr Window::keyWindow() {
    auto w = list().key.lock();
    return w && w->visible_ ? w : nullptr;
}

WindowPtr Window::mainWindow() {
    auto w = list().main.lock();
    return w && w->visible_ ? w : nullptr;
}

void Window::closeAll() {
    for (auto& w : liveWindows()) w->close();
    list().all.clear();
    list().key.reset();
    list().main.reset();
}

// ---- geometry -----------------------------------------------------------------------------------

double Window::titlebarHeight() const {
    return (styleMask_ & WindowStyleMask::Titled) && !(styleMask_ & WindowStyleMask::FullScreen) ? kTitlebarHeight : 0;
}

Rect Window::frameRectForContentRect(const Rect& content) const {
    if (styleMask_ & WindowStyleMask::FullSizeContentView) return content;
    Rect r = content;
    r.size.height += titlebarHeight();
    return r;
}

Rect Window::contentRectForFrameRect(const Rect& frame) const {
    if (styleMask_ & WindowStyleMask::FullSizeContentView) return frame;
    Rect r = frame;
    r.size.height = std::max(0.0, r.size.height - titlebarHeight());
    return r;
}

Rect Window::contentLayoutRect() const {
    Rect content = contentRectForFrameRect(frame_);
    double covered = (styleMask_ & WindowStyleMask::FullSizeContentView) ? titlebarHeight() : 0;
    return {0, 0, content.size.width, std::max(0.0, content.size.height - covered)};
}

void Window::setFrame(const Rect& frame, bool display) {
    Rect f{frame.origin, {std::max(0.0, frame.size.width), std::max(0.0, frame.size.height)}};
    Point delta{f.origin.x - frame_.origin.x, f.origin.y - frame_.origin.y};
    bool resized = f.size != frame_.size;
    bool moved = delta.x != 0 || delta.y != 0;
    frame_ = f;
    if (contentView_) {
        Rect content = contentRectForFrameRect(frame_);
        contentView_->setFrame({0, 0, content.size.width, content.size.height});
    }
    if (resized) layoutStandardButtons();
    // Child windows move with their parent.
    if (moved)
        for (auto& child : children_) child->setFrameOrigin({child->frame_.origin.x + delta.x, child->frame_.origin.y + delta.y});
    if (resized) {
        notify(WindowNotification::DidResize);
        if (auto* d = dynamic_cast<WindowDelegate*>(delegate().get())) d->windowDidResize(sharedFromThis<Window>());
    }
    if (moved) notify(WindowNotification::DidMove);
    if (display) this->display();
}

void Window::setFrameOrigin(Point origin) { setFrame({origin, frame_.size}); }

void Window::setContentSize(Size size) {
    Rect content = contentRectForFrameRect(frame_);
    content.size = {std::max(0.0, size.width), std::max(0.0, size.height)};
    Rect f = frameRectForContentRect(content);
    // The top-left corner stays where it is, as on screen.
    f.origin.y = frame_.maxY() - f.size.height;
    setFrame(f);
}

ScreenPtr Window::screen() const {
    auto screens = Screen::screens();
    ScreenPtr best;
    double bestArea = 0;
    for (auto& s : screens) {
        Rect overlap = s->frame().intersection(frame_);
        double area = overlap.width() * overlap.height();
        if (area > bestArea) bestArea = area, best = s;
    }
    if (!best && !screens.empty()) best = screens.front();
    return best;
}

void Window::center() {
    auto s = screen();
    if (!s) return;
    Rect v = s->visibleFrame();
    double x = v.minX() + (v.width() - frame_.size.width) / 2;
    double spare = v.height() - frame_.size.height;
    double y = v.minY() + spare * 2 / 3;
    setFrameOrigin({std::floor(x), std::floor(y)});
}

// ---- style --------------------------------------------------------------------------------------

void Window::setStyleMask(std::uint64_t mask) {
    Rect content = contentRectForFrameRect(frame_);
    styleMask_ = mask;
    if (!(mask & WindowStyleMask::Titled)) standardButtons_.clear();
    else if (standardButtons_.empty()) makeStandardButtons();
    // The content keeps its size; the frame grows or shrinks by the title bar.
    Rect f = frameRectForContentRect(content);
    setFrame(f);
}

void Window::makeStandardButtons() {
    if (!(styleMask_ & WindowStyleMask::Titled)) return;
    for (int i = 0; i < 3; ++i) {
        auto button = View::make<Button>({0, 0, 14, 16});
        button->setBordered(false);
        button->setEnabled(i == 0 ? (styleMask_ & WindowStyleMask::Closable) != 0
                                  : i == 1 ? (styleMask_ & WindowStyleMask::Miniaturizable) != 0
                                           : (styleMask_ & WindowStyleMask::Resizable) != 0);
        standardButtons_.push_back(button);
    }
    layoutStandardButtons();
}

void Window::layoutStandardButtons() {
    // Seven points from the left, twenty apart, centred in the title bar; frames in window space.
    for (std::size_t i = 0; i < standardButtons_.size(); ++i)
        standardButtons_[i]->setFrame({7 + 20.0 * static_cast<double>(i), frame_.size.height - 22, 14, 16});
}

std::shared_ptr<Button> Window::standardWindowButton(WindowButtonKind kind) const {
    auto index = static_cast<std::size_t>(kind);
    return index < standardButtons_.size() ? standardButtons_[index] : nullptr;
}

void Window::setAppearance(const AppearancePtr& appearance) {
    appearance_ = appearance;
    if (contentView_) contentView_->effectiveAppearanceMayHaveChanged();
}

// ---- content ------------------------------------------------------------------------------------

void Window::setContentView(const ViewPtr& view) {
    if (view == contentView_) return;
    auto self = sharedFromThis<Window>();
    if (contentView_) {
        contentView_->setWindowRecursively(nullptr);
        contentView_->setNextResponder(nullptr);
    }
    contentView_ = view;
    if (!view) return;
    view->removeFromSuperview();
    Rect content = contentRectForFrameRect(frame_);
    view->setFrame({0, 0, content.size.width, content.size.height});
    view->setNextResponder(self);
    view->setWindowRecursively(self);
    view->effectiveAppearanceMayHaveChanged();
    view->setNeedsLayout(true);
}

void Window::setContentViewController(const std::shared_ptr<ViewController>& controller) {
    contentViewController_ = controller;
    if (!controller) return;
    const ViewPtr& view = controller->view();
    Size size = view->frame().size;
    setContentView(view);
    setContentSize(size);
}

// ---- children -----------------------------------------------------------------------------------

void Window::addChildWindow(const WindowPtr& child, WindowOrderingMode place) {
    if (!child || child.get() == this) return;
    if (auto old = child->parentWindow()) old->removeChildWindow(child);
    children_.push_back(child);
    child->parent_ = sharedFromThis<Window>();
    child->childPlace_ = place;
    if (visible_) {
        child->visible_ = true;
        child->closed_ = false;
        child->order_ = place == WindowOrderingMode::Below ? order_ - 1 : ++list().order;
    }
}

void Window::removeChildWindow(const WindowPtr& child) {
    auto it = std::find(children_.begin(), children_.end(), child);
    if (it == children_.end()) return;
    (*it)->parent_.reset();
    children_.erase(it);
}

// ---- ordering -----------------------------------------------------------------------------------

void Window::bringToFront() {
    visible_ = true;
    closed_ = false;
    miniaturized_ = false;
    order_ = ++list().order;
    // Children stay right above their parent.
    for (auto& child : children_) {
        if (child->childPlace_ == WindowOrderingMode::Above)
            child->bringToFront();
        else
            child->visible_ = true, child->order_ = order_ - 1;
    }
    if (contentView_ && contentView_->needsLayout()) scheduleLayout();
}

void Window::orderFront() { bringToFront(); }
void Window::orderFrontRegardless() { bringToFront(); }

void Window::orderBack() {
    visible_ = true;
    closed_ = false;
    std::uint64_t lowest = order_;
    for (auto& w : liveWindows()) lowest = std::min(lowest, w->order_);
    order_ = lowest > 0 ? lowest - 1 : 0;
}

void Window::orderOut() {
    visible_ = false;
    for (auto& child : children_) child->orderOut();
    auto self = sharedFromThis<Window>();
    if (list().key.lock() == self) {
        list().key.reset();
        notify(WindowNotification::DidResignKey);
        if (auto* d = dynamic_cast<WindowDelegate*>(delegate().get())) d->windowDidResignKey(self);
        // The frontmost window that can take it becomes key.
        for (auto& w : orderedWindows())
            if (w != self && w->canBecomeKeyWindow()) {
                w->makeKeyWindow();
                break;
            }
    }
    if (list().main.lock() == self) {
        list().main.reset();
        notify(WindowNotification::DidResignMain);
    }
}

void Window::makeKeyAndOrderFront() {
    bringToFront();
    makeKeyWindow();
    makeMainWindow();
}

bool Window::canBecomeKeyWindow() const {
    return (styleMask_ & (WindowStyleMask::Titled | WindowStyleMask::Resizable)) != 0;
}

bool Window::canBecomeMainWindow() const { return visible_ && canBecomeKeyWindow(); }

void Window::makeKeyWindow() {
    if (!canBecomeKeyWindow()) return;
    auto self = sharedFromThis<Window>();
    auto old = list().key.lock();
    if (old == self) return;
    list().key = self;
    if (old) {
        old->notify(WindowNotification::DidResignKey);
        if (auto* d = dynamic_cast<WindowDelegate*>(old->delegate().get())) d->windowDidResignKey(old);
    }
    notify(WindowNotification::DidBecomeKey);
    if (auto* d = dynamic_cast<WindowDelegate*>(delegate().get())) d->windowDidBecomeKey(self);
}

void Window::makeMainWindow() {
    if (!canBecomeMainWindow()) return;
    auto self = sharedFromThis<Window>();
    auto old = list().main.lock();
    if (old == self) return;
    list().main = self;
    if (old) old->notify(WindowNotification::DidResignMain);
    notify(WindowNotification::DidBecomeMain);
}

bool Window::isKeyWindow() const { return list().key.lock().get() == this && visible_; }
bool Window::isMainWindow() const { return list().main.lock().get() == this && visible_; }

bool Window::makeFirstResponder(const std::shared_ptr<Responder>& responder) {
    auto current = firstResponder_.lock();
    if (current == responder) return true;
    if (current && !current->resignFirstResponder()) return false;
    if (!responder) {
        firstResponder_ = sharedFromThis<Responder>();
        return true;
    }
    if (!responder->acceptsFirstResponder() || !responder->becomeFirstResponder()) {
        firstResponder_ = sharedFromThis<Responder>();
        return false;
    }
    firstResponder_ = responder;
    return true;
}

// ---- closing ------------------------------------------------------------------------------------

void Window::performClose() {
    auto self = sharedFromThis<Window>();
    if (auto* d = dynamic_cast<WindowDelegate*>(delegate().get()))
        if (!d->windowShouldClose(self)) return;
    close();
}

void Window::close() {
    if (closed_) return;
    auto self = sharedFromThis<Window>();  // alive until the end, whoever lets go meanwhile
    closed_ = true;
    notify(WindowNotification::WillClose);
    if (auto* d = dynamic_cast<WindowDelegate*>(delegate().get())) d->windowWillClose(self);
    orderOut();
    if (auto parent = parentWindow()) parent->removeChildWindow(self);
}

void Window::miniaturize() {
    if (!(styleMask_ & WindowStyleMask::Miniaturizable) || miniaturized_) return;
    miniaturized_ = true;
    notify(WindowNotification::DidMiniaturize);
}

void Window::deminiaturize() {
    if (!miniaturized_) return;
    miniaturized_ = false;
    notify(WindowNotification::DidDeminiaturize);
}

void Window::toggleFullScreen() {
    auto s = screen();
    if (isFullScreen()) {
        notify(WindowNotification::WillExitFullScreen);
        styleMask_ &= ~WindowStyleMask::FullScreen;
        notify(WindowNotification::DidExitFullScreen);
    } else {
        notify(WindowNotification::WillEnterFullScreen);
        styleMask_ |= WindowStyleMask::FullScreen;
        if (s) setFrame(s->frame());
        notify(WindowNotification::DidEnterFullScreen);
    }
}

void Window::setAttachedSheet(const WindowPtr& sheet) {
    if (sheet_) sheet_->sheetParent_.reset();
    sheet_ = sheet;
    if (sheet_) sheet_->sheetParent_ = sharedFromThis<Window>();
}

// ---- layout and display -------------------------------------------------------------------------

void Window::scheduleLayout() {
    if (layoutScheduled_) return;
    layoutScheduled_ = true;
    std::weak_ptr<Window> weak = sharedFromThis<Window>();
    RunLoop::main().perform([weak] {
        if (auto w = weak.lock()) w->layoutIfNeeded();
    });
}

void Window::layoutIfNeeded() {
    layoutScheduled_ = false;
    if (contentView_) contentView_->layoutSubtreeIfNeeded();
}

void Window::display() {
    layoutIfNeeded();
    std::function<void(const ViewPtr&)> visit = [&](const ViewPtr& v) {
        v->display();
        for (auto& sub : v->subviews()) visit(sub);
    };
    if (contentView_) visit(contentView_);
}

void Window::notify(const std::string& name) { NotificationCenter::defaultCenter().post(name, sharedFromThis<Window>()); }

std::string Window::description() const { return Responder::description(); }

}  // namespace platform

// ---- events -------------------------------------------------------------------------------------

namespace platform {

namespace {

void collectTrackingAreas(const ViewPtr& view, std::vector<std::pair<ViewPtr, TrackingAreaPtr>>& out) {
    if (view->isHidden()) return;
    for (auto& area : view->trackingAreas()) out.emplace_back(view, area);
    for (auto& sub : view->subviews()) collectTrackingAreas(sub, out);
}

// Recognisers of `kind` on the view and its ancestors, innermost first.
std::vector<GestureRecognizerPtr> recognizers(ViewPtr view, GestureRecognizer::Kind kind) {
    std::vector<GestureRecognizerPtr> out;
    for (; view; view = view->superview())
        for (auto& r : view->gestureRecognizers())
            if (r->kind() == kind && r->isEnabled) out.push_back(r);
    return out;
}

}  // namespace

void Window::sendEvent(const EventPtr& event) {
    if (!event) return;
    auto self = sharedFromThis<Window>();
    event->setWindow(self);
    Point p = event->locationInWindow();
    switch (event->type()) {
        case EventType::LeftMouseDown:
        case EventType::RightMouseDown: {
            if (ignoresMouseEvents || !contentView_) return;
            auto hit = contentView_->hitTest(p);
            mouseDownView_ = hit;
            lastMouse_ = p;
            if (!hit) return;
            if (event->type() == EventType::RightMouseDown) return hit->rightMouseDown(event);
            for (auto& r : recognizers(hit, GestureRecognizer::Kind::Press)) r->transition(GestureRecognizer::State::Began, p);
            hit->mouseDown(event);
            return;
        }
        case EventType::LeftMouseDragged: {
            auto view = mouseDownView_.lock();
            if (!view) return;
            for (auto& r : recognizers(view, GestureRecognizer::Kind::Pan)) {
                bool began = r->state() != GestureRecognizer::State::Possible;
                r->translation = {p.x - lastMouse_.x, p.y - lastMouse_.y};
                if (!began) r->translation = {0, 0};
                r->transition(began ? GestureRecognizer::State::Changed : GestureRecognizer::State::Began, p);
            }
            view->mouseDragged(event);
            return;
        }
        case EventType::LeftMouseUp: {
            auto view = mouseDownView_.lock();
            mouseDownView_.reset();
            if (!view) return;
            bool panned = false;
            for (auto& r : recognizers(view, GestureRecognizer::Kind::Pan))
                if (r->state() != GestureRecognizer::State::Possible) {
                    panned = true;
                    r->transition(GestureRecognizer::State::Ended, p);
                }
            for (auto& r : recognizers(view, GestureRecognizer::Kind::Press))
                if (r->state() != GestureRecognizer::State::Possible) r->transition(GestureRecognizer::State::Ended, p);
            // A click is a press and release inside the same view, without a pan in between.
            auto hit = contentView_ ? contentView_->hitTest(p) : nullptr;
            if (!panned && hit && (hit == view || hit->isDescendantOf(view)))
                for (auto& r : recognizers(view, GestureRecognizer::Kind::Click))
                    if (event->clickCount() >= r->numberOfClicksRequired) r->transition(GestureRecognizer::State::Ended, p);
            view->mouseUp(event);
            return;
        }
        case EventType::MouseMoved: {
            if (!contentView_) return;
            std::vector<std::pair<ViewPtr, TrackingAreaPtr>> areas;
            collectTrackingAreas(contentView_, areas);
            for (auto& [view, area] : areas) {
                Point local = view->convertPointFrom(p, nullptr);
                bool inside = area->rect().contains(local);
                auto owner = std::dynamic_pointer_cast<Responder>(area->owner());
                if (!owner) continue;
                if ((area->options() & TrackingAreaOptions::MouseEnteredAndExited) && inside != area->mouseInside) {
                    area->mouseInside = inside;
                    if (inside) owner->mouseEntered(event); else owner->mouseExited(event);
                }
                if ((area->options() & TrackingAreaOptions::MouseMoved) && inside) owner->mouseMoved(event);
            }
            return;
        }
        case EventType::ScrollWheel: {
            if (!contentView_) return;
            if (auto hit = contentView_->hitTest(p)) hit->scrollWheel(event);
            return;
        }
        case EventType::KeyDown:
        case EventType::KeyUp:
        case EventType::FlagsChanged: {
            auto responder = firstResponder();
            if (!responder) responder = self;
            if (event->type() == EventType::KeyDown) responder->keyDown(event);
            else if (event->type() == EventType::KeyUp) responder->keyUp(event);
            else responder->flagsChanged(event);
            return;
        }
        default: return;
    }
}

bool Window::dispatchApplicationEvent(EventPtr event) {
    if (!event) return false;
    auto target = event->window();
    event = EventMonitor::dispatchLocal(std::move(event));
    if (!event) return false;
    if (!target) target = event->window();
    if (!target) target = keyWindow();
    if (!target) return false;
    target->sendEvent(event);
    return true;
}

}  // namespace platform
