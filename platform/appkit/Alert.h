#pragma once

// Alerts: a message, an informative text, an optional accessory view and check box, and buttons
// answering 1000, 1001, 1002, ... in the order they were added. Run modally or as a sheet on a
// window; the user's answer comes from the session (UserResponses).

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/appkit/Button.h"
#include "platform/appkit/Image.h"
#include "platform/appkit/View.h"
#include "platform/appkit/Window.h"

namespace platform {

enum class AlertStyle { Warning = 0, Informational = 1, Critical = 2 };

namespace ModalResponse {
inline constexpr long OK = 1, Cancel = 0, Stop = -1000, Abort = -1001, Continue = -1002;
inline constexpr long FirstButtonReturn = 1000, SecondButtonReturn = 1001, ThirdButtonReturn = 1002;
}  // namespace ModalResponse

class Alert;
using AlertPtr = std::shared_ptr<Alert>;

class Alert : public Object {
public:
    static AlertPtr make() { return std::make_shared<Alert>(); }

    AlertStyle alertStyle = AlertStyle::Warning;
    std::string messageText;
    std::string informativeText;
    ViewPtr accessoryView;
    ImagePtr icon;
    bool showsSuppressionButton = false;

    ButtonPtr addButton(const std::string& title);
    const std::vector<ButtonPtr>& buttons() const { return buttons_; }
    // The check box shown when `showsSuppressionButton`; its title may be changed.
    const ButtonPtr& suppressionButton();

    // Runs application-modal; answers the response code.
    long runModal();
    // Runs as a sheet on `window` (free-standing when null); `handler` gets the response code.
    void beginSheetModal(const WindowPtr& window, std::function<void(long)> handler);

    // The alert's panel, laid out, for rendering.
    WindowPtr window();

private:
    struct PresentedDialog presentation(bool sheet);
    void apply(const struct UserResponse& response);
    void ensureButton();

    std::vector<ButtonPtr> buttons_;
    ButtonPtr suppressionButton_;
    WindowPtr window_;
};

}  // namespace platform
