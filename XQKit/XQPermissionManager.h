#pragma once

// The single object through which an application asks for the privacy permissions it needs:
// Accessibility, Full Disk Access and Screen Recording.
//
//  - `checkPermission(kind)`: a one-shot test; when the permission is missing a modal alert explains
//    it and offers to open its System Settings pane. Answers whether it was already granted.
//  - `showPermissionAuth(models)`: the permission window, refreshed every second, closed when every
//    row is granted.
//  - `monitorPermissionAuth(models, repeatSeconds)`: a one-second timer that brings the window up
//    while any permission is missing, continuously (repeatSeconds <= 0) or every `repeatSeconds`.
//
// The owner hears the outcome through `allAuthPassedHandler`, `skipHandler` and `quitHandler`.
// Everything runs on the main thread; the timers are scheduled on the calling thread's run loop.

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "XQKit/XQPermissionAuthType.h"
#include "XQKit/XQPermissionModel.h"
#include "platform/appkit/Image.h"
#include "platform/foundation/RunLoop.h"
#include "platform/runtime/Object.h"

class XQPermissionWindowController;

// The System Settings panes of the three permissions.
inline const std::string kXQPrivacyAccessibilityURL =
    "x-apple.systempreferences:com.apple.preference.security?Privacy_Accessibility";
inline const std::string kXQPrivacyAllFilesURL =
    "x-apple.systempreferences:com.apple.preference.security?Privacy_AllFiles";
inline const std::string kXQPrivacyScreenCaptureURL =
    "x-apple.systempreferences:com.apple.preference.security?Privacy_ScreenCapture";

class XQPermissionManager : public platform::Object {
public:
    using Handler = std::function<void()>;

    static const std::shared_ptr<XQPermissionManager>& shared();

    Handler skipHandler;           // after the user skipped
    Handler quitHandler;           // when the user chose to quit, before the application terminates
    Handler allAuthPassedHandler;  // when every permission is granted and the window closes
    // A tutorial's address; the window offers its button only when this is present and not empty.
    std::optional<std::string> tutorialLink;

    // Every row of the last monitored list is granted (`none` counts as granted); true when empty.
    virtual bool allAuthPassed();
    virtual bool isSkipped() const { return skipped_; }

    virtual void monitorPermissionAuth(const std::vector<XQPermissionModelPtr>& models, long repeatSeconds);
    // Every kind granted, tested in order up to the first that is not; shows nothing.
    virtual bool checkPermissionAuth(const std::vector<XQPermissionAuthType>& types);
    virtual void showPermissionAuth(const std::vector<XQPermissionModelPtr>& models);
    // True only when the permission is already granted (or the kind is `none`); otherwise explains it
    // in a modal alert that can open its pane, and answers false.
    virtual bool checkPermission(XQPermissionAuthType authType);

    // The tests: they only observe and never make the system prompt.
    virtual bool getPrivacyAccessibilityIsEnabled();
    virtual bool getScreenCaptureIsEnabled();
    virtual bool getFullDiskAccessIsEnabled();
    // The openers, also callable by name (`perform("openPrivacyAccessibilitySetting")`, ...).
    virtual void openPrivacyAccessibilitySetting();
    virtual void openScreenCaptureSetting();
    virtual void openFullDiskAccessSetting();

    // Granted-state by kind: the kind's test; `none` counts as granted.
    bool isGranted(XQPermissionAuthType authType);
    // The opener of a kind by name (empty for `none`).
    static std::string openerName(XQPermissionAuthType authType);

    // What the flows hold, for looking at them.
    const std::shared_ptr<XQPermissionWindowController>& permissionWindowController() const { return permissionWC_; }
    const std::shared_ptr<platform::Timer>& monitorTimer() const { return monitorTimer_; }
    long second() const { return second_; }

    // Use `shared()`; public for std::make_shared.
    XQPermissionManager();

private:
    // The callbacks the window gets: set B ends the flow when all pass or the window closes, set A
    // (periodic monitoring) keeps the timer running.
    enum class HandlerSet { A, B };
    void setUpWindow(const std::vector<XQPermissionModelPtr>& models, HandlerSet set);
    void closeWindow();
    void invalidateTimer();
    void skip();
    bool modelsGranted(const std::vector<XQPermissionModelPtr>& models);
    void scheduleTimer(std::function<void(XQPermissionManager&)> tick);

    long second_ = 0;
    std::shared_ptr<XQPermissionWindowController> permissionWC_;
    std::vector<XQPermissionModelPtr> authTypes_;
    std::shared_ptr<platform::Timer> monitorTimer_;
    bool skipped_ = false;
};

// ---- the rules the manager and its window share ---------------------------------------------------

// The text for `key` in the "XQPermissionManager" string table: the application's table first, then
// the library's own resource bundle; the key itself when neither has it.
std::string XQPermissionLocalized(const std::string& key);
// The localised text of `key` used as a format whose one object is the application's name.
std::string XQPermissionLocalizedFormat(const std::string& key);
// The application's name shown in the texts (computed once per process).
const std::string& XQPermissionAppName();
// The image file `fileName` of the "XQPermissionManager.bundle" resource bundle; an empty image when
// the bundle or the file is missing.
platform::ImagePtr XQPermissionImage(const std::string& fileName);
// The resource bundle's folder: among the main bundle's resources first, then the library's
// installed resources; absent when neither has it.
std::optional<std::string> XQPermissionResourceBundlePath();
