// The permission tests against the simulated session and the real file system, the openers, the
// one-shot alert and the show and monitor flows on the manual clock.

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <functional>

#include "XQKit/XQLog.h"
#include "XQKit/XQPermissionManager.h"
#include "XQKit/XQPermissionViewController.h"
#include "XQKit/XQPermissionWindowController.h"
#include "platform/appkit/Application.h"
#include "platform/foundation/ProcessInfo.h"
#include "platform/system/Session.h"
#include "platform/system/UserResponses.h"
#include "platform/system/WindowServer.h"
#include "support/TestSupport.h"

using namespace platform;

namespace {

const std::string kPanesScheme = "x-apple.systempreferences";

class PermissionTest : public ::testing::Test {
protected:
    void SetUp() override {
        Session::shared().reset();
        Application::shared()->resetForTesting();
        // System Settings opens the panes' links.
        Dictionary urlType{{"CFBundleURLSchemes", Array{Value(kPanesScheme)}}};
        xqtest::makeAppBundle(home / "Applications", "System Settings", "com.apple.systempreferences", "15.0",
                              Dictionary{{"CFBundleURLTypes", Array{Value(urlType)}}});
    }
    void TearDown() override {
        Session::shared().reset();
        Application::shared()->resetForTesting();
        ProcessInfo::processInfo().setOperatingSystemVersion(std::nullopt);
        XQ_LOG_RELEASE = false;
    }

    void grantFullDiskAccess() { xqtest::writeFile(home / "Library/Safari/Bookmarks.plist", "bookmarks"); }
    static XQPermissionModelPtr row(XQPermissionAuthType type, std::string desc = {}) {
        return XQPermissionModel::make(type, std::move(desc));
    }
    XQPermissionWindowControllerPtr window() const { return manager->permissionWindowController(); }
    static std::vector<PresentedDialog> alerts() { return UserResponses::shared().presented(); }

    xqtest::TempHome home;
    xqtest::InterfaceScope interface;
    xqtest::ManualClockScope clock;
    xqtest::LaunchRecorder launcher;
    std::shared_ptr<XQPermissionManager> manager = std::make_shared<XQPermissionManager>();
};

TEST(XQPermissionAuthTypeTest, FromRawValue) {
    EXPECT_EQ(XQPermissionAuthTypeFromRawValue(0), XQPermissionAuthType::none);
    EXPECT_EQ(XQPermissionAuthTypeFromRawValue(1), XQPermissionAuthType::accessibility);
    EXPECT_EQ(XQPermissionAuthTypeFromRawValue(3), XQPermissionAuthType::screenCapture);
    EXPECT_EQ(XQPermissionAuthTypeFromRawValue(4), std::nullopt);
    EXPECT_EQ(XQPermissionAuthTypeFromRawValue(255), std::nullopt);
    EXPECT_EQ(rawValue(XQPermissionAuthType::fullDiskAccess), 2);
}

// ---- Full Disk Access ---------------------------------------------------------------------------

// Runs `test` as an unprivileged user when this process is root, since root opens any file.
bool asUnprivilegedUser(const std::function<bool()>& test) {
    if (geteuid() != 0) return test();
    pid_t child = fork();
    if (child == 0) {
        if (setgid(65534) != 0 || setuid(65534) != 0) _exit(2);
        _exit(test() ? 1 : 0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) != 2);
    return WIFEXITED(status) && WEXITSTATUS(status) == 1;
}

TEST_F(PermissionTest, FullDiskAccessOpensTheFirstReadableCandidate) {
    chmod(home.path().c_str(), 0755);  // the unprivileged run must reach the files
    struct Case {
        const char* name;
        std::function<void()> arrange;
        bool granted;
    };
    std::string safari = home / "Library/Safari";
    const std::vector<Case> cases = {
        {"no Safari data", [] {}, false},
        {"cloud tabs readable", [&] { xqtest::writeFile(safari + "/CloudTabs.db", "db"); }, true},
        {"bookmarks readable", [&] { xqtest::writeFile(safari + "/Bookmarks.plist", "p"); }, true},
        {"bookmarks unreadable",
         [&] {
             xqtest::writeFile(safari + "/Bookmarks.plist", "p");
             chmod((safari + "/Bookmarks.plist").c_str(), 0);
         },
         false},
        {"bookmarks a dangling link",
         [&] {
             xqtest::makeDirectories(safari);
             symlink((safari + "/gone").c_str(), (safari + "/Bookmarks.plist").c_str());
         },
         false},
    };
    for (const auto& c : cases) {
        std::filesystem::remove_all(home / "Library");
        c.arrange();
        if (std::filesystem::exists(safari)) {
            chmod((home / "Library").c_str(), 0755);
            chmod(safari.c_str(), 0755);
        }
        EXPECT_EQ(asUnprivilegedUser([&] { return manager->getFullDiskAccessIsEnabled(); }), c.granted) << c.name;
    }
}

TEST_F(PermissionTest, FullDiskAccessInASandboxUsesTheRealHome) {
    xqtest::ScopedEnv sandbox("APP_SANDBOX_CONTAINER_ID", "com.example.app");
    grantFullDiskAccess();  // in $HOME, which stands for the container
    std::string realHome = home / "real";
    std::string passwd = home / "passwd";
    auto writeEntry = [&](const std::string& homeField) {
        xqtest::writeFile(passwd, "me:x:" + std::to_string(getuid()) + ":0:Me:" + homeField + ":/bin/sh\n");
    };
    xqtest::ScopedEnv database("XQ_PASSWD_FILE", passwd);
    writeEntry(realHome);
    EXPECT_FALSE(manager->getFullDiskAccessIsEnabled());
    xqtest::writeFile(realHome + "/Library/Safari/CloudTabs.db", "db");
    EXPECT_TRUE(manager->getFullDiskAccessIsEnabled());
}

TEST_F(PermissionTest, FullDiskAccessInASandboxWithoutAHomeIsNotGranted) {
    // The user database may have no entry, or one without a home folder: that is "not granted", with
    // one log line, and the process goes on.
    xqtest::ScopedEnv sandbox("APP_SANDBOX_CONTAINER_ID", "");
    grantFullDiskAccess();
    XQ_LOG_RELEASE = true;
    for (const std::string& entries : {std::string("other:x:1:1::/home/other:/bin/sh\n"),
                                       "me:x:" + std::to_string(getuid()) + ":0:Me::/bin/sh\n"}) {
        xqtest::writeFile(home / "passwd", entries);
        xqtest::ScopedEnv database("XQ_PASSWD_FILE", home / "passwd");
        testing::internal::CaptureStderr();
        EXPECT_FALSE(manager->getFullDiskAccessIsEnabled());
        std::string log = testing::internal::GetCapturedStderr();
        EXPECT_NE(log.find("Failed to retrieve home directory in sandbox mode."), std::string::npos) << log;
        EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 1) << log;
    }
}

