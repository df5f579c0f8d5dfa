#include <gtest/gtest.h>

#include "XQKit/NotificationObservers.h"
#include "platform/appkit/Workspace.h"
#include "platform/foundation/DistributedNotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "support/PrivateBus.h"
#include "support/TestSupport.h"

using platform::Dictionary;
using platform::Notification;
using platform::ObjectPtr;

namespace {

class NotificationObserversTest : public ::testing::Test {
protected:
    void TearDown() override {
        removeAllNotifications(receiver);
        removeAllDistributedNotifications(receiver);
        removeAllWorkspaceNotifications(receiver);
    }
    xqtest::TempHome home;
    xqtest::PrivateBus bus;
    ObjectPtr receiver = std::make_shared<platform::Object>();
    ObjectPtr sender = std::make_shared<platform::Object>();
    std::vector<std::string> calls;
};

}  // namespace

TEST_F(NotificationObserversTest, InProcessClosureSeesTheSenderAndUserInformation) {
    ObjectPtr seenSender;
    std::optional<Dictionary> seenInfo;
    addNotification(receiver, "n", [&](const Notification& note) {
        calls.push_back("n");
        seenSender = note.object;
        seenInfo = note.userInfo;
    });
    postNotification(sender, "n", Dictionary{{"k", 1}});
    EXPECT_EQ(calls, std::vector<std::string>{"n"});
    EXPECT_EQ(seenSender, sender);
    EXPECT_EQ(seenInfo, (Dictionary{{"k", 1}}));
}

// The second closure replaces the first, but the center now holds two registrations.
TEST_F(NotificationObserversTest, AddingAgainReplacesTheClosureButRegistersTwice) {
    addNotification(receiver, "n", [&](const Notification&) { calls.push_back("first"); });
    addNotification(receiver, "n", [&](const Notification&) { calls.push_back("second"); });
    postNotification(sender, "n");
    EXPECT_EQ(calls, (std::vector<std::string>{"second", "second"}));
}

TEST_F(NotificationObserversTest, RemovingOneNameLeavesTheOthers) {
    addNotification(receiver, "a", [&](const Notification&) { calls.push_back("a"); });
    addNotification(receiver, "b", [&](const Notification&) { calls.push_back("b"); });
    removeNotification(receiver, "never-added");
    removeNotification(receiver, "a");
    postNotification(sender, "a");
    postNotification(sender, "b");
    EXPECT_EQ(calls, std::vector<std::string>{"b"});
}

TEST_F(NotificationObserversTest, WorkspaceFamilyUsesTheWorkspaceCenter) {
    addWorkspaceNotification(receiver, platform::kWorkspaceDidWakeNotification, [&](const Notification& note) {
        calls.push_back(note.name);
    });
    platform::Workspace::shared()->notificationCenter().post(platform::kWorkspaceDidWakeNotification);
    postNotification(sender, platform::kWorkspaceDidWakeNotification);  // the default center: not seen
    postWorkspaceNotification(sender, platform::kWorkspaceDidWakeNotification);
    EXPECT_EQ(calls.size(), 2u);
}

TEST_F(NotificationObserversTest, RemovingAllDistributedLeavesTheOtherFamilies) {
    ASSERT_TRUE(bus.running());
    std::optional<Dictionary> distributedInfo;
    addDistributedNotification(receiver, "d", [&](const Notification& note) {
        calls.push_back("distributed");
        distributedInfo = note.userInfo;
    });
    addNotification(receiver, "d", [&](const Notification&) { calls.push_back("in-process"); });
    addWorkspaceNotification(receiver, "d", [&](const Notification&) { calls.push_back("workspace"); });
    postDistributedNotification(sender, "d", Dictionary{{"x", "y"}});
    ASSERT_TRUE(platform::RunLoop::main().runUntil([&] { return !calls.empty(); }, 20.0));
    EXPECT_EQ(calls, std::vector<std::string>{"distributed"});
    EXPECT_EQ(distributedInfo, (Dictionary{{"x", "y"}}));

    removeAllDistributedNotifications(receiver);
    calls.clear();
    postDistributedNotification(sender, "d");
    postNotification(sender, "d");
    postWorkspaceNotification(sender, "d");
    // A marker observed separately shows the distributed post has come back by now.
    bool marker = false;
    auto& distributed = platform::DistributedNotificationCenter::defaultCenter();
    distributed.addObserver(&marker, "d", [&](const std::string&, const std::optional<Dictionary>&) { marker = true; });
    postDistributedNotification(sender, "d");
    ASSERT_TRUE(platform::RunLoop::main().runUntil([&] { return marker; }, 20.0));
    distributed.removeObserver(&marker, std::nullopt);
    EXPECT_EQ(calls, (std::vector<std::string>{"in-process", "workspace"}));
}
