#pragma once

// Windows: a frame in the desktop's y-up space, a content view, a title bar, a level, child windows
// ordered with it, and the key and main window rules. There is no window server: ordering, key state
// and the window list are kept here, and rendering to PNG draws a window on demand.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/appkit/Color.h"
#include "platform/appkit/Geometry.h"
#include "platform/appkit/Responder.h"
#include "platform/appkit/Screen.h"
#include "platform/appkit/View.h"

namespace platform {

class Window;
class WindowController;
class ViewController;
class Button;
using WindowPtr = std::shared_ptr<Window>;

namespace WindowStyleMask {
inline constexpr std::uint64_t Borderless = 0, Titled = 1 << 0, Closable = 1 << 1, Miniaturizable = 1 << 2,
                               Resizable = 1 << 3, UtilityWindow = 1 << 4, DocModalWindow = 1 << 6,
                               NonactivatingPanel = 1 << 7, UnifiedTitleAndToolbar = 1 << 12,
                               HUDWindow = 1 << 13, FullScreen = 1 << 14, FullSizeContentView = 1 << 15;
}

enum class BackingStoreType { Retained = 0, Nonretained = 1, Buffered = 2 };
enum class WindowButtonKind { Close = 0, Miniaturize = 1, Zoom = 2 };
enum class TitleVisibility { Visible = 0, Hidden = 1 };

namespace WindowLevel {
inline constexpr int Normal = 0, Floating = 3, Submenu = 3, TornOffMenu = 3, ModalPanel = 8, MainMenu = 24,
                     Status = 25, PopUpMenu = 101, ScreenSaver = 1000;
}

namespace WindowNotification {
inline const std::string WillClose = "NSWindowWillCloseNotification";
inline const std::string DidBecomeKey = "NSWindowDidBecomeKeyNotification";
inline const std::string DidResignKey = "NSWindowDidResignKeyNotification";
inline const std::string DidBecomeMain = "NSWindowDidBecomeMainNotification";
inline const std::string DidResignMain = "NSWindowDidResignMainNotification";
inline const std::string DidResize = "NSWindowDidResizeNotification";
inline const std::string DidMove = "NSWindowDidMoveNotification";
inline const std::string DidMiniaturize = "NSWindowDidMiniaturizeNotification";
inline const std::string DidDeminiaturize = "NSWindowDidDeminiaturizeNotification";
inline const std::string WillEnterFullScreen = "NSWindowWillEnterFullScreenNotification";
inline const std::string DidEnterFullScreen = "NSWindowDidEnterFullScreenNotification";
inline const std::string WillExitFullScreen = "NSWindowWillExitFullScreenNotification";
inline const std::string DidExitFullScreen = "NSWindowDidExitFullScreenNotification";
}  // namespace WindowNotification

// What a window's delegate may implement; a delegate is any object, asked when it derives from this.
class WindowDelegate {
public:
    virtual ~WindowDelegate() = default;
    virtual bool windowShouldClose(const WindowPtr&) { return true; }
    virtual void windowWillClose(const WindowPtr&) {}
    virtual void windowDidBecomeKey(const WindowPtr&) {}
    virtual void windowDidResignKey(const WindowPtr&) {}
    virtual void windowDidResize(const WindowPtr&) {}
};

class Window : public Responder {
public:
    // A window whose content area is `contentRect` (the frame adds the title bar unless the content
    // view is full size). `deferred` is accepted and changes nothing here.
    template <class T = Window>
    static std::shared_ptr<T> make(Rect contentRect = {}, std::uint64_t styleMask = WindowStyleMask::Titled,
                                   BackingStoreType backing = BackingStoreType::Buffered, bool deferred = true) {
        auto window = std::make_shared<T>();
        window->setUp(contentRect, styleMask, backing, deferred);
        return window;
    }
    ~Window() override;

    // ---- the window list ------------------------------------------------------------------------
    // Visible windows, front to back (higher levels first).
    static std::vector<WindowPtr> orderedWindows();
    static WindowPtr keyWindow();
    static WindowPtr mainWindow();
    // Closes and forgets every window (between tests).
    static void closeAll();

    // ---- geometry -------------------------------------------------------------------------------
    Rect frame() const { return frame_; }
    void setFrame(const Rect& frame, bool display = false);
    void setFrameOrigin(Point origin);
    void setContentSize(Size size);
    Rect contentRectForFrameRect(const Rect& frame) const;
    Rect frameRectForContentRect(const Rect& content) const;
    // The part of the content view not under the title bar, in the content view's coordinates.
    Rect contentLayoutRect() const;
    double titlebarHeight() const;
    // Horizontally centred on its screen's visible frame, with a third of the spare height above and
    // two thirds below.
    void center();
    ScreenPtr screen() const;

    // ---- style ----------------------------------------------------------------------------------
    std::uint64_t styleMask() const { return styleMask_; }
    void setStyleMask(std::uint64_t mask);
    BackingStoreType backingType() const { return backing_; }
    std::string title;
    bool titlebarAppearsTransparent = false;
    TitleVisibility titleVisibility = TitleVisibility::Visible;
    bool isOpaque = true;
    ColorPtr backgroundColor = Color::windowBackground();
    bool hasShadow = true;
    bool isMovable = true;
    bool isMovableByWindowBackground = false;
    bool isReleasedWhenClosed = false;
    bool ignoresMouseEvents = false;
    double alphaValue = 1.0;
    int level = WindowLevel::Normal;
    const AppearancePtr& appearance() const { return appearance_; }
    AppearancePtr effectiveAppearance() const { return appearance_ ? appearance_ : Appearance::applicationEffective(); }
    // The close, miniaturise and zoom buttons of a titled window; null for a borderless one.
    std::shared_ptr<Button> standardWindowButton(WindowButtonKind kind) const;

