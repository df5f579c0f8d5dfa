#include <gtest/gtest.h>

#include <poll.h>
#include <unistd.h>

#include <thread>

#include "platform/foundation/Bundle.h"
#include "platform/foundation/Dispatch.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/URL.h"
#include "platform/foundation/Value.h"
#include "support/TestSupport.h"

using namespace platform;

namespace {

TEST(ValueDescription, MatchesThePlatformForm) {
    struct Case {
        Value value;
        std::string description;
    } cases[] = {
        {Value(), "nil"},
        {Value(true), "true"},
        {Value(-7), "-7"},
        {Value(std::uint64_t{18446744073709551615ULL}), "18446744073709551615"},
        {Value(1.0), "1.0"},
        {Value(0.1), "0.1"},
        {Value(1e20), "1e+20"},
        {Value("text"), "text"},
        {Value(Data::fromString("abc")), "3 bytes"},
        {Value(Array{Value("a"), Value(1)}), "[\"a\", 1]"},
        {Value(Dictionary{}), "[:]"},
        {Value(Dictionary{{"k", Value("v")}}), "[\"k\": \"v\"]"},
        {Value(Date::fromReferenceInterval(0)), "2001-01-01 00:00:00 +0000"},
        {Value(*URL::parse("https://example.com/a")), "https://example.com/a"},
    };
    for (const auto& c : cases) EXPECT_EQ(c.value.description(), c.description);
}

TEST(ValueNumbers, ExactConversionsLikeBridgedNumbers) {
    EXPECT_EQ(Value(1).exactly<std::uint8_t>(), 1);
    EXPECT_EQ(Value(1.0).exactly<std::uint8_t>(), 1);
    EXPECT_EQ(Value(true).exactly<std::uint8_t>(), 1);
    EXPECT_FALSE(Value(1.5).exactly<std::uint8_t>());
    EXPECT_FALSE(Value(256).exactly<std::uint8_t>());
    EXPECT_FALSE(Value(-1).exactly<std::uint8_t>());
    EXPECT_FALSE(Value("1").exactly<std::uint8_t>());
    EXPECT_EQ(Value(3), Value(3.0));
    EXPECT_NE(Value(-1), Value(std::uint64_t(18446744073709551615ULL)));
}

TEST(URLParsing, StrictTextsAndParts) {
    EXPECT_FALSE(URL::parse(""));
    EXPECT_FALSE(URL::parse("not a url"));
    EXPECT_FALSE(URL::parse("http://x/%zz"));
    EXPECT_FALSE(URL::parse("http://x/ü"));
    auto url = URL::parse("TorvanePro://finderSync?index=4");
    ASSERT_TRUE(url);
    EXPECT_EQ(url->scheme(), "TorvanePro");
    EXPECT_EQ(url->host(), "finderSync");
    EXPECT_EQ(url->query(), "index=4");

    auto file = URL::fileURLWithPath("/tmp/my archive.zip", false);
    EXPECT_EQ(file.absoluteString(), "file:///tmp/my%20archive.zip");
    EXPECT_EQ(file.path(), "/tmp/my archive.zip");
    EXPECT_EQ(file.pathExtension(), "zip");
    EXPECT_EQ(file.pathComponents(), (std::vector<std::string>{"/", "tmp", "my archive.zip"}));
    EXPECT_EQ(URL::fileURLWithPath("/tmp/folder", true).absoluteString(), "file:///tmp/folder/");
    EXPECT_EQ(removingPercentEncoding("a%20b"), "a b");
    EXPECT_FALSE(removingPercentEncoding("a%2"));
    EXPECT_FALSE(removingPercentEncoding("%FF"));  // not UTF-8 once decoded
}

TEST(PropertyLists, RoundTripAndGarbage) {
    Value value(Dictionary{{"a", Value(Array{Value(1), Value(-2), Value(2.5), Value("x"), Value(true)})},
                           {"d", Value(Data::fromString("\x01\x02"))},
                           {"t", Value(Date::fromReferenceInterval(86400))}});
    for (auto format : {PropertyList::Format::XML, PropertyList::Format::Binary}) {
        auto bytes = PropertyList::serialize(value, format);
        ASSERT_TRUE(bytes);
        EXPECT_EQ(PropertyList::parse(*bytes), value);
    }
    EXPECT_FALSE(PropertyList::serialize(Value(Array{Value()})));
    EXPECT_FALSE(PropertyList::parse(std::string_view("<?xml version=\"1.0\"?><plist><dict><key>a")));
    EXPECT_FALSE(PropertyList::parse(std::string_view("bplist00garbage")));
}

class RunLoopTest : public ::testing::Test {
protected:
    xqtest::ManualClockScope clock;
    RunLoop& loop = RunLoop::main();
};

TEST_F(RunLoopTest, TimersFireInOrderOnTheManualClock) {
    std::vector<std::string> fired;
    auto once = Timer::make(1.5, false, [&](const auto&) { fired.push_back("once"); });
    auto repeating = Timer::make(1.0, true, [&](const auto&) { fired.push_back("tick"); });
    loop.addTimer(once);
    loop.addTimer(repeating);
    clock.advance(3.2);
    EXPECT_EQ(fired, (std::vector<std::string>{"tick", "once", "tick", "tick"}));
    EXPECT_FALSE(once->isValid());
    repeating->invalidate();
    clock.advance(5);
    EXPECT_EQ(fired.size(), 4u);
}

TEST_F(RunLoopTest, ModesDecideWhatRuns) {
    int defaultFired = 0, commonFired = 0;
    loop.addTimer(Timer::make(1, false, [&](const auto&) { ++defaultFired; }), RunLoopMode::Default);
    loop.addTimer(Timer::make(1, false, [&](const auto&) { ++commonFired; }), RunLoopMode::Common);
    clock.clock().advance(2);
    loop.runPending(RunLoopMode::ModalPanel);
    EXPECT_EQ(defaultFired, 0);
    EXPECT_EQ(commonFired, 1);
    loop.runPending(RunLoopMode::Default);
    EXPECT_EQ(defaultFired, 1);
}

TEST_F(RunLoopTest, MainQueueWorkFromOtherThreadsAndCancelledDelays) {
    int ran = 0;
    std::thread([&] { dispatch::main().async([&] { ++ran; }); }).join();
    auto cancelled = dispatch::main().asyncAfter(1.0, [&] { ran += 100; });
    dispatch::main().asyncAfter(1.0, [&] { ran += 10; });
    cancelled->cancel();
    loop.runPending();
    EXPECT_EQ(ran, 1);
    clock.advance(1.0);
    EXPECT_EQ(ran, 11);

    std::atomic<bool> onPool{false};
    dispatch::global().async([&] { dispatch::main().async([&] { onPool = true; }); });
    EXPECT_TRUE(loop.runUntil([&] { return onPool.load(); }, 10));
}

TEST_F(RunLoopTest, FileDescriptorSourcesWakeTheLoop) {
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    std::string got;
    auto source = std::make_shared<FileDescriptorSource>(fds[0], POLLIN, [&](short) {
        char buffer[16];
        auto n = read(fds[0], buffer, sizeof buffer);
        if (n > 0) got.append(buffer, static_cast<std::size_t>(n));
    });
    loop.addFileDescriptor(source);
    std::thread([&] { (void)!write(fds[1], "hi", 2); }).join();
    EXPECT_TRUE(loop.runUntil([&] { return got == "hi"; }, 10));
    loop.removeFileDescriptor(source);
    close(fds[0]);
    close(fds[1]);
}

TEST(NotificationCenterTest, TokensAndWeakObservers) {
    NotificationCenter center;
    std::vector<std::string> seen;
    auto token = center.addObserver("n", nullptr, nullptr, [&](const Notification& n) {
        seen.push_back(n.name + (n.userInfo ? "+info" : ""));
    });
    center.post("n", nullptr, Dictionary{});
    center.post("other");
    center.removeObserver(token);
    center.post("n");
    EXPECT_EQ(seen, std::vector<std::string>{"n+info"});

    auto observer = std::make_shared<Object>();
    int calls = 0;
    observer->defineAction("changed:", [&](const ObjectPtr&) { ++calls; });
    center.addObserver(observer, "changed:", "n", nullptr);
    center.post("n");
    observer.reset();  // held weakly: gone observers are skipped
    center.post("n");
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(center.observerCount(), 0u);
}

TEST(BundleTest, InfoResourcesAndStringTables) {
    xqtest::TempHome home;
    std::string app = xqtest::makeAppBundle(home / "Applications", "Demo", "com.example.Demo", "2.1");
    xqtest::writeFile(app + "/Contents/Resources/zh-Hans.lproj/XQDemo.strings",
                      "/* comment */\n\"Cancel\" = \"取消\";\n\"Line\" = \"a\\nb\";\n");
    xqtest::writeFile(app + "/Contents/Resources/en.lproj/InfoPlist.strings", "\"CFBundleDisplayName\" = \"Demo App\";");
    xqtest::writeFile(app + "/Contents/Resources/icon.png", "png");
    auto bundle = Bundle::withPath(app);
    ASSERT_TRUE(bundle);
    EXPECT_EQ(bundle->bundleIdentifier(), "com.example.Demo");
    EXPECT_EQ(bundle->executablePath(), app + "/Contents/MacOS/Demo");
    EXPECT_EQ(bundle->pathForResource("icon", "png"), app + "/Contents/Resources/icon.png");
    EXPECT_FALSE(bundle->pathForResource("missing", "png"));
    {
        xqtest::ScopedEnv lang("LANGUAGE", "zh_CN.UTF-8");
        EXPECT_EQ(bundle->localizedString("Cancel", "", "XQDemo"), "取消");
        EXPECT_EQ(bundle->localizedString("Line", "", "XQDemo"), "a\nb");
        EXPECT_EQ(bundle->localizedString("Missing", "", "XQDemo"), "Missing");
        EXPECT_EQ(bundle->localizedString("Missing", "Fallback", "XQDemo"), "Fallback");
    }
    EXPECT_EQ(bundle->objectForInfoDictionaryKey("CFBundleDisplayName"), Value("Demo App"));
    EXPECT_FALSE(Bundle::parseStringsFile("\"unterminated = \"x\";"));
    EXPECT_FALSE(Bundle::withPath(home / "nothing"));
}

}  // namespace
