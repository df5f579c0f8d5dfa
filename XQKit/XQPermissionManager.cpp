#include "XQKit/XQPermissionManager.h"

#include <fcntl.h>
#include <unistd.h>

#include <array>

#include "XQKit/AppInfo.h"
#include "XQKit/XQLog.h"
#include "XQKit/XQPermissionViewController.h"
#include "XQKit/XQPermissionWindowController.h"
#include "platform/appkit/Alert.h"
#include "platform/appkit/Application.h"
#include "platform/appkit/Workspace.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/FileManager.h"
#include "platform/foundation/ProcessInfo.h"
#include "platform/foundation/StringFormat.h"
#include "platform/foundation/UserDatabase.h"
#include "platform/system/Accessibility.h"
#include "platform/system/WindowServer.h"

using namespace platform;

namespace {

const std::string kTable = "XQPermissionManager";

void openURLText(const std::string& text) {
    if (auto url = URL::parse(text)) Workspace::shared()->openURL(*url);
}

}  // namespace

// ---- shared rules ---------------------------------------------------------------------------------

std::optional<std::string> XQPermissionResourceBundlePath() {
    if (auto path = Bundle::main()->pathForResource("XQPermissionManager", "bundle")) return path;
    // The library's own copy: its source tree while it is being built and tested, then where it is
    // installed.
    for (const char* folder : {XQKIT_RESOURCES_BUILD_DIR, XQKIT_RESOURCES_INSTALL_DIR}) {
        std::string candidate = std::string(folder) + "/XQPermissionManager.bundle";
        bool directory = false;
        if (FileManager::defaultManager().fileExists(candidate, directory) && directory) return candidate;
    }
    return std::nullopt;
}

std::string XQPermissionLocalized(const std::string& key) {
    // The code is linked into the application, so the bundle holding it is the main bundle.
    std::string text = Bundle::main()->localizedString(key, "", kTable);
    if (text != key) return text;
    static const std::shared_ptr<Bundle> resources = [] {
        auto path = XQPermissionResourceBundlePath();
        return path ? Bundle::withPath(*path) : nullptr;
    }();
    return resources ? resources->localizedString(key, "", kTable) : key;
}

std::string XQPermissionLocalizedFormat(const std::string& key) {
    return stringWithFormat(XQPermissionLocalized(key), {XQPermissionAppName()});
}

const std::string& XQPermissionAppName() { return App_Name(); }

ImagePtr XQPermissionImage(const std::string& fileName) {
    auto bundle = XQPermissionResourceBundlePath();
    if (!bundle) return Image::empty();
    auto image = Image::contentsOfFile(*bundle + "/" + fileName);
    return image ? image : Image::empty();
}

// ---- the manager ----------------------------------------------------------------------------------

const std::shared_ptr<XQPermissionManager>& XQPermissionManager::shared() {
    static const std::shared_ptr<XQPermissionManager> manager = std::make_shared<XQPermissionManager>();
    return manager;
}

XQPermissionManager::XQPermissionManager() {
    // The alert reaches the openers by name. The actions live inside the object, so they cannot
    // outlive it.
    defineAction("openPrivacyAccessibilitySetting", [this](const ObjectPtr&) { openPrivacyAccessibilitySetting(); });
    defineAction("openFullDiskAccessSetting", [this](const ObjectPtr&) { openFullDiskAccessSetting(); });
    defineAction("openScreenCaptureSetting", [this](const ObjectPtr&) { openScreenCaptureSetting(); });
}

std::string XQPermissionManager::openerName(XQPermissionAuthType authType) {
    switch (authType) {
        case XQPermissionAuthType::accessibility: return "openPrivacyAccessibilitySetting";
        case XQPermissionAuthType::fullDiskAccess: return "openFullDiskAccessSetting";
        case XQPermissionAuthType::screenCapture: return "openScreenCaptureSetting";
        case XQPermissionAuthType::none: break;
    }
    return {};
}

bool XQPermissionManager::isGranted(XQPermissionAuthType authType) {
    switch (authType) {
        case XQPermissionAuthType::accessibility: return getPrivacyAccessibilityIsEnabled();
        case XQPermissionAuthType::fullDiskAccess: return getFullDiskAccessIsEnabled();
        case XQPermissionAuthType::screenCapture: return getScreenCaptureIsEnabled();
        case XQPermissionAuthType::none: break;
    }
    return true;
}

bool XQPermissionManager::modelsGranted(const std::vector<XQPermissionModelPtr>& models) {
    for (const auto& model : models)
        if (model && !isGranted(model->authType)) return false;
    return true;
}

