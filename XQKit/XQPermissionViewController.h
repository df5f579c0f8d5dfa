#pragma once

// The content of the permission window: an explanation at the top, a rounded box with one row per
// permission, a button revealing the application in Finder, and the tutorial, quit and skip buttons
// under the box. The rows are rebuilt by `reloadItems`, which also sizes the window to them, and
// refreshed by `refreshItems`, which reports when every row is granted.

#include <functional>
#include <memory>
#include <vector>

#include "XQKit/XQPermissionItem.h"
#include "XQKit/XQPermissionModel.h"
#include "platform/appkit/Box.h"
#include "platform/appkit/Button.h"
#include "platform/appkit/TextField.h"
#include "platform/appkit/View.h"
#include "platform/appkit/ViewController.h"
#include "platform/appkit/VisualEffectView.h"

// The window's root view: the same as a plain view, but flipped, so the layout runs top-down.
class XQPermissionView : public platform::View {
public:
    bool isFlipped() const override { return true; }
};

// The rounded box behind the rows: translucent black on a dark appearance, translucent white on a
// light one, repainted when the appearance changes.
class XQPermissionBoxView : public platform::Box {
public:
    void didCreate() override;
    void viewDidChangeEffectiveAppearance() override;

private:
    void updateFillColor();
};

class XQPermissionViewController : public platform::ViewController {
public:
    using Handler = std::function<void()>;

    std::vector<XQPermissionModelPtr> authTypes;
    Handler allAuthPassedHandler;  // called by the refresh when every row is granted
    Handler skipHandler;           // called by the skip button
    Handler quitHandler;           // called by the quit button before the application terminates
    double itemHeight = 50.0;
    double itemSpace = 25.0;  // above, between and below the rows

    const platform::VisualEffectViewPtr& effectView();
    const platform::TextFieldPtr& titleLabel();
    const platform::ButtonPtr& openBtn();
    const std::shared_ptr<XQPermissionBoxView>& box();
    const platform::ButtonPtr& lookBtn();
    const platform::ButtonPtr& quitBtn();
    const platform::ButtonPtr& skipBtn();

    // The rows in the box, in the order of the models.
    std::vector<XQPermissionItemPtr> items();
    // Rebuilds the rows from `authTypes` and sets the window's height to fit them.
    void reloadItems();
    // Updates every row's state; calls `allAuthPassedHandler` when all are granted (also for none).
    void refreshItems();
    // The window height for `count` rows.
    double windowHeight(std::size_t count) const;

    // Actions, also callable by name.
    void displayInFinder();
    void lookTutorialVideo();
    void quitApp();
    void skip();

    XQPermissionViewController();
    void loadView() override;
    void viewDidLayout() override;

private:
    platform::VisualEffectViewPtr effectView_;
    platform::TextFieldPtr titleLabel_;
    platform::ButtonPtr openBtn_;
    std::shared_ptr<XQPermissionBoxView> box_;
    platform::ButtonPtr lookBtn_;
    platform::ButtonPtr quitBtn_;
    platform::ButtonPtr skipBtn_;
};

using XQPermissionViewControllerPtr = std::shared_ptr<XQPermissionViewController>;
