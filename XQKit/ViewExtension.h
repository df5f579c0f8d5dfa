#pragma once

// Conveniences for views, controls, screens and save panels: layer-backed background colours,
// borders and rounded corners, bulk subview and tracking-area handling, a snapshot image, the
// window's controllers and screen, gesture and click callbacks, a click-through switch for controls,
// screen geometry and identity, and one-call save panels. Callbacks and switches live in the object's
// associated storage.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/appkit/Control.h"
#include "platform/appkit/GestureRecognizer.h"
#include "platform/appkit/Image.h"
#include "platform/appkit/SavePanel.h"
#include "platform/appkit/Screen.h"
#include "platform/appkit/TrackingArea.h"
#include "platform/appkit/View.h"
#include "platform/appkit/ViewController.h"
#include "platform/appkit/Window.h"
#include "platform/appkit/WindowController.h"

// ---- views --------------------------------------------------------------------------------------

// The layer's background colour; null without a layer or colour.
platform::ColorPtr bgColor(const platform::ViewPtr& view);
// A colour makes the view layer-backed with that background; null turns layer backing off and
// clears the background.
void setBgColor(const platform::ViewPtr& view, const platform::ColorPtr& color);

// A new layer-backed view of class T with `color` as background.
template <class T = platform::View>
std::shared_ptr<T> viewWithColor(const platform::ColorPtr& color) {
    auto view = platform::View::make<T>();
    view->setWantsLayer(true);
    view->layer()->backgroundColor = color;
    return view;
}

// A class of views to match, including subclasses; the default-constructed one is "absent".
struct ViewClass {
    std::function<bool(const platform::View&)> matches;
    template <class T>
    static ViewClass of() {
        return {[](const platform::View& v) { return dynamic_cast<const T*>(&v) != nullptr; }};
    }
};

void removeAllSubviews(const platform::ViewPtr& view);
void removeSubviews(const platform::ViewPtr& view, const ViewClass& ofClass);
void addSubviews(const platform::ViewPtr& view, const std::vector<platform::ViewPtr>& subviews);
// Options mouse-entered-and-exited and active-always (0x81), no user info.
platform::TrackingAreaPtr addMouseTrackingArea(const platform::ViewPtr& view, platform::Rect rect,
                                               const platform::ObjectPtr& owner);
platform::TrackingAreaPtr addMouseTracking(const platform::ViewPtr& view);
void removeAllTrackingAreas(const platform::ViewPtr& view);
void setBorder(const platform::ViewPtr& view, const platform::ColorPtr& color, double width);
void setBorderColor(const platform::ViewPtr& view, const platform::ColorPtr& color);
void setBorderWidth(const platform::ViewPtr& view, double width);
void setCornerRadius(const platform::ViewPtr& view, double radius);
void setCornerRadius(const platform::ViewPtr& view, double radius, unsigned cornerMask);
void setBorder(const platform::ViewPtr& view, const platform::ColorPtr& color, double width, double cornerRadius);
// The bounds drawn into a new image; null when the view gives no bitmap (empty bounds).
platform::ImagePtr thumbImage(const platform::ViewPtr& view);
platform::ViewControllerPtr vc(const platform::ViewPtr& view);
platform::WindowControllerPtr wc(const platform::ViewPtr& view);
platform::ScreenPtr screen(const platform::ViewPtr& view);
// The effective appearance best matches dark aqua, choosing between aqua and dark aqua.
bool isDark(const platform::ViewPtr& view);

using GestureHandler = std::function<void(const platform::ViewPtr&, const platform::GestureRecognizerPtr&)>;
// Adds a recogniser (target the view, action "clickHandler:", "panHandler:" or "pressHandler:") and
// keeps the callback, one per kind: a second call replaces the callback, both recognisers stay.
void addClickGesture(const platform::ViewPtr& view, GestureHandler handler, const platform::ObjectPtr& delegate = nullptr);
void addPanGesture(const platform::ViewPtr& view, GestureHandler handler, const platform::ObjectPtr& delegate = nullptr);
void addPressGesture(const platform::ViewPtr& view, GestureHandler handler, const platform::ObjectPtr& delegate = nullptr);

// ---- controls -----------------------------------------------------------------------------------

using ClickedHandler = std::function<void(const std::shared_ptr<platform::Control>&)>;
ClickedHandler clickedHandler(const std::shared_ptr<platform::Control>& control);
// Stores the callback and points the control's target at itself with the action "controlClicked"
// (also when the callback is empty).
void setClickedHandler(const std::shared_ptr<platform::Control>& control, ClickedHandler handler);
bool ignoresMouseEvents(const std::shared_ptr<platform::Control>& control);
// While true the control is never hit: clicks fall through to what lies below.
void setIgnoresMouseEvents(const std::shared_ptr<platform::Control>& control, bool ignores);

// ---- screens ------------------------------------------------------------------------------------

double x(const platform::ScreenPtr& screen);
double y(const platform::ScreenPtr& screen);
double width(const platform::ScreenPtr& screen);
double height(const platform::ScreenPtr& screen);
platform::Size size(const platform::ScreenPtr& screen);
platform::Point origin(const platform::ScreenPtr& screen);
platform::Point center(const platform::ScreenPtr& screen);
double centerX(const platform::ScreenPtr& screen);
double centerY(const platform::ScreenPtr& screen);
double maxX(const platform::ScreenPtr& screen);
double maxY(const platform::ScreenPtr& screen);
bool isMain(const platform::ScreenPtr& screen);
// "NSScreenNumber" of the device description when it is an unsigned 32-bit number.
std::optional<std::uint32_t> displayID(const platform::ScreenPtr& screen);
bool isBuiltin(const platform::ScreenPtr& screen);
// The first screen whose number is a built-in display's; null when none is.
platform::ScreenPtr builtinScreen();

// ---- save panels --------------------------------------------------------------------------------

struct SavePanelExtension {
    using Handler = std::function<void(long response, const std::optional<platform::URL>& url)>;
    // As a sheet on `window`, or free-standing without one; the panel is returned at once.
    static platform::SavePanelPtr save(const platform::WindowPtr& window, const std::optional<std::string>& title,
                                       const std::optional<std::string>& message,
                                       const std::optional<std::string>& prompt,
                                       const std::optional<std::string>& nameFieldLabel,
                                       const std::optional<platform::URL>& directoryURL,
                                       const std::string& nameFieldStringValue, bool canCreateDirectories,
                                       bool canSelectHiddenExtension, bool showsHiddenFiles, bool isExtensionHidden,
                                       const platform::ViewPtr& accessoryView,
                                       const std::optional<std::string>& identifier, Handler handler);
    static std::pair<long, std::optional<platform::URL>> save(
        const std::optional<std::string>& title, const std::optional<std::string>& message,
        const std::optional<std::string>& prompt, const std::optional<std::string>& nameFieldLabel,
        const std::optional<platform::URL>& directoryURL, const std::string& nameFieldStringValue,
        bool canCreateDirectories, bool canSelectHiddenExtension, bool showsHiddenFiles, bool isExtensionHidden,
        const platform::ViewPtr& accessoryView, const std::optional<std::string>& identifier);
};