bool XQPermissionManager::allAuthPassed() { return modelsGranted(authTypes_); }

bool XQPermissionManager::checkPermissionAuth(const std::vector<XQPermissionAuthType>& types) {
    for (auto type : types)
        if (!isGranted(type)) return false;
    return true;
}

bool XQPermissionManager::checkPermission(XQPermissionAuthType authType) {
    if (authType == XQPermissionAuthType::none) return true;
    if (isGranted(authType)) return true;

    std::string tips;
    switch (authType) {
        case XQPermissionAuthType::accessibility: tips = "Accessibility Tips"; break;
        case XQPermissionAuthType::fullDiskAccess: tips = "Full disk access Tips"; break;
        case XQPermissionAuthType::screenCapture: tips = "ScreenCapture Tips"; break;
        case XQPermissionAuthType::none: break;
    }
    auto alert = Alert::make();
    alert->alertStyle = AlertStyle::Warning;
    alert->messageText = XQPermissionLocalized("Kind tips");
    alert->informativeText = XQPermissionLocalizedFormat(tips);
    alert->addButton(XQPermissionLocalized("To Authorize"));
    alert->addButton(XQPermissionLocalized("Cancel"));
    long response = alert->runModal();
    std::string opener = openerName(authType);
    if (response == ModalResponse::FirstButtonReturn && respondsTo(opener)) perform(opener);
    // Granting happens later, in System Settings; this call only learned it was missing.
    return false;
}

// ---- flows ----------------------------------------------------------------------------------------

void XQPermissionManager::invalidateTimer() {
    if (monitorTimer_) monitorTimer_->invalidate();
    monitorTimer_.reset();
}

void XQPermissionManager::closeWindow() {
    // Closing runs the window's close callback, which may clear the field; the local reference keeps
    // the controller alive until closing is done.
    auto controller = permissionWC_;
    if (controller) controller->close();
    permissionWC_.reset();
}

void XQPermissionManager::skip() {
    closeWindow();
    invalidateTimer();
    skipped_ = true;
    if (skipHandler) skipHandler();
}

void XQPermissionManager::setUpWindow(const std::vector<XQPermissionModelPtr>& models, HandlerSet set) {
    auto controller = XQPermissionWindowController::make();
    permissionWC_ = controller;
    const auto& vc = controller->permissionVc();
    auto self = sharedFromThis<XQPermissionManager>();
    if (set == HandlerSet::B) {
        vc->allAuthPassedHandler = [self] {
            self->invalidateTimer();
            self->closeWindow();
            if (self->allAuthPassedHandler) self->allAuthPassedHandler();
        };
        controller->closeHandler = [self] {
            self->invalidateTimer();
            self->permissionWC_.reset();
        };
    } else {
        vc->allAuthPassedHandler = [self] {
            self->closeWindow();
            if (self->allAuthPassedHandler) self->allAuthPassedHandler();
        };
        // A window the user closes stays recorded, so no new one comes up until a full test passes.
    }
    vc->skipHandler = [self] { self->skip(); };
    vc->quitHandler = [self] {
        if (self->quitHandler) self->quitHandler();
    };
    vc->authTypes = models;
    vc->reloadItems();
    controller->window()->orderFrontRegardless();
    Application::shared()->activate(true);
}

void XQPermissionManager::scheduleTimer(std::function<void(XQPermissionManager&)> tick) {
    invalidateTimer();
    std::weak_ptr<XQPermissionManager> weak = sharedFromThis<XQPermissionManager>();
    monitorTimer_ = Timer::scheduled(1.0, true, [weak, tick = std::move(tick)](const std::shared_ptr<Timer>&) {
        if (auto manager = weak.lock()) tick(*manager);
    });
}

void XQPermissionManager::showPermissionAuth(const std::vector<XQPermissionModelPtr>& models) {
    scheduleTimer([models](XQPermissionManager& manager) {
        if (auto controller = manager.permissionWC_) {
            // The refresh calls the all-passed callback when every row is granted.
            controller->permissionVc()->refreshItems();
        } else {
            manager.setUpWindow(models, HandlerSet::B);
        }
    });
}

