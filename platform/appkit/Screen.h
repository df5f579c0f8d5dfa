#pragma once

// Screens of the simulated desktop: frames in the global y-up space, the visible frame (without menu
// bar and dock), the backing scale factor and the device description with "NSScreenNumber". The
// default desktop is one built-in 1440 by 900 display at scale 2; tests install others.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/appkit/Geometry.h"
#include "platform/foundation/Value.h"
#include "platform/runtime/Object.h"

namespace platform {

class Screen;
using ScreenPtr = std::shared_ptr<Screen>;

class Screen : public Object {
public:
    // A screen whose description carries "NSScreenNumber" = `displayID` when given.
    static ScreenPtr make(Rect frame, double scale = 2.0, std::optional<std::uint32_t> displayID = std::nullopt,
                          bool builtin = false, std::string name = "Display");

    // Every screen, the first being the one with the menu bar.
    static std::vector<ScreenPtr> screens();
    // The screen of the key window, else the first; null when there are none.
    static ScreenPtr main();
    // Replaces the desktop's screens (tests); an empty list means no display at all.
    static void setScreens(std::vector<ScreenPtr> screens);
    // Back to the default single built-in display.
    static void resetScreens();

    Rect frame() const { return frame_; }
    Rect visibleFrame() const { return visibleFrame_; }
    void setVisibleFrame(Rect rect) { visibleFrame_ = rect; }
    double backingScaleFactor() const { return scale_; }
    const Dictionary& deviceDescription() const { return description_; }
    void setDeviceDescription(Dictionary description) { description_ = std::move(description); }
    const std::string& localizedName() const { return name_; }
    bool isBuiltinDisplay() const { return builtin_; }

    Screen(Rect frame, double scale, bool builtin, std::string name)
        : frame_(frame), visibleFrame_(frame), scale_(scale), builtin_(builtin), name_(std::move(name)) {}

private:
    Rect frame_, visibleFrame_;
    double scale_;
    bool builtin_;
    std::string name_;
    Dictionary description_;
};

// Whether the display with this id is built in (a laptop panel); false for unknown ids.
bool displayIsBuiltin(std::uint32_t displayID);

}  // namespace platform
