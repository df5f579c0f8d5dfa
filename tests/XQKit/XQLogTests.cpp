#include <gtest/gtest.h>

#include "XQKit/XQLog.h"
#include "platform/appkit/EventMonitor.h"
#include "platform/foundation/ProcessInfo.h"
#include "platform/system/Session.h"
#include "support/TestSupport.h"

using namespace platform;

namespace {

// Captures what one call writes; answers the message part of the line (after the NSLog prefix).
class XQLogTest : public ::testing::Test {
protected:
    void SetUp() override {
        XQ_LOG_RELEASE = true;
        XQ_LOG_MORE = false;
    }
    void TearDown() override {
        XQ_LOG_RELEASE = false;
        XQ_LOG_MORE = false;
        ProcessInfo::processInfo().setOperatingSystemVersion(std::nullopt);
    }
    template <class F>
    std::string written(F body) {
        testing::internal::CaptureStderr();
        body();
        std::string text = testing::internal::GetCapturedStderr();
        if (text.empty()) return text;
        auto bracket = text.find("] ");
        text = bracket == std::string::npos ? text : text.substr(bracket + 2);
        if (!text.empty() && text.back() == '\n') text.pop_back();
        return text;
    }
    xqtest::ScopedEnv toStderr{"XQ_LOG_TO_STDERR", "1"};
};

TEST_F(XQLogTest, OffWritesNothing) {
    XQ_LOG_RELEASE = false;
    EXPECT_EQ(written([] { XQLog("abc", Dictionary{{"k", Value(1)}}, Data::fromString("[1]")); }), "");
}

TEST_F(XQLogTest, ItemsAreJoinedWithThePointingHand) {
    EXPECT_EQ(written([] { XQLog("abc"); }), "abc");
    EXPECT_EQ(written([] { XQLog("a", "b"); }), "a👈\nb👈");
    EXPECT_EQ(written([] { XQLog(1, 2.5, true, std::optional<int>()); }), "1👈\n2.5👈\ntrue👈\nnil👈");
}

TEST_F(XQLogTest, StylePrefixes) {
    struct Case {
        __XQLogStyle style;
        std::string prefix;
    } cases[] = {
        {__XQLogStyle::default_(), ""},
        {__XQLogStyle::success(), "✅"},
        {__XQLogStyle::failure(), "❌"},
        {__XQLogStyle::warning(), "\u26A0\uFE0F"},
        {__XQLogStyle::flag(), "🚩"},
        {__XQLogStyle::number(0), "0\uFE0F\u20E3"},
        {__XQLogStyle::number(3), "3️⃣"},
        {__XQLogStyle::number(10), "🔟"},
        {__XQLogStyle::number(11), "🔢"},
        {__XQLogStyle::number(-1), "🔢"},
        {__XQLogStyle::emoji(""), ""},
        {__XQLogStyle::emoji("🐞"), "🐞"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.style.prefix(), c.prefix);
        std::string expected = c.prefix.empty() ? "m" : c.prefix + " m";
        EXPECT_EQ(written([&] { XQLog(XQLogAt(c.style), "m"); }), expected);
    }
}

TEST(XQLogRendering, CollectionsAndData) {
    EXPECT_EQ(XQLogRender(Value(Dictionary{{"k", Value("v")}})), "{\n\t\"k\": \"v\"\n}");
    EXPECT_EQ(XQLogRender(Value(Dictionary{})), "{\n}");
    EXPECT_EQ(XQLogRender(Value(Array{})), "[\n]");
    EXPECT_EQ(XQLogRender(Value(Array{Value("a"), Value(true)})), "[\n\ta,\n\ttrue\n]");
    // Nested: the closing bracket carries its own depth's indent.
    EXPECT_EQ(XQLogRender(Value(Dictionary{{"", Value(Array{Value(1)})}, {"n", Value()}})),
              "{\n\t: [\n\t\t1\n\t],\n\t\"n\": nil\n}");
    // A comma inside a text is not the one removed.
    EXPECT_EQ(XQLogRender(Value(Dictionary{{"k", Value("a,b")}})), "{\n\t\"k\": \"a,b\"\n}");

    EXPECT_EQ(XQLogRender(Value(Data::fromString("[1,2]"))), "DATA:【 [ 1, 2 ] 】");
    EXPECT_EQ(XQLogRender(Value(Data::fromString("{\"a\":null}"))), "DATA:【 { \"a\": <null> } 】");
    EXPECT_EQ(XQLogRender(Value(Data::fromString("plain text"))), "DATA:【 plain text 】");
    EXPECT_EQ(XQLogRender(Value(Data::fromString("42"))), "2 bytes");  // JSON, but not a collection
    EXPECT_EQ(XQLogRender(Value(Data(std::vector<std::uint8_t>{0xFF, 0xFE, 0x00}))), "3 bytes");
}

TEST(XQLogRendering, DeepNestingNeitherCrashesNorLoops) {
    Value value(Array{});
    for (int i = 0; i < 400; ++i) value = Value(Array{value});
    std::string text = XQLogRender(value);
    EXPECT_NE(text.find("[…]"), std::string::npos);
}

TEST(XQLogRendering, FunctionNamesFromTheCaller) {
    EXPECT_EQ(XQLogFunctionName("void createEventTap()"), "createEventTap()");
    EXPECT_EQ(XQLogFunctionName("bool OpenUrl(const std::string&)"), "OpenUrl(_:)");
    EXPECT_EQ(XQLogFunctionName("void ns::A::f(int, std::map<int, int>)"), "f(_:_:)");
}

TEST_F(XQLogTest, DetailLineNamesFunctionLineAndFile) {
    XQ_LOG_MORE = true;
    int line = __LINE__ + 1;
    std::string text = written([] { XQLog(XQLogAt("caller(_:)"), "abc"); });
    EXPECT_EQ(text, "abc\n[ caller(_:) 第" + std::to_string(line) + "行 ] in XQLogTests.cpp");
}

TEST_F(XQLogTest, UnifiedLogFromVersion26) {
    ProcessInfo::processInfo().setOperatingSystemVersion(OperatingSystemVersion{26, 0, 0});
    testing::internal::CaptureStderr();
    XQLog("unified");
    std::string text = testing::internal::GetCapturedStderr();
    EXPECT_NE(text.find(":XQLog] unified"), std::string::npos) << text;
    EXPECT_NE(text.find(" Default "), std::string::npos) << text;
}

TEST(XQLogSwitches, ChordsFlipTheSwitchesWhileListening) {
    xqtest::ManualClockScope clock;
    Session::shared().reset();
    XQ_LOG_RELEASE = false;
    XQ_LOG_MORE = false;
    std::size_t before = EventMonitor::monitorCount();
    __XQLog::shared()->addKeyMonitor();
    __XQLog::shared()->addKeyMonitor();  // a second call installs nothing more
    EXPECT_EQ(EventMonitor::monitorCount(), before + 2);

    constexpr ModifierFlags all = ModifierFlag::Control | ModifierFlag::Option | ModifierFlag::Shift | ModifierFlag::Command;
    Session::shared().pressKey(35, all | ModifierFlag::CapsLock);  // other bits are ignored
    EXPECT_TRUE(XQ_LOG_RELEASE);
    Session::shared().pressKey(46, all);
    EXPECT_TRUE(XQ_LOG_MORE);
    Session::shared().pressKey(35, all & ~ModifierFlag::Shift);  // incomplete chord
    EXPECT_TRUE(XQ_LOG_RELEASE);

    clock.advance(10.0);  // the window closes ten seconds after the first call
    EXPECT_EQ(EventMonitor::monitorCount(), before);
    EXPECT_EQ(__XQLog::shared()->localMonitor(), nullptr);
    Session::shared().pressKey(35, all);
    EXPECT_TRUE(XQ_LOG_RELEASE);
    XQ_LOG_RELEASE = false;
    XQ_LOG_MORE = false;
}

}  // namespace