// ---- Screen Recording ---------------------------------------------------------------------------

TEST_F(PermissionTest, ScreenRecordingNeedsANamedWindowOfAnotherApplication) {
    auto& server = WindowServer::shared();
    xqtest::RunningAppProcess notes(xqtest::makeAppBundle(home / "Applications", "Notes", "com.apple.Notes"));
    xqtest::RunningAppProcess dock(xqtest::makeAppBundle(home / "Applications", "Dock", "com.apple.dock"));
    auto window = [](Value pid, const std::string& owner, const std::string& name) {
        return Dictionary{{kCGWindowOwnerPID, pid}, {kCGWindowOwnerName, Value(owner)}, {kCGWindowName, Value(name)}};
    };
    int self = ProcessInfo::processInfo().processIdentifier();
    struct Case {
        const char* name;
        std::vector<Dictionary> others;
        bool allowed;
        bool granted;
    };
    const std::vector<Case> cases = {
        {"another application's named window", {window(Value(notes.pid()), "Notes", "Groceries")}, true, true},
        {"names withheld without the permission", {window(Value(notes.pid()), "Notes", "Groceries")}, false, false},
        {"only the Dock", {window(Value(dock.pid()), "Dock", "Dock")}, true, false},
        {"the Dock without the permission", {window(Value(dock.pid()), "Dock", "Dock")}, false, false},
        {"own window", {window(Value(self), "test_XQKit", "Mine")}, true, false},
        {"empty name", {window(Value(notes.pid()), "Notes", "")}, true, false},
        {"owner not running", {window(Value(999999), "Gone", "Ghost")}, true, false},
        {"owner as text", {window(Value(std::to_string(notes.pid())), "Notes", "Groceries")}, true, false},
        {"empty descriptions first", {Dictionary{}, window(Value(notes.pid()), "Notes", "Groceries")}, true, true},
        {"the Dock, then another application",
         {window(Value(dock.pid()), "Dock", "Dock"), window(Value(notes.pid()), "Notes", "Groceries")}, true, true},
    };
    for (const auto& c : cases) {
        server.setOtherWindows(c.others);
        server.setScreenCaptureAllowed(c.allowed);
        EXPECT_EQ(manager->getScreenCaptureIsEnabled(), c.granted) << c.name;
    }
    server.setListAvailable(false);
    EXPECT_FALSE(manager->getScreenCaptureIsEnabled()) << "no list";
    // Before 10.15 there is nothing to grant: the answer comes without asking the server.
    ProcessInfo::processInfo().setOperatingSystemVersion(OperatingSystemVersion{10, 14, 6});
    EXPECT_TRUE(manager->getScreenCaptureIsEnabled());
}

