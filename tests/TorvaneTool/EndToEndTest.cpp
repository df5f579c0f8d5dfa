// The agent as a real program: started as at login on a private bus, driven from outside with
// xq-session as a user would, and ended by a quit notification sent by gdbus.

#include <gtest/gtest.h>

#include <algorithm>

#include "platform/foundation/RunLoop.h"
#include "platform/foundation/UserDefaults.h"
#include "support/PrivateBus.h"
#include "support/TestSupport.h"

using namespace platform;

namespace {

constexpr const char* kSuite = "Q7T3VN5XK2.group.cn.holmquay.Torvane";

class AgentEndToEnd : public ::testing::Test {
protected:
    std::string tool(const std::string& name) { return std::string(XQ_TOOLS_DIR) + "/" + name; }

    // One xq-session command; answers its output without the line feed.
    xqtest::ProgramResult session(std::vector<std::string> args) {
        args.insert(args.begin(), tool("xq-session"));
        auto result = xqtest::runProgram(args);
        if (!result.output.empty() && result.output.back() == '\n') result.output.pop_back();
        return result;
    }
    // The agent's session comes up on the bus shortly after it starts.
    bool waitForSession() {
        for (int i = 0; i < 200; ++i) {
            if (session({"windows"}).status == 0) return true;
            RunLoop::main().runUntil([] { return false; }, 0.05);
        }
        return false;
    }
    // Waits for the `n`-th log line containing `text`.
    bool waitForLog(const std::string& text, std::size_t n = 1, double timeout = 10) {
        return RunLoop::main().runUntil(
            [&] {
                agent->waitForLines(agent->lines().size() + 1, 0.05);
                const auto& lines = agent->lines();
                return static_cast<std::size_t>(std::count_if(lines.begin(), lines.end(), [&](const std::string& l) {
                           return l.find(text) != std::string::npos;
                       })) >= n;
            },
            timeout);
    }

    xqtest::TempHome home;
    xqtest::PrivateBus bus;
    std::unique_ptr<xqtest::PeerProcess> agent;
};

TEST_F(AgentEndToEnd, FromLoginToPreviewToQuit) {
    ASSERT_TRUE(bus.running());
    std::string record = home / "torvane.log";
    Dictionary urlType{{"CFBundleURLSchemes", Array{Value("TorvanePro")}}};
    xqtest::makeAppBundle(home / "Applications", "TorvanePro", "com.holmquay.TorvanePro", "3.0",
                          Dictionary{{"CFBundleURLTypes", Array{Value(urlType)}}},
                          "#!/bin/sh\necho \"$1\" >> '" + record + "'\n");
    auto suite = UserDefaults::suite(kSuite);
    suite->set("configPro", Value(Dictionary{{"spacePreviewStyle", Value(1)}}));
    ASSERT_TRUE(suite->synchronize());
    std::string zip = home / "Downloads/a.zip", tar = home / "Downloads/my b.tar";
    xqtest::writeFile(zip, "PK");
    xqtest::writeFile(tar, "tar");

    agent = std::make_unique<xqtest::PeerProcess>(
        std::vector<std::string>{std::string(XQ_TORVANE_BUNDLE) + "/Contents/MacOS/TorvaneTool"},
        std::map<std::string, std::string>{{"XQ_LOG_RELEASE", "1"}, {"XQ_LOG_TO_STDERR", "1"}, {"HOME", home.path()}},
        true);
    ASSERT_TRUE(agent->started());
    ASSERT_TRUE(waitForSession());

    // Untrusted at login: the Accessibility alert waits for the user, who cancels it.
    EXPECT_EQ(session({"key", "49"}).output, "delivered");
    EXPECT_EQ(session({"answer", "1001"}).status, 0);
    ASSERT_TRUE(waitForLog("无法创建事件监听器"));
    EXPECT_TRUE(waitForLog("没有自动化 -> 访达 权限"));  // no osascript here: Automation counts as denied

    // Granted: a tap exists at a following tick of the two-second timer.
    EXPECT_EQ(session({"trust", "on"}).status, 0);
    ASSERT_TRUE(waitForLog("创建事件监听器 成功"));

    EXPECT_EQ(session({"finder-select", "file://" + zip, "file://" + home / "Downloads/my%20b.tar",
                       "file://" + home / "Downloads/c.txt"})
                  .status,
              0);
    EXPECT_EQ(session({"key", "49"}).output, "swallowed");
    EXPECT_EQ(session({"key", "49", "0x20000"}).output, "delivered");
    EXPECT_EQ(session({"key", "0"}).output, "delivered");
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return xqtest::readFile(record).has_value(); }, 10));
    EXPECT_EQ(xqtest::readFile(record), "TorvanePro://finderSync?index=4\n");
    EXPECT_EQ(UserDefaults::suite(kSuite)->stringArray("FinderSyncSelectedUrls"), (std::vector<std::string>{zip, tar}));
    EXPECT_TRUE(waitForLog("Open url: TorvanePro://finderSync?index=4"));

    // The system times the tap out: it is removed at once and back within two seconds.
    EXPECT_EQ(session({"timeout"}).status, 0);
    ASSERT_TRUE(waitForLog("移除事件监听器"));
    ASSERT_TRUE(waitForLog("创建事件监听器 成功", 2, 5));
    EXPECT_EQ(session({"key", "49"}).output, "swallowed");

    // Errors of the tool: one line on standard error and a non-zero status.
    auto bad = session({"key", "300"});
    EXPECT_NE(bad.status, 0);
    EXPECT_NE(bad.error.find("bad key code"), std::string::npos);

    // Torvane's quit notification, sent by a D-Bus client we did not write.
    auto quit = xqtest::runProgram({"gdbus", "emit", "--session", "--object-path", "/org/xqkit/DistributedNotificationCenter",
                                    "--signal", "org.xqkit.DistributedNotificationCenter.Notification",
                                    "'NSNotificationNameQuitTorvaneTool_Torvane'", "false", "@a{sv} {}"});
    EXPECT_EQ(quit.status, 0) << quit.error;
    EXPECT_EQ(agent->wait(10), 0);
}

}  // namespace
