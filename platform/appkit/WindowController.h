#pragma once

// A window controller owns its window and shows and closes it.

#include <memory>

#include "platform/appkit/Responder.h"
#include "platform/appkit/ViewController.h"
#include "platform/appkit/Window.h"

namespace platform {

class WindowController : public Responder {
public:
    template <class T = WindowController, class... Args>
    static std::shared_ptr<T> make(const WindowPtr& window, Args&&... args) {
        auto controller = std::make_shared<T>(std::forward<Args>(args)...);
        controller->setWindow(window);
        return controller;
    }

    const WindowPtr& window() const { return window_; }
    // Takes the window; the window refers back weakly.
    void setWindow(const WindowPtr& window);
    ViewControllerPtr contentViewController() const { return window_ ? window_->contentViewController() : nullptr; }
    void setContentViewController(const ViewControllerPtr& controller) {
        if (window_) window_->setContentViewController(controller);
    }
    // Makes the window key and orders it front.
    virtual void showWindow();
    void close() {
        if (window_) window_->close();
    }
    virtual void windowDidLoad() {}

private:
    WindowPtr window_;
};

using WindowControllerPtr = std::shared_ptr<WindowController>;

}  // namespace platform
