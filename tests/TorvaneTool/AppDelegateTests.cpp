// The launch sequence in process: the permission alert, the Automation probe, the tap and its
// two-second timer on the manual clock, and the quit subscription over a private bus.

#include <gtest/gtest.h>

#include <sys/stat.h>

#include "TorvaneTool/AppDelegate.h"
#include "TorvaneTool/SpacePreview.h"
#include "XQKit/XQCFNotificationCenter.h"
#include "XQKit/XQLog.h"
#include "platform/appkit/Application.h"
#include "platform/system/Session.h"
#include "platform/system/UserResponses.h"
#include "support/PrivateBus.h"
#include "support/TestSupport.h"

using namespace platform;

namespace {

class LaunchSequenceTest : public ::testing::Test {
protected:
    void SetUp() override {
        Session::shared().reset();
        Application::shared()->resetForTesting();
        Application::shared()->setDelegate(delegate);
        UserResponses::shared().setDefaultAnswer(UserResponse::button(1));  // Cancel
        XQ_LOG_RELEASE = true;
    }
    void TearDown() override {
        removeEventTap();
        XQCFNotificationCenter::shared()->removeObserver(delegate);
        Application::shared()->resetForTesting();
        Session::shared().reset();
        XQ_LOG_RELEASE = false;
    }
    std::string launch() {
        testing::internal::CaptureStderr();
        Application::shared()->finishLaunching();
        return testing::internal::GetCapturedStderr();
    }
    template <class F>
    std::string logOf(F body) {
        testing::internal::CaptureStderr();
        body();
        return testing::internal::GetCapturedStderr();
    }
    static std::size_t count(const std::string& text, const std::string& part) {
        std::size_t n = 0;
        for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
        return n;
    }

    xqtest::TempHome home;
    xqtest::InterfaceScope interface;
    xqtest::ManualClockScope clock;
    xqtest::ScopedEnv toStderr{"XQ_LOG_TO_STDERR", "1"};
    std::shared_ptr<AppDelegate> delegate = std::make_shared<AppDelegate>();
};

TEST_F(LaunchSequenceTest, UntrustedLaunchAsksOnceThenTheTimerInstallsTheTapWhenAllowed) {
    std::string log = launch();
    EXPECT_EQ(UserResponses::shared().presented().size(), 1u);  // the Accessibility alert
    EXPECT_EQ(count(log, "无法创建事件监听器"), 1u);
    EXPECT_NE(log.find("没有自动化 -> 访达 权限"), std::string::npos);  // no osascript on this system

    log = logOf([&] { clock.advance(6.0); });
    EXPECT_EQ(count(log, "无法创建事件监听器"), 3u);  // every two seconds
    EXPECT_EQ(currentEventTap(), nullptr);

    Session::shared().setTrusted(true);
    log = logOf([&] { clock.advance(2.0); });
    EXPECT_NE(log.find("创建事件监听器 成功"), std::string::npos);
    ASSERT_NE(currentEventTap(), nullptr);
    EXPECT_EQ(UserResponses::shared().presented().size(), 1u);  // never asked again
    EXPECT_FALSE(Application::shared()->isTerminating());
}

TEST_F(LaunchSequenceTest, TrustedLaunchWithAutomationAllowedAsksNothing) {
    std::string osascript = home / "bin/osascript";
    xqtest::writeFile(osascript, "#!/bin/sh\necho \"\"\n");
    ::chmod(osascript.c_str(), 0755);
    xqtest::ScopedEnv tool("XQ_TOOL_OSASCRIPT", osascript);
    Session::shared().setTrusted(true);
    std::string log = launch();
    EXPECT_TRUE(UserResponses::shared().presented().empty());
    EXPECT_EQ(log.find("没有自动化 -> 访达 权限"), std::string::npos) << log;
    EXPECT_NE(log.find("创建事件监听器 成功"), std::string::npos);
}

TEST_F(LaunchSequenceTest, TheTimerBringsBackATimedOutTap) {
    Session::shared().setTrusted(true);
    launch();
    auto first = currentEventTap();
    ASSERT_NE(first, nullptr);
    Session::shared().disableTapsByTimeout();
    RunLoop::main().runPending();
    EXPECT_EQ(currentEventTap(), nullptr);
    clock.advance(2.0);
    EXPECT_NE(currentEventTap(), nullptr);
    EXPECT_NE(currentEventTap(), first);

}

TEST_F(LaunchSequenceTest, TheQuitNotificationFromAnotherProcessEndsTheAgent) {
    xqtest::PrivateBus bus;
    Session::shared().setTrusted(true);
    launch();
    for (bool withInfo : {false, true}) {
        Application::shared()->resetForTesting();
        std::vector<std::string> argv = {std::string(XQ_TOOLS_DIR) + "/xq-notify", "post", quitNotificationName()};
        if (withInfo) argv.insert(argv.end(), {"--user-info", R"({"reason":"update"})"});
        ASSERT_EQ(xqtest::runProgram(argv).status, 0);
        EXPECT_TRUE(RunLoop::main().runUntil([] { return Application::shared()->isTerminating(); }, 10))
            << "with user information: " << withInfo;
    }
}

}  // namespace