// ---- openers ------------------------------------------------------------------------------------

TEST_F(PermissionTest, OpenersOpenTheirPaneWithTheirOwnStep) {
    WindowServer::shared().setPointerLocation({412, 96});
    struct Case {
        std::string opener;
        std::string url;
        std::size_t mouseUps;
        std::size_t captures;
    };
    for (const auto& c : std::vector<Case>{{"openPrivacyAccessibilitySetting", kXQPrivacyAccessibilityURL, 1, 0},
                                           {"openFullDiskAccessSetting", kXQPrivacyAllFilesURL, 0, 0},
                                           {"openScreenCaptureSetting", kXQPrivacyScreenCaptureURL, 0, 1}}) {
        Session::shared().reset();
        WindowServer::shared().setPointerLocation({412, 96});
        // The capture comes before the pane opens, so that the system lists the application there.
        std::vector<std::string> opened;
        std::size_t capturesAtLaunch = 99;
        Workspace::shared()->setLauncher([&](const LaunchRequest& request) {
            EXPECT_EQ(request.bundleIdentifier, "com.apple.systempreferences");
            opened.insert(opened.end(), request.arguments.begin(), request.arguments.end());
            capturesAtLaunch = WindowServer::shared().captures().size();
            return 999999;
        });
        ASSERT_TRUE(manager->respondsTo(c.opener));
        ASSERT_TRUE(manager->perform(c.opener));
        EXPECT_EQ(opened, std::vector<std::string>{c.url});
        EXPECT_EQ(capturesAtLaunch, c.captures) << c.opener;

        auto captures = WindowServer::shared().captures();
        ASSERT_EQ(captures.size(), c.captures) << c.opener;
        if (!captures.empty()) {
            EXPECT_EQ(captures[0].bounds, Rect(0, 0, 1, 1));
            EXPECT_EQ(captures[0].option, kCGWindowListOptionOnScreenOnly);
        }
        auto events = Session::shared().postedSyntheticEvents();
        ASSERT_EQ(events.size(), c.mouseUps) << c.opener;
        if (!events.empty()) {
            EXPECT_EQ(events[0].type(), kSessionEventLeftMouseUp);
            EXPECT_EQ(events[0].location, (Point{412, 96}));
        }
    }
}

// ---- one-shot check -----------------------------------------------------------------------------

TEST_F(PermissionTest, CheckPermissionShowsNothingWhenGrantedOrNone) {
    auto& shared = *XQPermissionManager::shared();
    EXPECT_TRUE(shared.checkPermission(XQPermissionAuthType::none));
    Session::shared().setTrusted(true);
    EXPECT_TRUE(shared.checkPermission(XQPermissionAuthType::accessibility));
    grantFullDiskAccess();
    EXPECT_TRUE(shared.checkPermission(XQPermissionAuthType::fullDiskAccess));
    EXPECT_TRUE(alerts().empty());
    EXPECT_TRUE(launcher.launches().empty());
}

TEST_F(PermissionTest, CheckPermissionExplainsAMissingPermissionInAnAlert) {
    auto& shared = *XQPermissionManager::shared();
    struct Case {
        XQPermissionAuthType type;
        long answer;
        std::vector<std::string> opened;
        std::size_t mouseUps;
    };
    for (const auto& c : std::vector<Case>{
             {XQPermissionAuthType::accessibility, 1001, {}, 0},
             {XQPermissionAuthType::accessibility, 1000, {kXQPrivacyAccessibilityURL}, 1},
             {XQPermissionAuthType::fullDiskAccess, 1000, {kXQPrivacyAllFilesURL}, 0},
             {XQPermissionAuthType::screenCapture, 1000, {kXQPrivacyScreenCaptureURL}, 0},
         }) {
        Session::shared().reset();
        UserResponses::shared().reset();
        xqtest::LaunchRecorder recorder;
        UserResponses::shared().answer(UserResponse::button(static_cast<int>(c.answer - 1000)));
        EXPECT_FALSE(shared.checkPermission(c.type));
        auto shown = alerts();
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_EQ(shown[0].title, XQPermissionLocalized("Kind tips"));
        EXPECT_EQ(shown[0].buttons,
                  (std::vector<std::string>{XQPermissionLocalized("To Authorize"), XQPermissionLocalized("Cancel")}));
        EXPECT_EQ(recorder.openedURLs(), c.opened);
        EXPECT_EQ(Session::shared().postedSyntheticEvents().size(), c.mouseUps);
    }
    // The explanation names the application and the permission.
    EXPECT_EQ(alerts()[0].message, XQPermissionLocalizedFormat("ScreenCapture Tips"));
    EXPECT_NE(alerts()[0].message.find("Screen Recording"), std::string::npos);
}

