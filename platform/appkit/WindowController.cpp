#include "platform/appkit/WindowController.h"

namespace platform {

void WindowController::setWindow(const WindowPtr& window) {
    if (window_) window_->windowController_.reset();
    window_ = window;
    if (window_) {
        window_->windowController_ = sharedFromThis<WindowController>();
        window_->setNextResponder(sharedFromThis<Responder>());
        windowDidLoad();
    }
}

void WindowController::showWindow() {
    if (window_) window_->makeKeyAndOrderFront();
}

}  // namespace platform
