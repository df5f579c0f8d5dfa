#include <gtest/gtest.h>

#include "support/PrivateBus.h"
#include "support/TestSupport.h"

namespace {
std::string tool(const std::string& name) { return std::string(XQ_TOOLS_DIR) + "/" + name; }
}  // namespace

// What one terminal posts (with JSON user information, none, or an empty object), and what any D-Bus
// client emits, another terminal's observer prints, one line each, in order.
TEST(XqNotify, ObserverPrintsWhatOthersPost) {
    xqtest::PrivateBus bus;
    ASSERT_TRUE(bus.running());
    xqtest::PeerProcess observer({tool("xq-notify"), "observe", "cn.example.a", "cn.example.b"}, {}, true);
    ASSERT_TRUE(observer.waitForLine("observing"));
    EXPECT_EQ(xqtest::runProgram({tool("xq-notify"), "post", "cn.example.a", "--user-info",
                                  R"({"n":1,"t":"文字","l":[true,2.5],"d":{"x":null,"y":"z"}})"})
                  .status,
              0);
    EXPECT_EQ(xqtest::runProgram({tool("xq-notify"), "post", "cn.example.ignored"}).status, 0);
    EXPECT_EQ(xqtest::runProgram({tool("xq-notify"), "post", "cn.example.b"}).status, 0);
    EXPECT_EQ(xqtest::runProgram({tool("xq-notify"), "post", "cn.example.a", "--user-info", "{}"}).status, 0);
    auto emitted = xqtest::runProgram({"gdbus", "emit", "--session", "--object-path",
                                       "/org/xqkit/DistributedNotificationCenter", "--signal",
                                       "org.xqkit.DistributedNotificationCenter.Notification", "'cn.example.b'",
                                       "false", "@a{sv} {}"});
    EXPECT_EQ(emitted.status, 0) << emitted.error;
    ASSERT_TRUE(observer.waitForLines(5));
    EXPECT_EQ(observer.lines(), (std::vector<std::string>{
                                    "observing",
                                    R"(cn.example.a {"d":{"y":"z"},"l":[true,2.5],"n":1,"t":"文字"})",
                                    "cn.example.b",
                                    "cn.example.a {}",
                                    "cn.example.b",
                                }));
}

TEST(XqNotify, RefusesBadInputAndReportsAMissingBus) {
    xqtest::PrivateBus bus;
    EXPECT_EQ(xqtest::runProgram({tool("xq-notify"), "post", "x", "--user-info", "[1,2]"}).status, 2);
    EXPECT_EQ(xqtest::runProgram({tool("xq-notify"), "post", "x", "--user-info", "{broken"}).status, 2);
    EXPECT_EQ(xqtest::runProgram({tool("xq-notify"), "shout", "x"}).status, 2);
    auto noBus = xqtest::runProgram({tool("xq-notify"), "post", "x"},
                                    {{"DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/bus"}});
    EXPECT_EQ(noBus.status, 1);
    EXPECT_NE(noBus.error.find("no session bus"), std::string::npos);
}

TEST(XqOpen, OpensWhatExistsAndNamesWhatDoesNot) {
    xqtest::TempHome home;
    std::string missing = home / "missing.txt";
    auto result = xqtest::runProgram({tool("xq-open"), missing});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.error, "The file " + missing + " does not exist.\n");

    std::string marker = home / "started";
    std::string bundle = xqtest::makeAppBundle(home / "Applications", "Viewer", "cn.example.viewer", "1.0", {},
                                               "#!/bin/sh\necho \"$@\" > \"" + marker + "\"\n");
    EXPECT_EQ(xqtest::runProgram({tool("xq-open"), "-n", bundle}).status, 0);
    EXPECT_TRUE(platform::RunLoop::main().runUntil([&] { return xqtest::fileExists(marker); }, 10.0));

    // A scheme nobody claims.
    EXPECT_EQ(xqtest::runProgram({tool("xq-open"), "nobody-claims-this://x"}).status, 1);
}