// Counts the tests run, to show where a check stops.
class CountingManager : public XQPermissionManager {
public:
    bool getPrivacyAccessibilityIsEnabled() override {
        ++tested;
        return XQPermissionManager::getPrivacyAccessibilityIsEnabled();
    }
    bool getFullDiskAccessIsEnabled() override {
        ++tested;
        return XQPermissionManager::getFullDiskAccessIsEnabled();
    }
    int tested = 0;
};

TEST_F(PermissionTest, CheckPermissionAuthStopsAtTheFirstMissing) {
    auto counting = std::make_shared<CountingManager>();
    using T = XQPermissionAuthType;
    EXPECT_TRUE(counting->checkPermissionAuth({}));
    EXPECT_TRUE(counting->checkPermissionAuth({T::none}));
    EXPECT_FALSE(counting->checkPermissionAuth({T::accessibility, T::fullDiskAccess}));
    EXPECT_EQ(counting->tested, 1);
    Session::shared().setTrusted(true);
    grantFullDiskAccess();
    EXPECT_TRUE(counting->checkPermissionAuth({T::accessibility, T::fullDiskAccess, T::none}));
    EXPECT_TRUE(alerts().empty());
}

// ---- show flow ----------------------------------------------------------------------------------

TEST_F(PermissionTest, ShowFlowBringsTheWindowUpAfterOneSecondAndClosesItWhenAllPass) {
    int passed = 0;
    manager->allAuthPassedHandler = [&] { ++passed; };
    manager->showPermissionAuth({row(XQPermissionAuthType::accessibility)});
    EXPECT_EQ(window(), nullptr);
    clock.advance(0.999);
    EXPECT_EQ(window(), nullptr);
    clock.advance(0.001);
    ASSERT_NE(window(), nullptr);
    auto shown = window()->window();
    EXPECT_TRUE(shown->isVisible());
    EXPECT_EQ(shown->frame().height(), 280);
    EXPECT_TRUE(Application::shared()->isActive());
    EXPECT_TRUE(manager->authTypes().empty()) << "the show flow leaves the monitored rows alone";

    clock.advance(1);
    EXPECT_EQ(window()->window(), shown);
    EXPECT_EQ(passed, 0);
    Session::shared().setTrusted(true);
    clock.advance(1);
    EXPECT_EQ(passed, 1);
    EXPECT_EQ(window(), nullptr);
    EXPECT_TRUE(shown->isClosed());
    EXPECT_EQ(manager->monitorTimer(), nullptr);
    clock.advance(5);
    EXPECT_EQ(passed, 1);
}

TEST_F(PermissionTest, ShowingAgainKeepsTheOpenWindow) {
    manager->showPermissionAuth({row(XQPermissionAuthType::accessibility), row(XQPermissionAuthType::fullDiskAccess)});
    clock.advance(1);
    auto first = window();
    ASSERT_NE(first, nullptr);
    auto oldTimer = manager->monitorTimer();
    manager->showPermissionAuth({row(XQPermissionAuthType::accessibility)});
    EXPECT_FALSE(oldTimer->isValid());
    auto items = first->permissionVc()->items();
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0]->checkBtn()->state(), ControlState::Off);
    Session::shared().setTrusted(true);
    clock.advance(1);
    EXPECT_EQ(window(), first);
    EXPECT_EQ(items[0]->checkBtn()->state(), ControlState::On) << "refreshed at the next tick";
    EXPECT_EQ(first->permissionVc()->items(), items) << "rows are not rebuilt";
    EXPECT_EQ(Window::orderedWindows().size(), 1u);
}

TEST_F(PermissionTest, ClosingTheWindowEndsTheShowFlow) {
    manager->showPermissionAuth({row(XQPermissionAuthType::accessibility)});
    clock.advance(1);
    auto shown = window()->window();
    shown->performClose();
    EXPECT_EQ(window(), nullptr);
    EXPECT_EQ(manager->monitorTimer(), nullptr);
    clock.advance(3);
    EXPECT_EQ(window(), nullptr);
}

