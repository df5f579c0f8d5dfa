#include "XQKit/XQPermissionWindowController.h"

#include "XQKit/XQPermissionManager.h"

using namespace platform;

std::shared_ptr<XQPermissionWindowController> XQPermissionWindowController::make() {
    auto vc = ViewController::make<XQPermissionViewController>();
    auto window = Window::make(Rect{}, WindowStyleMask::Titled | WindowStyleMask::Closable |
                                           WindowStyleMask::Miniaturizable | WindowStyleMask::FullSizeContentView,
                               BackingStoreType::Buffered, true);
    window->titlebarAppearsTransparent = true;
    window->title = XQPermissionLocalizedFormat("Permission Title");
    if (auto zoom = window->standardWindowButton(WindowButtonKind::Zoom)) zoom->setHidden(true);
    window->isOpaque = false;
    window->level = WindowLevel::Floating;
    window->isMovableByWindowBackground = true;

    auto controller = WindowController::make<XQPermissionWindowController>(window);
    controller->permissionVc_ = vc;
    // The window takes the size of the controller's view, 600 by 300 until the rows are known.
    window->setContentViewController(vc);
    window->setDelegate(controller);
    window->center();
    return controller;
}

void XQPermissionWindowController::windowWillClose(const WindowPtr&) {
    if (closeHandler) closeHandler();
}
