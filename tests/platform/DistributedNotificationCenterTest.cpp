#include <gtest/gtest.h>

#include "platform/foundation/DistributedNotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "support/PrivateBus.h"
#include "support/TestSupport.h"

using platform::Array;
using platform::Dictionary;
using platform::DistributedNotificationCenter;
using platform::Value;

namespace {

struct Received {
    std::string name;
    std::optional<Dictionary> userInfo;
};

class DistributedCenterTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(bus.running()); }
    void TearDown() override { center().removeObserver(this, std::nullopt); }

    static DistributedNotificationCenter& center() { return DistributedNotificationCenter::defaultCenter(); }
    void observe(const std::string& name) {
        center().addObserver(this, name, [this](const std::string& n, const std::optional<Dictionary>& info) {
            received.push_back({n, info});
        });
    }
    bool waitFor(std::size_t count) {
        return platform::RunLoop::main().runUntil([&] { return received.size() >= count; }, 20.0);
    }

    xqtest::PrivateBus bus;
    std::vector<Received> received;
};

}  // namespace

TEST_F(DistributedCenterTest, CarriesEveryPropertyListKindAndKeepsAbsentApartFromEmpty) {
    observe("kinds");
    Dictionary nested{{"inner", Array{Value(1), Value("two"), Value(Dictionary{{"deep", true}})}}};
    Dictionary all{{"text", "héllo 🙂"},
                   {"yes", true},
                   {"no", false},
                   {"int", -42},
                   {"big", std::int64_t{1} << 62},
                   {"huge", std::uint64_t{18000000000000000000ull}},
                   {"real", 2.5},
                   {"data", platform::Data::fromString(std::string("\0\1\2", 3))},
                   {"date", platform::Date::fromUnixTime(1765400000.25)},
                   {"array", Array{Value("a"), Value(3)}},
                   {"emptyArray", Array{}},
                   {"dict", nested},
                   {"emptyDict", Dictionary{}}};
    center().post("kinds", all);
    center().post("kinds", Dictionary{});
    center().post("kinds", std::nullopt);
    ASSERT_TRUE(waitFor(3));
    ASSERT_TRUE(received[0].userInfo.has_value());
    EXPECT_EQ(Value(*received[0].userInfo), Value(all));
    EXPECT_EQ(received[1].userInfo, Dictionary{});
    EXPECT_EQ(received[2].userInfo, std::nullopt);
}

TEST_F(DistributedCenterTest, DropsWhatCannotCrossProcessesAndDeliversTheRest) {
    observe("partial");
    auto object = std::make_shared<platform::Object>();
    Dictionary info{{"keep", "yes"},
                    {"url", platform::URL::parse("https://example.com").value()},
                    {"object", Value(object)},
                    {"list", Array{Value(1), Value(object), Value(2)}}};
    center().post("partial", info);
    ASSERT_TRUE(waitFor(1));
    Dictionary expected{{"keep", "yes"}, {"list", Array{Value(1), Value(2)}}};
    EXPECT_EQ(received[0].userInfo, expected);
}

TEST_F(DistributedCenterTest, NamesMatchExactlyIncludingEmptyQuotedAndVeryLongOnes) {
    std::string longName(200000, 'n');
    std::string quoted = "it's \\ 'quoted', arg0='x'";
    observe(quoted);
    observe(longName);
    center().post("unobserved");
    center().post(quoted);
    center().post(longName);
    center().post("");
    // Messages from one sender arrive in order: once this one is here, the unobserved ones have been
    // passed by, and a new observer cannot see them.
    center().post(quoted);
    ASSERT_TRUE(waitFor(3));
    // An observer of every name, alongside the others: each registration gets each message once.
    observe("");
    center().post("");
    center().post(quoted);
    ASSERT_TRUE(waitFor(6));
    platform::RunLoop::main().runPending();
    std::vector<std::string> names;
    for (const auto& r : received) names.push_back(r.name.size() > 40 ? "<long>" : r.name);
    EXPECT_EQ(names, (std::vector<std::string>{quoted, "<long>", quoted, "", quoted, quoted}));
}

TEST_F(DistributedCenterTest, AnyDBusClientCanPost) {
    observe("from.gdbus");
    auto plain = xqtest::runProgram({"gdbus", "emit", "--session", "--object-path", "/org/xqkit/DistributedNotificationCenter",
                                     "--signal", "org.xqkit.DistributedNotificationCenter.Notification", "'from.gdbus'",
                                     "false", "@a{sv} {}"});
    ASSERT_EQ(plain.status, 0) << plain.error;
    auto typed = xqtest::runProgram({"gdbus", "emit", "--session", "--object-path", "/org/xqkit/DistributedNotificationCenter",
                                     "--signal", "org.xqkit.DistributedNotificationCenter.Notification", "'from.gdbus'",
                                     "true", "@a{sv} {'i': <int32 7>, 's': <'x'>, 'o': <objectpath '/a'>, 'u': <uint16 9>}"});
    ASSERT_EQ(typed.status, 0) << typed.error;
    ASSERT_TRUE(waitFor(2));
    EXPECT_EQ(received[0].userInfo, std::nullopt);
    Dictionary expected{{"i", 7}, {"s", "x"}, {"o", "/a"}, {"u", 9}};
    EXPECT_EQ(received[1].userInfo, expected);
}

TEST_F(DistributedCenterTest, RemovingAnObserverStopsItsDeliveries) {
    observe("a");
    observe("b");
    center().removeObserver(this, std::string("a"));
    center().post("a");
    center().post("b");
    // Deliveries keep the posting order, so "a" would have come before "b".
    ASSERT_TRUE(waitFor(1));
    platform::RunLoop::main().runPending();
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0].name, "b");
}

TEST_F(DistributedCenterTest, ABurstArrivesCompleteAndInOrder) {
    observe("burst");
    const int count = 2000;
    for (int i = 0; i < count; ++i) center().post("burst", Dictionary{{"i", i}});
    ASSERT_TRUE(waitFor(count));
    for (int i = 0; i < count; ++i) ASSERT_EQ((*received[i].userInfo)["i"].integerValue(), i);
}

// Target-action registrations hold the observer weakly and add up: two registrations for one name
// mean two deliveries.
TEST_F(DistributedCenterTest, ActionObserversAreWeakAndAddUp) {
    int calls = 0;
    auto observer = std::make_shared<platform::Object>();
    observer->defineAction("got:", [&](const platform::ObjectPtr& sender) {
        auto wrapper = std::dynamic_pointer_cast<platform::NotificationObject>(sender);
        if (wrapper && wrapper->notification.name == "act") ++calls;
    });
    center().addObserver(observer, "got:", "act");
    center().addObserver(observer, "got:", "act");
    observe("act");
    center().post("act");
    ASSERT_TRUE(waitFor(1));
    EXPECT_EQ(calls, 2);
    observer.reset();
    center().post("act");
    ASSERT_TRUE(waitFor(2));
    EXPECT_EQ(calls, 2);
}

TEST(DistributedCenterWithoutBus, PostingDoesNothingAndNothingFails) {
    xqtest::NoBus noBus;
    auto& center = DistributedNotificationCenter::defaultCenter();
    int calls = 0;
    center.addObserver(&calls, "x", [&](const std::string&, const std::optional<Dictionary>&) { ++calls; });
    EXPECT_FALSE(center.isConnected());
    center.post("x", Dictionary{{"a", 1}});
    platform::RunLoop::main().runPending();
    EXPECT_EQ(calls, 0);
    center.removeObserver(&calls, std::nullopt);
}