TEST_F(PermissionTest, SkipClosesEverythingThenCallsTheSkipHandler) {
    bool stateAtSkip = false;
    manager->skipHandler = [&] {
        stateAtSkip = manager->isSkipped() && !manager->monitorTimer() && !manager->permissionWindowController();
    };
    manager->monitorPermissionAuth({row(XQPermissionAuthType::accessibility)}, 0);
    clock.advance(1);
    ASSERT_NE(window(), nullptr);
    auto shown = window()->window();
    window()->permissionVc()->skipBtn()->performClick();
    EXPECT_TRUE(stateAtSkip);
    EXPECT_TRUE(manager->isSkipped());
    EXPECT_TRUE(shown->isClosed());
    clock.advance(3);
    EXPECT_EQ(window(), nullptr);
}

TEST_F(PermissionTest, QuitCallsTheQuitHandlerThenTerminates) {
    bool terminatingAtQuit = true;
    manager->quitHandler = [&] { terminatingAtQuit = Application::shared()->isTerminating(); };
    manager->showPermissionAuth({row(XQPermissionAuthType::accessibility)});
    clock.advance(1);
    window()->permissionVc()->quitBtn()->performClick();
    EXPECT_FALSE(terminatingAtQuit);
    EXPECT_TRUE(Application::shared()->isTerminating());
    RunLoop::main().runMode(RunLoopMode::Default, RunLoop::main().now());  // takes the stop request
}

// ---- monitor flow -------------------------------------------------------------------------------

TEST_F(PermissionTest, ContinuousMonitoringWithEverythingGrantedStopsAtTheFirstTick) {
    Session::shared().setTrusted(true);
    int passed = 0;
    manager->allAuthPassedHandler = [&] { ++passed; };
    manager->monitorPermissionAuth({row(XQPermissionAuthType::accessibility), row(XQPermissionAuthType::none)}, 0);
    EXPECT_TRUE(manager->allAuthPassed());
    ASSERT_NE(manager->monitorTimer(), nullptr);
    clock.advance(1);
    EXPECT_EQ(manager->monitorTimer(), nullptr);
    EXPECT_EQ(window(), nullptr);
    EXPECT_EQ(passed, 0) << "no window was shown";
}

TEST_F(PermissionTest, ContinuousMonitoringShowsTheWindowUntilAllPass) {
    int passed = 0;
    manager->allAuthPassedHandler = [&] { ++passed; };
    manager->monitorPermissionAuth({row(XQPermissionAuthType::accessibility), row(XQPermissionAuthType::fullDiskAccess)},
                                   -1);
    EXPECT_FALSE(manager->allAuthPassed());
    clock.advance(1);
    ASSERT_NE(window(), nullptr);
    EXPECT_EQ(window()->window()->frame().height(), 355);
    Session::shared().setTrusted(true);
    clock.advance(1);
    EXPECT_NE(window(), nullptr);
    grantFullDiskAccess();
    clock.advance(1);
    EXPECT_EQ(window(), nullptr);
    EXPECT_EQ(manager->monitorTimer(), nullptr);
    EXPECT_EQ(passed, 1);
}

TEST_F(PermissionTest, PeriodicMonitoringTestsEveryRepeatAndKeepsRunning) {
    int passed = 0;
    manager->allAuthPassedHandler = [&] { ++passed; };
    manager->monitorPermissionAuth({row(XQPermissionAuthType::accessibility)}, 5);
    clock.advance(4);
    EXPECT_EQ(window(), nullptr);
    EXPECT_EQ(manager->second(), 4);
    clock.advance(1);
    ASSERT_NE(window(), nullptr) << "up at the fifth tick";
    EXPECT_EQ(manager->second(), 0);

    // Granted between full tests: the refresh of the open window reports it.
    Session::shared().setTrusted(true);
    clock.advance(1);
    EXPECT_EQ(window(), nullptr);
    EXPECT_EQ(passed, 1);
    ASSERT_NE(manager->monitorTimer(), nullptr);

    // Withdrawn: the window is back at the next full test, five ticks after the last one.
    Session::shared().setTrusted(false);
    clock.advance(3);
    EXPECT_EQ(window(), nullptr);
    clock.advance(1);
    EXPECT_NE(window(), nullptr);
}

TEST_F(PermissionTest, ATimerOutlivingItsManagerDoesNothing) {
    std::weak_ptr<Timer> timer;
    {
        auto temporary = std::make_shared<XQPermissionManager>();
        temporary->showPermissionAuth({row(XQPermissionAuthType::accessibility)});
        timer = temporary->monitorTimer();
    }
    ASSERT_FALSE(timer.expired());
    clock.advance(2);
    EXPECT_TRUE(Window::orderedWindows().empty());
    timer.lock()->invalidate();
}

}  // namespace
