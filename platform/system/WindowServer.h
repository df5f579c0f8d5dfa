#pragma once

// The window server of the simulated session: the list of every window on the desktop (this
// program's, taken from the toolkit's window list, and other processes' windows that tests or the
// session describe), screen captures of a rectangle, the pointer, and mouse events posted into the
// session.
//
// Privacy is modelled the way the system applies it: without the Screen Recording permission the
// names of other processes' windows are withheld (the Dock's stay visible, as they do on the real
// system), and a capture shows only this program's windows.
//
// Coordinates are the window server's: global, in points, origin at the top-left corner of the
// main screen, y growing downwards.

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/appkit/Geometry.h"
#include "platform/appkit/Image.h"
#include "platform/foundation/Value.h"
#include "platform/system/EventTap.h"
#include "platform/system/SessionEvent.h"

namespace platform {

using CGWindowID = std::uint32_t;
inline constexpr CGWindowID kCGNullWindowID = 0;

using CGWindowListOption = std::uint32_t;
inline constexpr CGWindowListOption kCGWindowListOptionAll = 0;
inline constexpr CGWindowListOption kCGWindowListOptionOnScreenOnly = 1 << 0;
inline constexpr CGWindowListOption kCGWindowListOptionOnScreenAboveWindow = 1 << 1;
inline constexpr CGWindowListOption kCGWindowListOptionOnScreenBelowWindow = 1 << 2;
inline constexpr CGWindowListOption kCGWindowListOptionIncludingWindow = 1 << 3;
inline constexpr CGWindowListOption kCGWindowListExcludeDesktopElements = 1 << 4;

using CGWindowImageOption = std::uint32_t;
inline constexpr CGWindowImageOption kCGWindowImageDefault = 0;

// Keys of a window's description.
inline const std::string kCGWindowNumber = "kCGWindowNumber";
inline const std::string kCGWindowName = "kCGWindowName";
inline const std::string kCGWindowOwnerPID = "kCGWindowOwnerPID";
inline const std::string kCGWindowOwnerName = "kCGWindowOwnerName";
inline const std::string kCGWindowLayer = "kCGWindowLayer";
inline const std::string kCGWindowBounds = "kCGWindowBounds";  // {X, Y, Width, Height}
inline const std::string kCGWindowIsOnscreen = "kCGWindowIsOnscreen";
inline const std::string kCGWindowAlpha = "kCGWindowAlpha";
inline const std::string kCGWindowSharingState = "kCGWindowSharingState";

// Window levels at and below which a window is part of the desktop.
inline constexpr std::int64_t kCGDesktopWindowLevel = -2147483623;
inline constexpr std::int64_t kCGDesktopIconWindowLevel = kCGDesktopWindowLevel + 20;

enum class CGMouseButton : std::uint32_t { Left = 0, Right = 1, Center = 2 };
// The event field carrying a mouse event's button number.
inline constexpr SessionEventField kMouseEventButtonNumber = 3;

class WindowServer {
public:
    static WindowServer& shared();

    // A fresh login: no other windows, the list available, no Screen Recording permission, the
    // pointer at the top-left corner, no captures recorded.
    void reset();

    // Other processes' windows, front to back, as the server describes them with every key present
    // (the name included); they are listed behind this program's windows.
    void setOtherWindows(std::vector<Dictionary> windows);
    std::vector<Dictionary> otherWindows() const;
    // A server that cannot be asked answers no list at all.
    void setListAvailable(bool available);
    bool listAvailable() const;

    // The Screen Recording permission of this process (XQ_SESSION_SCREEN_CAPTURE=1 starts with it).
    bool screenCaptureAllowed() const;
    void setScreenCaptureAllowed(bool allowed);

    Point pointerLocation() const;
    void setPointerLocation(Point location);

    // Every capture asked for, oldest first.
    struct Capture {
        Rect bounds;
        CGWindowListOption option = 0;
        CGWindowID window = kCGNullWindowID;
        CGWindowImageOption imageOption = kCGWindowImageDefault;
    };
    std::vector<Capture> captures() const;

    // The descriptions the list is made of, front to back, before options are applied.
    Array windowDescriptions() const;
    void recordCapture(const Capture& capture);

private:
    WindowServer();
    mutable std::mutex mutex_;
    std::vector<Dictionary> others_;
    bool available_ = true;
    bool screenCapture_ = false;
    Point pointer_;
    std::vector<Capture> captures_;
};

// The descriptions of the windows selected by `option` (relative to `relativeToWindow` for the
// above/below/including options); absent when the server cannot be asked.
std::optional<Array> CGWindowListCopyWindowInfo(CGWindowListOption option, CGWindowID relativeToWindow);

// An image of `screenBounds` showing the windows selected by `option`; recorded by the server. Null
// for an empty rectangle.
ImagePtr CGWindowListCreateImage(Rect screenBounds, CGWindowListOption option, CGWindowID windowID,
                                 CGWindowImageOption imageOption);

// A null-type event carrying the pointer's current location.
std::optional<SessionEvent> CGEventCreate();
// A mouse event of `type` at `location` for `button`; absent for a type that is not a mouse event.
std::optional<SessionEvent> CGEventCreateMouseEvent(SessionEventType type, Point location, CGMouseButton button);
// Posts an event into the session at `tap` (recorded as a synthetic event).
void CGEventPost(EventTapLocation tap, const SessionEvent& event);

}  // namespace platform
