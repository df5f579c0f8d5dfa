#include <gtest/gtest.h>

#include "XQKit/XQCFNotificationCenter.h"
#include "platform/foundation/DistributedNotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "support/PrivateBus.h"
#include "support/TestSupport.h"

using platform::Dictionary;
using platform::DistributedNotificationCenter;

namespace {

class Observer : public platform::Object {};

class XQCFTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(bus.running());
        XQCFNotificationCenter::setShared(nullptr);
        center = XQCFNotificationCenter::shared();
    }
    void TearDown() override {
        center.reset();
        XQCFNotificationCenter::setShared(nullptr);
    }
    static bool runUntil(const std::function<bool()>& condition) {
        return platform::RunLoop::main().runUntil(condition, 20.0);
    }
    xqtest::PeerProcess peer(const std::vector<std::string>& args, const std::map<std::string, std::string>& env = {}) {
        std::vector<std::string> argv = {xqtest::peerProgram()};
        argv.insert(argv.end(), args.begin(), args.end());
        return xqtest::PeerProcess(argv, env);
    }

    xqtest::PrivateBus bus;
    std::shared_ptr<XQCFNotificationCenter> center;
};

}  // namespace

TEST_F(XQCFTest, OneEntryPerObserverAndNameCarryingTheLatestReceiver) {
    auto a = std::make_shared<Observer>(), b = std::make_shared<Observer>();
    std::vector<std::string> calls;
    center->addObserver(a, "n", XQCFNotificationCenter::ReceiveHandler([&](const XQUserInfo&) { calls.push_back("a1"); }));
    center->addObserver(a, "n", XQCFNotificationCenter::ReceiveHandler([&](const XQUserInfo&) { calls.push_back("a2"); }));
    center->addObserver(b, "n", XQCFNotificationCenter::ReceiveHandler([&](const XQUserInfo&) { calls.push_back("b"); }));
    center->addObserver(a, "", XQCFNotificationCenter::ReceiveHandler([&](const XQUserInfo&) { calls.push_back("empty"); }));
    EXPECT_EQ(center->observedNames(), std::vector<std::string>{"n"});
    EXPECT_EQ(center->observers("n"), (std::vector<platform::ObjectPtr>{a, b}));
    center->postCFNotification("n");
    ASSERT_TRUE(runUntil([&] { return calls.size() >= 2; }));
    EXPECT_EQ(calls, (std::vector<std::string>{"a2", "b"}));
}

TEST_F(XQCFTest, SelectorReceiversGetTheUserInformationOrNothing) {
    auto observer = std::make_shared<Observer>();
    std::vector<std::optional<Dictionary>> got;
    observer->defineAction("quit:", [&](const platform::ObjectPtr& sender) {
        auto info = std::dynamic_pointer_cast<XQCFUserInfo>(sender);
        got.push_back(info ? std::optional<Dictionary>(info->userInfo) : std::nullopt);
    });
    center->addObserver(observer, "sel", std::string("quit:"));
    center->postCFNotification("sel", Dictionary{{"k", "v"}});
    center->postCFNotification("sel");
    ASSERT_TRUE(runUntil([&] { return got.size() >= 2; }));
    EXPECT_EQ(got[0], (Dictionary{{"k", "v"}}));
    EXPECT_EQ(got[1], std::nullopt);
}

TEST_F(XQCFTest, RemovingEndsRegistrationsOnlyWhereTheyBelong) {
    auto a = std::make_shared<Observer>(), b = std::make_shared<Observer>();
    auto& distributed = DistributedNotificationCenter::defaultCenter();
    std::size_t base = distributed.observerCount();
    auto none = XQCFNotificationCenter::ReceiveHandler([](const XQUserInfo&) {});
    center->addObserver(a, "one", none);
    center->addObserver(a, "two", none);
    center->addObserver(b, "two", none);
    EXPECT_EQ(distributed.observerCount(), base + 2);  // one per name
    center->removeObserver(a);
    EXPECT_EQ(center->observedNames(), std::vector<std::string>{"two"});
    EXPECT_EQ(center->observers("two"), std::vector<platform::ObjectPtr>{b});
    EXPECT_EQ(distributed.observerCount(), base + 1);
    center->removeObserver(b, std::string("two"));
    EXPECT_TRUE(center->observedNames().empty());
    EXPECT_EQ(distributed.observerCount(), base);
    // The center keeps registering objects alive until they are removed.
    auto c = std::make_shared<Observer>();
    std::weak_ptr<Observer> weak = c;
    center->addObserver(c, "three", none);
    c.reset();
    EXPECT_FALSE(weak.expired());
    center->removeAllObservers();
    EXPECT_TRUE(weak.expired());
    EXPECT_EQ(distributed.observerCount(), base);
}

