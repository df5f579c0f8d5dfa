#include "XQKit/ViewExtension.h"

#include <algorithm>

using namespace platform;

// ---- views --------------------------------------------------------------------------------------

ColorPtr bgColor(const ViewPtr& view) {
    if (!view || !view->layer()) return nullptr;
    return view->layer()->backgroundColor;
}

void setBgColor(const ViewPtr& view, const ColorPtr& color) {
    if (!view) return;
    if (color) {
        view->setWantsLayer(true);
        view->layer()->backgroundColor = color;
    } else {
        view->setWantsLayer(false);
        if (view->layer()) view->layer()->backgroundColor = nullptr;
    }
}

void removeAllSubviews(const ViewPtr& view) {
    if (!view) return;
    for (auto& sub : std::vector<ViewPtr>(view->subviews())) sub->removeFromSuperview();
}

void removeSubviews(const ViewPtr& view, const ViewClass& ofClass) {
    if (!view || !ofClass.matches) return;
    for (auto& sub : std::vector<ViewPtr>(view->subviews()))
        if (ofClass.matches(*sub)) sub->removeFromSuperview();
}

void addSubviews(const ViewPtr& view, const std::vector<ViewPtr>& subviews) {
    if (!view) return;
    for (auto& sub : subviews) view->addSubview(sub);
}

TrackingAreaPtr addMouseTrackingArea(const ViewPtr& view, Rect rect, const ObjectPtr& owner) {
    auto area = TrackingArea::make(rect, TrackingAreaOptions::MouseEnteredAndExited | TrackingAreaOptions::ActiveAlways,
                                   owner, std::nullopt);
    if (view) view->addTrackingArea(area);
    return area;
}

TrackingAreaPtr addMouseTracking(const ViewPtr& view) {
    if (!view) return nullptr;
    return addMouseTrackingArea(view, view->bounds(), view);
}

void removeAllTrackingAreas(const ViewPtr& view) {
    if (!view) return;
    for (auto& area : std::vector<TrackingAreaPtr>(view->trackingAreas())) view->removeTrackingArea(area);
}

void setBorderColor(const ViewPtr& view, const ColorPtr& color) {
    if (!view) return;
    view->setWantsLayer(true);
    view->layer()->borderColor = color;
}

void setBorderWidth(const ViewPtr& view, double width) {
    if (!view) return;
    view->setWantsLayer(true);
    view->layer()->borderWidth = width;
}

void setBorder(const ViewPtr& view, const ColorPtr& color, double width) {
    setBorderColor(view, color);
    setBorderWidth(view, width);
}

void setCornerRadius(const ViewPtr& view, double radius) {
    if (!view) return;
    view->clipsToBounds = true;
    view->setWantsLayer(true);
    view->layer()->masksToBounds = true;
    view->layer()->cornerRadius = radius;
}

void setCornerRadius(const ViewPtr& view, double radius, unsigned cornerMask) {
    setCornerRadius(view, radius);
    if (view) view->layer()->maskedCorners = cornerMask;
}

void setBorder(const ViewPtr& view, const ColorPtr& color, double width, double cornerRadius) {
    setBorder(view, color, width);
    setCornerRadius(view, cornerRadius);
}

ImagePtr thumbImage(const ViewPtr& view) {
    if (!view) return nullptr;
    auto rep = view->bitmapImageRepForCachingDisplay(view->bounds());
    if (!rep) return nullptr;
    view->cacheDisplay(view->bounds(), rep);
    rep->setSize(view->bounds().size);
    return rep;
}

ViewControllerPtr vc(const ViewPtr& view) {
    auto w = view ? view->window() : nullptr;
    return w ? w->contentViewController() : nullptr;
}

WindowControllerPtr wc(const ViewPtr& view) {
    auto w = view ? view->window() : nullptr;
    return w ? w->windowController() : nullptr;
}

ScreenPtr screen(const ViewPtr& view) {
    auto w = view ? view->window() : nullptr;
    return w ? w->screen() : nullptr;
}

bool isDark(const ViewPtr& view) {
    if (!view) return false;
    auto match = view->effectiveAppearance()->bestMatch({AppearanceName::Aqua, AppearanceName::DarkAqua});
    return match && *match == AppearanceName::DarkAqua;
}