void XQPermissionManager::monitorPermissionAuth(const std::vector<XQPermissionModelPtr>& models, long repeatSeconds) {
    authTypes_ = models;
    scheduleTimer([models, repeatSeconds](XQPermissionManager& manager) {
        if (repeatSeconds <= 0) {
            if (manager.modelsGranted(manager.authTypes_)) {
                manager.invalidateTimer();
                if (manager.permissionWC_) {
                    manager.closeWindow();
                    if (manager.allAuthPassedHandler) manager.allAuthPassedHandler();
                }
            } else if (auto controller = manager.permissionWC_) {
                controller->permissionVc()->refreshItems();
            } else {
                manager.setUpWindow(models, HandlerSet::B);
            }
            return;
        }
        manager.second_ += 1;
        if (manager.second_ < repeatSeconds) {
            if (auto controller = manager.permissionWC_) controller->permissionVc()->refreshItems();
            return;
        }
        // `second` survives a new call, so it may already be past a smaller period: that is a full
        // test too.
        manager.second_ = 0;
        if (manager.modelsGranted(manager.authTypes_)) {
            if (manager.permissionWC_) {
                manager.closeWindow();
                if (manager.allAuthPassedHandler) manager.allAuthPassedHandler();
            }
        } else if (!manager.permissionWC_) {
            manager.setUpWindow(models, HandlerSet::A);
        }
    });
}

// ---- tests ----------------------------------------------------------------------------------------

bool XQPermissionManager::getPrivacyAccessibilityIsEnabled() { return AXIsProcessTrusted(); }

bool XQPermissionManager::getFullDiskAccessIsEnabled() {
    std::string home;
    if (ProcessInfo::processInfo().environmentValue("APP_SANDBOX_CONTAINER_ID")) {
        // In a sandbox the home folder is the container; the files that prove the permission are in
        // the user's real home.
        auto record = UserDatabase::recordForUID(UserDatabase::currentUID());
        if (!record || record->homeDirectory.empty()) {
            XQLog("Failed to retrieve home directory in sandbox mode.");
            return false;
        }
        home = record->homeDirectory;
    } else {
        home = FileManager::defaultManager().homeDirectory();
    }
    // Files only a process with Full Disk Access may read.
    const std::array<std::string, 4> candidates = {
        home + "/Library/Safari/CloudTabs.db",
        home + "/Library/Safari/Bookmarks.plist",
        "/Library/Application Support/com.apple.TCC/TCC.db",
        "/Library/Preferences/com.apple.TimeMachine.plist",
    };
    for (const auto& path : candidates) {
        int fd = ::open(path.c_str(), O_RDONLY);
        if (fd != -1) {
            ::close(fd);
            return true;
        }
    }
    return false;
}

bool XQPermissionManager::getScreenCaptureIsEnabled() {
    auto& info = ProcessInfo::processInfo();
    // Screen Recording exists from 10.15 on.
    if (!info.isOperatingSystemAtLeast({10, 15, 0})) return true;
    int pid = info.processIdentifier();
    auto windows = CGWindowListCopyWindowInfo(kCGWindowListOptionAll | kCGWindowListExcludeDesktopElements,
                                              kCGNullWindowID);
    if (!windows) return false;
    for (const auto& window : *windows)
        if (!window.dictionary()) return false;
    // Without the permission the system withholds other applications' window names; one named window
    // of another application (not the Dock, whose names are always shown) proves it.
    for (const auto& window : *windows) {
        const Dictionary& description = *window.dictionary();
        if (description.empty()) continue;
        const std::string* name = window[kCGWindowName].string();
        if (!name || name->empty()) continue;
        const Value& ownerValue = window[kCGWindowOwnerPID];
        if (ownerValue.kind() != Value::Kind::Integer && ownerValue.kind() != Value::Kind::Unsigned) continue;
        auto owner = ownerValue.exactly<std::int32_t>();
        if (!owner || *owner == pid) continue;
        auto app = RunningApplication::withProcessIdentifier(*owner);
        if (!app || !app->executableURL) continue;
        if (app->executableURL->lastPathComponent() == "Dock") continue;
        return true;
    }
    return false;
}

// ---- openers --------------------------------------------------------------------------------------

void XQPermissionManager::openPrivacyAccessibilitySetting() {
    openURLText(kXQPrivacyAccessibilityURL);
    // A mouse-up where the pointer is lets System Settings take the next click at once.
    auto current = CGEventCreate();
    if (!current) return;
    auto mouseUp = CGEventCreateMouseEvent(kSessionEventLeftMouseUp, current->location, CGMouseButton::Left);
    if (!mouseUp) return;
    CGEventPost(EventTapLocation::HID, *mouseUp);
}

void XQPermissionManager::openFullDiskAccessSetting() { openURLText(kXQPrivacyAllFilesURL); }

void XQPermissionManager::openScreenCaptureSetting() {
    // A capture makes the system list this application in the Screen Recording pane.
    CGWindowListCreateImage(Rect{0, 0, 1, 1}, kCGWindowListOptionOnScreenOnly, kCGNullWindowID, kCGWindowImageDefault);
    openURLText(kXQPrivacyScreenCaptureURL);
}
