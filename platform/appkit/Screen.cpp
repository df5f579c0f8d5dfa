#include "platform/appkit/Screen.h"

#include "platform/appkit/Window.h"

namespace platform {

namespace {
std::vector<ScreenPtr> defaultScreens() {
    auto screen = Screen::make({0, 0, 1440, 900}, 2.0, 1u, true, "Built-in Retina Display");
    // Menu bar on top, no dock reserved.
    screen->setVisibleFrame({0, 0, 1440, 875});
    return {screen};
}
std::vector<ScreenPtr>& installed() {
    static std::vector<ScreenPtr> list = defaultScreens();
    return list;
}
}  // namespace

ScreenPtr Screen::make(Rect frame, double scale, std::optional<std::uint32_t> displayID, bool builtin,
                       std::string name) {
    auto screen = std::make_shared<Screen>(frame, scale > 0 ? scale : 1.0, builtin, std::move(name));
    if (displayID) screen->description_["NSScreenNumber"] = Value(*displayID);
    screen->description_["NSDeviceSize"] = Value(Array{Value(frame.size.width), Value(frame.size.height)});
    return screen;
}

std::vector<ScreenPtr> Screen::screens() { return installed(); }

ScreenPtr Screen::main() {
    if (auto key = Window::keyWindow())
        if (auto screen = key->screen()) return screen;
    const auto& list = installed();
    return list.empty() ? nullptr : list.front();
}

void Screen::setScreens(std::vector<ScreenPtr> screens) { installed() = std::move(screens); }
void Screen::resetScreens() { installed() = defaultScreens(); }

bool displayIsBuiltin(std::uint32_t displayID) {
    for (const auto& screen : installed()) {
        auto number = screen->deviceDescription().find("NSScreenNumber");
        if (number == screen->deviceDescription().end()) continue;
        if (number->second.exactly<std::uint32_t>() == displayID) return screen->isBuiltinDisplay();
    }
    return false;
}

}  // namespace platform
