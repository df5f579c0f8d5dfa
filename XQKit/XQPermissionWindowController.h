#pragma once

// The permission window: a floating, transparent-titled window around an
// `XQPermissionViewController`, centred on the screen. The controller is its window's delegate and
// calls `closeHandler` when the window is about to close.

#include <functional>
#include <memory>

#include "XQKit/XQPermissionViewController.h"
#include "platform/appkit/Window.h"
#include "platform/appkit/WindowController.h"

class XQPermissionWindowController : public platform::WindowController, public platform::WindowDelegate {
public:
    using Handler = std::function<void()>;

    // Builds the window and its view controller.
    static std::shared_ptr<XQPermissionWindowController> make();

    Handler closeHandler;
    const XQPermissionViewControllerPtr& permissionVc() const { return permissionVc_; }

    void windowWillClose(const platform::WindowPtr& window) override;

private:
    XQPermissionViewControllerPtr permissionVc_;
};

using XQPermissionWindowControllerPtr = std::shared_ptr<XQPermissionWindowController>;