// Two observers in another process receive in registration order; removing one there leaves the
// other receiving.
TEST_F(XQCFTest, OrderAndRemovalAcrossProcesses) {
    auto other = peer({"observe", "xq.order"});
    ASSERT_TRUE(other.waitForLine("ready"));
    center->postCFNotification("xq.order", Dictionary{{"n", "1"}});
    ASSERT_TRUE(other.waitForLines(3));
    center->postCFNotification("xq.order.removeA");
    ASSERT_TRUE(other.waitForLine("removedA"));
    center->postCFNotification("xq.order", Dictionary{{"n", "2"}});
    center->postCFNotification("xq.order.quit");
    EXPECT_EQ(other.wait(), 0);
    EXPECT_EQ(other.lines(), (std::vector<std::string>{"ready", "A [\"n\": \"1\"]", "B [\"n\": \"1\"]", "removedA",
                                                         "B [\"n\": \"2\"]"}));
}

TEST_F(XQCFTest, RequestAndReplyAcrossProcesses) {
    auto responder = peer({"respond", "xq.ask"});
    ASSERT_TRUE(responder.waitForLine("ready"));
    auto me = std::make_shared<Observer>();
    std::optional<Dictionary> reply;
    bool onMain = false;
    center->postCFNotification("xq.ask", Dictionary{{"q", "ping"}}, me, [&](const XQUserInfo& info) {
        reply = info;
        onMain = platform::RunLoop::main().isCurrent();
    });
    ASSERT_TRUE(runUntil([&] { return reply.has_value(); }));
    EXPECT_EQ(reply, (Dictionary{{"q", "ping"}, {"from", "peer"}}));
    EXPECT_TRUE(onMain);
    EXPECT_EQ(center->observers("xq.ask__XQ__callback"), std::vector<platform::ObjectPtr>{me});

    // And the other way round: this process answers the other's request.
    center->addObserver(me, "xq.back", [](const XQUserInfo& info, const XQCFNotificationCenter::ReplyFunction& answer) {
        Dictionary d = info.value_or(Dictionary());
        d["answered"] = "here";
        answer(d);
    });
    auto requester = peer({"request", "xq.back", "x=1"});
    EXPECT_EQ(requester.wait(), 0);
    EXPECT_EQ(requester.lines(), std::vector<std::string>{"[\"answered\": \"here\", \"x\": \"1\"]"});
    center->postCFNotification("xq.ask.quit");
}

// A sandboxed process posts without user information, so receivers see it absent.
TEST_F(XQCFTest, SandboxedProcessesPostWithoutUserInformation) {
    auto me = std::make_shared<Observer>();
    std::vector<XQUserInfo> got;
    center->addObserver(me, "xq.sandbox", XQCFNotificationCenter::ReceiveHandler([&](const XQUserInfo& info) {
        got.push_back(info);
    }));
    auto sandboxed = peer({"post", "xq.sandbox", "k=v"}, {{"APP_SANDBOX_CONTAINER_ID", "cn.example"}});
    EXPECT_EQ(sandboxed.wait(), 0);
    auto plain = peer({"post", "xq.sandbox", "k=v"});
    EXPECT_EQ(plain.wait(), 0);
    ASSERT_TRUE(runUntil([&] { return got.size() >= 2; }));
    EXPECT_EQ(got[0], std::nullopt);
    EXPECT_EQ(got[1], (Dictionary{{"k", "v"}}));

    // The switch is read from the environment when a center is made.
    xqtest::ScopedEnv sandbox("APP_SANDBOX_CONTAINER_ID", "cn.example");
    auto boxed = std::make_shared<XQCFNotificationCenter>();
    EXPECT_TRUE(boxed->isSandbox());
    EXPECT_FALSE(center->isSandbox());
}
