#include "TorvaneTool/AppDelegate.h"

#include "TorvaneTool/SpacePreview.h"
#include "XQKit/Async.h"
#include "XQKit/Process.h"
#include "XQKit/XQCFNotificationCenter.h"
#include "XQKit/XQLog.h"
#include "XQKit/XQPermissionManager.h"
#include "platform/foundation/RunLoop.h"
#include "platform/system/Accessibility.h"

const std::string& quitNotificationName() {
    static const std::string name = "NSNotificationNameQuitTorvaneTool_Torvane";
    return name;
}

void AppDelegate::applicationDidFinishLaunching(const platform::Notification&) {
    // 1. Accessibility: the manager's alert leads the user to System Settings; launching goes on.
    if (!platform::AXIsProcessTrusted()) XQPermissionManager::shared()->checkPermission(XQPermissionAuthType::accessibility);

    // 2. Automation over Finder: a result, even empty, is success.
    if (!ExecuteCMD(kAutomationProbe)) XQLog(XQLogAt("applicationDidFinishLaunching(_:)"), "没有自动化 -> 访达 权限");

    // 3. The Space-key tap.
    createEventTap();

    // 4. Re-create the tap every two seconds whenever it has gone (time-out, user input, permission).
    auto timer = Async::timer(2.0, weak_from_this(), platform::Value(), true,
                              [](const std::shared_ptr<platform::Timer>&) { createEventTap(); });
    platform::RunLoop::current().addTimer(timer, platform::RunLoopMode::Default);

    // 5. Torvane ends the agent with a distributed notification, whatever it carries.
    XQCFNotificationCenter::shared()->addObserver(shared_from_this(), quitNotificationName(),
                                                  XQCFNotificationCenter::ReceiveHandler([](const XQUserInfo&) {
                                                      platform::Application::shared()->terminate(nullptr);
                                                  }));
}

void AppDelegate::applicationWillTerminate(const platform::Notification&) {}