namespace {
const char kClickKey = 0, kPanKey = 0, kPressKey = 0;

void addGesture(const ViewPtr& view, GestureHandler handler, const ObjectPtr& delegate, GestureRecognizer::Kind kind,
                const char* key, const char* action) {
    if (!view) return;
    auto recognizer = std::make_shared<GestureRecognizer>(kind, view, action);
    if (delegate) recognizer->setDelegate(delegate);
    view->addGestureRecognizer(recognizer);
    view->setAssociated(key, std::move(handler));
    // The action finds the view through its recogniser, so the view holds no reference to itself.
    view->defineAction(action, [key](const ObjectPtr& sender) {
        auto r = std::dynamic_pointer_cast<GestureRecognizer>(sender);
        auto v = r ? r->view() : nullptr;
        if (!v) return;
        if (auto* h = v->associated<GestureHandler>(key); h && *h) (*h)(v, r);
    });
}
}  // namespace

void addClickGesture(const ViewPtr& view, GestureHandler handler, const ObjectPtr& delegate) {
    addGesture(view, std::move(handler), delegate, GestureRecognizer::Kind::Click, &kClickKey, "clickHandler:");
}

void addPanGesture(const ViewPtr& view, GestureHandler handler, const ObjectPtr& delegate) {
    addGesture(view, std::move(handler), delegate, GestureRecognizer::Kind::Pan, &kPanKey, "panHandler:");
}

void addPressGesture(const ViewPtr& view, GestureHandler handler, const ObjectPtr& delegate) {
    addGesture(view, std::move(handler), delegate, GestureRecognizer::Kind::Press, &kPressKey, "pressHandler:");
}

// ---- controls -----------------------------------------------------------------------------------

namespace {
const char kClickedKey = 0, kIgnoresKey = 0;
}

ClickedHandler clickedHandler(const std::shared_ptr<Control>& control) {
    if (!control) return {};
    auto* h = control->associated<ClickedHandler>(&kClickedKey);
    return h ? *h : ClickedHandler{};
}

void setClickedHandler(const std::shared_ptr<Control>& control, ClickedHandler handler) {
    if (!control) return;
    control->setAssociated(&kClickedKey, std::move(handler));
    std::weak_ptr<Control> weak = control;
    control->defineAction("controlClicked", [weak](const ObjectPtr&) {
        auto c = weak.lock();
        if (!c) return;
        if (auto h = clickedHandler(c)) h(c);
    });
    control->setTarget(control);
    control->setAction("controlClicked");
}

bool ignoresMouseEvents(const std::shared_ptr<Control>& control) {
    if (!control) return false;
    const bool* b = control->associated<bool>(&kIgnoresKey);
    return b && *b;
}

void setIgnoresMouseEvents(const std::shared_ptr<Control>& control, bool ignores) {
    if (!control) return;
    // Every control's hit test consults the switch; the hook is attached once per process.
    static bool hooked = false;
    if (!hooked) {
        hooked = true;
        Control::hitTestHook().add([](Control& c, ViewPtr& result) {
            const bool* b = c.associated<bool>(&kIgnoresKey);
            if (b && *b) result = nullptr;
        });
    }
    control->setAssociated(&kIgnoresKey, ignores);
}

// ---- screens ------------------------------------------------------------------------------------

namespace {
Rect frameOf(const ScreenPtr& s) { return s ? s->frame() : Rect{}; }
}  // namespace

double x(const ScreenPtr& s) { return frameOf(s).origin.x; }
double y(const ScreenPtr& s) { return frameOf(s).origin.y; }
double width(const ScreenPtr& s) { return frameOf(s).size.width; }
double height(const ScreenPtr& s) { return frameOf(s).size.height; }
Size size(const ScreenPtr& s) { return frameOf(s).size; }
Point origin(const ScreenPtr& s) { return frameOf(s).origin; }
Point center(const ScreenPtr& s) { return {centerX(s), centerY(s)}; }
double centerX(const ScreenPtr& s) { return x(s) + width(s) / 2; }
double centerY(const ScreenPtr& s) { return y(s) + height(s) / 2; }
double maxX(const ScreenPtr& s) { return x(s) + width(s); }
double maxY(const ScreenPtr& s) { return y(s) + height(s); }

