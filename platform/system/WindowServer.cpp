#include "platform/system/WindowServer.h"

#include <cstdlib>
#include <string_view>

#include "platform/appkit/GraphicsContext.h"
#include "platform/appkit/Renderer.h"
#include "platform/appkit/Screen.h"
#include "platform/appkit/Window.h"
#include "platform/foundation/ProcessInfo.h"
#include "platform/system/Session.h"

namespace platform {

namespace {

bool initialScreenCapture() {
    const char* allowed = std::getenv("XQ_SESSION_SCREEN_CAPTURE");
    return allowed && std::string_view(allowed) == "1";
}

// The height the window server flips y-up desktop coordinates against: the main screen's.
double desktopHeight() {
    auto screens = Screen::screens();
    return screens.empty() ? 0 : screens.front()->frame().maxY();
}

// A y-up desktop rectangle in the server's top-left coordinates.
Rect toServer(const Rect& frame) {
    return {frame.origin.x, desktopHeight() - frame.maxY(), frame.width(), frame.height()};
}

Dictionary describe(const WindowPtr& window, int pid, const std::string& owner) {
    Rect bounds = toServer(window->frame());
    return Dictionary{
        {kCGWindowNumber, Value(window->windowNumber())},
        {kCGWindowName, Value(window->title)},
        {kCGWindowOwnerPID, Value(pid)},
        {kCGWindowOwnerName, Value(owner)},
        {kCGWindowLayer, Value(window->level)},
        {kCGWindowBounds, Value(Dictionary{{"X", Value(bounds.origin.x)},
                                           {"Y", Value(bounds.origin.y)},
                                           {"Width", Value(bounds.width())},
                                           {"Height", Value(bounds.height())}})},
        {kCGWindowIsOnscreen, Value(true)},
        {kCGWindowAlpha, Value(window->alphaValue)},
        {kCGWindowSharingState, Value(1)},
    };
}

bool isOnScreen(const Value& window) {
    const bool* on = window[kCGWindowIsOnscreen].boolValue();
    return on && *on;
}

bool isDesktopElement(const Value& window) {
    auto layer = window[kCGWindowLayer].integerValue();
    return layer && *layer <= kCGDesktopIconWindowLevel;
}

std::optional<CGWindowID> numberOf(const Value& window) {
    auto number = window[kCGWindowNumber].integerValue();
    if (!number || *number < 0) return std::nullopt;
    return static_cast<CGWindowID>(*number);
}

}  // namespace

WindowServer& WindowServer::shared() {
    static WindowServer server;
    return server;
}

WindowServer::WindowServer() : screenCapture_(initialScreenCapture()) {}

void WindowServer::reset() {
    std::lock_guard lock(mutex_);
    others_.clear();
    available_ = true;
    screenCapture_ = false;
    pointer_ = {};
    captures_.clear();
}

void WindowServer::setOtherWindows(std::vector<Dictionary> windows) {
    std::lock_guard lock(mutex_);
    others_ = std::move(windows);
}

std::vector<Dictionary> WindowServer::otherWindows() const {
    std::lock_guard lock(mutex_);
    return others_;
}

void WindowServer::setListAvailable(bool available) {
    std::lock_guard lock(mutex_);
    available_ = available;
}

bool WindowServer::listAvailable() const {
    std::lock_guard lock(mutex_);
    return available_;
}

bool WindowServer::screenCaptureAllowed() const {
    std::lock_guard lock(mutex_);
    return screenCapture_;
}

void WindowServer::setScreenCaptureAllowed(bool allowed) {
    std::lock_guard lock(mutex_);
    screenCapture_ = allowed;
}

Point WindowServer::pointerLocation() const {
    std::lock_guard lock(mutex_);
    return pointer_;
}

void WindowServer::setPointerLocation(Point location) {
    std::lock_guard lock(mutex_);
    pointer_ = location;
}

std::vector<WindowServer::Capture> WindowServer::captures() const {
    std::lock_guard lock(mutex_);
    return captures_;
}

void WindowServer::recordCapture(const Capture& capture) {
    std::lock_guard lock(mutex_);
    captures_.push_back(capture);
}

Array WindowServer::windowDescriptions() const {
    Array list;
    // This program's windows come from the toolkit; they are named for their owner in any case.
    int pid = ProcessInfo::processInfo().processIdentifier();
    std::string owner = ProcessInfo::processInfo().processName();
    for (const auto& window : Window::orderedWindows()) list.push_back(Value(describe(window, pid, owner)));

    std::lock_guard lock(mutex_);
    for (Dictionary window : others_) {
        // Without Screen Recording the system withholds other processes' window names, except the
        // Dock's, which it always shows.
        auto ownerName = window.find(kCGWindowOwnerName);
        bool isDock = ownerName != window.end() && ownerName->second.string() && *ownerName->second.string() == "Dock";
        if (!screenCapture_ && !isDock) window.erase(kCGWindowName);
        list.push_back(Value(std::move(window)));
    }
    return list;
}

std::optional<Array> CGWindowListCopyWindowInfo(CGWindowListOption option, CGWindowID relativeToWindow) {
    auto& server = WindowServer::shared();
    if (!server.listAvailable()) return std::nullopt;
    Array all = server.windowDescriptions();

    // The position of the reference window for the relative options; without it they list nothing.
    std::optional<std::size_t> reference;
    for (std::size_t i = 0; i < all.size(); ++i)
        if (numberOf(all[i]) == relativeToWindow && relativeToWindow != kCGNullWindowID) reference = i;

    bool relative = option & (kCGWindowListOptionOnScreenAboveWindow | kCGWindowListOptionOnScreenBelowWindow |
                              kCGWindowListOptionIncludingWindow);
    Array result;
    for (std::size_t i = 0; i < all.size(); ++i) {
        const Value& window = all[i];
        if ((option & kCGWindowListExcludeDesktopElements) && isDesktopElement(window)) continue;
        bool onScreenOnly = option & (kCGWindowListOptionOnScreenOnly | kCGWindowListOptionOnScreenAboveWindow |
                                      kCGWindowListOptionOnScreenBelowWindow);
        if (onScreenOnly && !isOnScreen(window)) continue;
        if (relative) {
            if (!reference) continue;
            bool take = ((option & kCGWindowListOptionIncludingWindow) && i == *reference) ||
                        ((option & kCGWindowListOptionOnScreenAboveWindow) && i < *reference) ||
                        ((option & kCGWindowListOptionOnScreenBelowWindow) && i > *reference);
            if (!take) continue;
        }
        result.push_back(window);
    }
    return result;
}

ImagePtr CGWindowListCreateImage(Rect screenBounds, CGWindowListOption option, CGWindowID windowID,
                                 CGWindowImageOption imageOption) {
    WindowServer::shared().recordCapture({screenBounds, option, windowID, imageOption});
    if (screenBounds.isEmpty()) return nullptr;
    auto screens = Screen::screens();
    double scale = screens.empty() ? 1.0 : screens.front()->backingScaleFactor();
    // Only this program's windows have content the simulation can draw; the rest of the desktop is
    // left transparent, which is also what a capture without the permission shows.
    auto windows = Window::orderedWindows();
    return Image::drawn(screenBounds.size, scale, [&](GraphicsContext& g) {
        for (auto it = windows.rbegin(); it != windows.rend(); ++it) {
            Rect frame = toServer((*it)->frame());
            if (frame.intersection(screenBounds).isEmpty()) continue;
            if (auto image = Renderer::imageOfWindow(*it, scale))
                g.drawImage(*image, frame.offsetBy(-screenBounds.origin.x, -screenBounds.origin.y));
        }
    });
}

std::optional<SessionEvent> CGEventCreate() {
    SessionEvent event(0, 0);
    event.location = WindowServer::shared().pointerLocation();
    return event;
}

std::optional<SessionEvent> CGEventCreateMouseEvent(SessionEventType type, Point location, CGMouseButton button) {
    // The mouse event types: left, right and other buttons down/up/dragged, and moved.
    bool isMouse = (type >= 1 && type <= 7) || (type >= 25 && type <= 27);
    if (!isMouse) return std::nullopt;
    SessionEvent event(type, 0);
    event.location = location;
    event.setIntegerValueField(kMouseEventButtonNumber, static_cast<std::int64_t>(button));
    return event;
}

void CGEventPost(EventTapLocation, const SessionEvent& event) { Session::shared().recordSyntheticEvent(event); }

}  // namespace platform