    // ---- content --------------------------------------------------------------------------------
    const ViewPtr& contentView() const { return contentView_; }
    void setContentView(const ViewPtr& view);
    std::shared_ptr<ViewController> contentViewController() const { return contentViewController_; }
    // Installs the controller's view as content view; the window takes the size of that view.
    void setContentViewController(const std::shared_ptr<ViewController>& controller);
    std::shared_ptr<WindowController> windowController() const { return windowController_.lock(); }
    ObjectPtr delegate() const { return delegate_.lock(); }
    void setDelegate(const ObjectPtr& delegate) { delegate_ = delegate; }

    // ---- children -------------------------------------------------------------------------------
    const std::vector<WindowPtr>& childWindows() const { return children_; }
    WindowPtr parentWindow() const { return parent_.lock(); }
    // The child moves with this window and is ordered right above (or below) it.
    void addChildWindow(const WindowPtr& child, WindowOrderingMode place = WindowOrderingMode::Above);
    void removeChildWindow(const WindowPtr& child);

    // ---- ordering, key and main -----------------------------------------------------------------
    bool isVisible() const { return visible_; }
    void orderFront();
    // Orders front even when the application is not active.
    void orderFrontRegardless();
    void orderBack();
    void orderOut();
    void makeKeyAndOrderFront();
    void makeKeyWindow();
    void makeMainWindow();
    bool isKeyWindow() const;
    bool isMainWindow() const;
    // Titled or resizable windows may become key; a borderless one may not. Subclasses decide.
    virtual bool canBecomeKeyWindow() const;
    virtual bool canBecomeMainWindow() const;
    std::shared_ptr<Responder> firstResponder() const { return firstResponder_.lock(); }
    // null makes the window itself first responder. False when the responder refuses.
    bool makeFirstResponder(const std::shared_ptr<Responder>& responder);

    // ---- closing, miniaturising, full screen ----------------------------------------------------
    // Asks the delegate, then closes.
    void performClose();
    // Posts "NSWindowWillCloseNotification", tells the delegate, orders out and detaches the window
    // from its parent.
    void close();
    bool isClosed() const { return closed_; }
    void miniaturize();
    void deminiaturize();
    bool isMiniaturized() const { return miniaturized_; }
    void toggleFullScreen();
    bool isFullScreen() const { return (styleMask_ & WindowStyleMask::FullScreen) != 0; }

    // ---- sheets ---------------------------------------------------------------------------------
    WindowPtr attachedSheet() const { return sheet_; }
    WindowPtr sheetParent() const { return sheetParent_.lock(); }
    void setAttachedSheet(const WindowPtr& sheet);

    // ---- layout and display ---------------------------------------------------------------------
    // Runs the layout pass over the content view (and the frame's title-bar buttons).
    void layoutIfNeeded();
    void display();
    int windowNumber() const { return number_; }

    // ---- events ---------------------------------------------------------------------------------
    // Dispatches an event of this window: mouse events to the view under the mouse (and, while the
    // button is down, to the view it went down in), gesture recognisers, tracking areas, key events to
    // the first responder.
    virtual void sendEvent(const EventPtr& event);
    // What the application does with an incoming event: the in-application monitors first, then the
    // event's window (or the key window). Answers whether a window received it.
    static bool dispatchApplicationEvent(EventPtr event);

    std::string description() const override;

    // Sets the window's own appearance and tells its views.
    void setAppearance(const AppearancePtr& appearance);
    void scheduleLayout();

protected:
    void setUp(Rect contentRect, std::uint64_t styleMask, BackingStoreType backing, bool deferred);

private:
    friend class WindowController;
    void makeStandardButtons();
    void layoutStandardButtons();
    void bringToFront();
    void notify(const std::string& name);

    Rect frame_;
    std::uint64_t styleMask_ = WindowStyleMask::Titled;
    BackingStoreType backing_ = BackingStoreType::Buffered;
    ViewPtr contentView_;
    std::shared_ptr<ViewController> contentViewController_;
    std::weak_ptr<WindowController> windowController_;
    WeakObjectPtr delegate_;
    std::vector<WindowPtr> children_;
    std::weak_ptr<Window> parent_;
    WindowOrderingMode childPlace_ = WindowOrderingMode::Above;
    std::vector<std::shared_ptr<Button>> standardButtons_;
    std::weak_ptr<Responder> firstResponder_;
    WindowPtr sheet_;
    std::weak_ptr<Window> sheetParent_;
    bool visible_ = false;
    bool closed_ = false;
    bool miniaturized_ = false;
    int number_ = 0;
    std::uint64_t order_ = 0;  // higher: more recently ordered front
    AppearancePtr appearance_;
    bool layoutScheduled_ = false;
    std::weak_ptr<View> mouseDownView_;
    Point lastMouse_;
};

}  // namespace platform