bool isMain(const ScreenPtr& s) {
    auto main = Screen::main();
    return s && main && main == s;
}

std::optional<std::uint32_t> displayID(const ScreenPtr& s) {
    if (!s) return std::nullopt;
    const auto& description = s->deviceDescription();
    auto it = description.find("NSScreenNumber");
    if (it == description.end()) return std::nullopt;
    return it->second.exactly<std::uint32_t>();
}

bool isBuiltin(const ScreenPtr& s) {
    auto id = displayID(s);
    return id && displayIsBuiltin(*id);
}

ScreenPtr builtinScreen() {
    for (auto& s : Screen::screens())
        if (isBuiltin(s)) return s;
    return nullptr;
}

// ---- save panels --------------------------------------------------------------------------------

namespace {
SavePanelPtr makeSavePanel(const std::optional<std::string>& title, const std::optional<std::string>& message,
                           const std::optional<std::string>& prompt, const std::optional<std::string>& nameFieldLabel,
                           const std::optional<URL>& directoryURL, const std::string& nameFieldStringValue,
                           bool canCreateDirectories, bool canSelectHiddenExtension, bool showsHiddenFiles,
                           bool isExtensionHidden, const ViewPtr& accessoryView,
                           const std::optional<std::string>& identifier) {
    auto panel = SavePanel::make();
    if (title) panel->title = *title;
    if (message) panel->message = *message;
    if (prompt) panel->prompt = *prompt;
    if (nameFieldLabel) panel->nameFieldLabel = *nameFieldLabel;
    panel->nameFieldStringValue = nameFieldStringValue;
    panel->directoryURL = directoryURL;
    panel->canCreateDirectories = canCreateDirectories;
    panel->canSelectHiddenExtension = canSelectHiddenExtension;
    panel->isExtensionHidden = isExtensionHidden;
    panel->showsHiddenFiles = showsHiddenFiles;
    panel->accessoryView = accessoryView;
    panel->identifier = identifier;
    return panel;
}
}  // namespace

SavePanelPtr SavePanelExtension::save(const WindowPtr& window, const std::optional<std::string>& title,
                                      const std::optional<std::string>& message,
                                      const std::optional<std::string>& prompt,
                                      const std::optional<std::string>& nameFieldLabel,
                                      const std::optional<URL>& directoryURL, const std::string& nameFieldStringValue,
                                      bool canCreateDirectories, bool canSelectHiddenExtension, bool showsHiddenFiles,
                                      bool isExtensionHidden, const ViewPtr& accessoryView,
                                      const std::optional<std::string>& identifier, Handler handler) {
    auto panel = makeSavePanel(title, message, prompt, nameFieldLabel, directoryURL, nameFieldStringValue,
                               canCreateDirectories, canSelectHiddenExtension, showsHiddenFiles, isExtensionHidden,
                               accessoryView, identifier);
    std::weak_ptr<SavePanel> weak = panel;
    auto finish = [weak, handler](long response) {
        auto p = weak.lock();
        if (handler) handler(response, p ? p->url() : std::nullopt);
    };
    if (window)
        panel->beginSheetModal(window, finish);
    else
        panel->begin(finish);
    return panel;
}

std::pair<long, std::optional<URL>> SavePanelExtension::save(
    const std::optional<std::string>& title, const std::optional<std::string>& message,
    const std::optional<std::string>& prompt, const std::optional<std::string>& nameFieldLabel,
    const std::optional<URL>& directoryURL, const std::string& nameFieldStringValue, bool canCreateDirectories,
    bool canSelectHiddenExtension, bool showsHiddenFiles, bool isExtensionHidden, const ViewPtr& accessoryView,
    const std::optional<std::string>& identifier) {
    auto panel = makeSavePanel(title, message, prompt, nameFieldLabel, directoryURL, nameFieldStringValue,
                               canCreateDirectories, canSelectHiddenExtension, showsHiddenFiles, isExtensionHidden,
                               accessoryView, identifier);
    long response = panel->runModal();
    return {response, panel->url()};
}
