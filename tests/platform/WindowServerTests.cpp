// The window server of the simulated session, running applications by process number, the user
// database and object format strings.

#include <gtest/gtest.h>

#include <unistd.h>

#include "platform/appkit/Window.h"
#include "platform/appkit/Workspace.h"
#include "platform/foundation/ProcessInfo.h"
#include "platform/foundation/StringFormat.h"
#include "platform/foundation/UserDatabase.h"
#include "platform/system/Session.h"
#include "platform/system/WindowServer.h"
#include "support/TestSupport.h"

using namespace platform;

namespace {

class WindowServerTest : public ::testing::Test {
protected:
    void SetUp() override { Session::shared().reset(); }
    void TearDown() override { Session::shared().reset(); }

    static WindowPtr showWindow(const std::string& title, Rect frame) {
        auto window = Window::make(frame, WindowStyleMask::Borderless);
        window->title = title;
        window->orderFront();
        return window;
    }
    static Dictionary other(int pid, const std::string& owner, const std::string& name, std::int64_t layer = 0,
                            bool onScreen = true) {
        return Dictionary{{kCGWindowOwnerPID, Value(pid)},
                          {kCGWindowOwnerName, Value(owner)},
                          {kCGWindowName, Value(name)},
                          {kCGWindowLayer, Value(layer)},
                          {kCGWindowIsOnscreen, Value(onScreen)}};
    }
    static std::vector<std::string> owners(const Array& list) {
        std::vector<std::string> names;
        for (const auto& window : list) names.push_back(window[kCGWindowOwnerName].description());
        return names;
    }
    xqtest::InterfaceScope interface;
};

TEST_F(WindowServerTest, ListsOwnWindowsThenOthersInServerCoordinates) {
    auto window = showWindow("Main", {100, 100, 200, 50});
    WindowServer::shared().setOtherWindows({other(4242, "Notes", "Groceries")});
    auto list = CGWindowListCopyWindowInfo(kCGWindowListOptionAll, kCGNullWindowID);
    ASSERT_TRUE(list);
    ASSERT_EQ(list->size(), 2u);
    const Value& own = (*list)[0];
    EXPECT_EQ(own[kCGWindowName], Value("Main"));
    EXPECT_EQ(own[kCGWindowOwnerPID].exactly<std::int32_t>(), ProcessInfo::processInfo().processIdentifier());
    EXPECT_EQ(own[kCGWindowNumber].integerValue(), window->windowNumber());
    // y is measured down from the top of the 900-point main screen.
    EXPECT_EQ(own[kCGWindowBounds]["Y"].doubleValue(), 900.0 - 150.0);
    EXPECT_EQ(own[kCGWindowBounds]["Width"].doubleValue(), 200.0);
    EXPECT_EQ((*list)[1][kCGWindowOwnerPID].integerValue(), 4242);
}

TEST_F(WindowServerTest, WithholdsOtherWindowNamesWithoutScreenRecordingExceptTheDocks) {
    WindowServer::shared().setOtherWindows({other(4242, "Notes", "Groceries"), other(4343, "Dock", "Dock")});
    auto names = [] {
        std::vector<Value> result;
        auto list = CGWindowListCopyWindowInfo(0, kCGNullWindowID);
        for (const auto& window : *list) result.push_back(window[kCGWindowName]);
        return result;
    };
    EXPECT_EQ(names(), (std::vector<Value>{Value(), Value("Dock")}));
    WindowServer::shared().setScreenCaptureAllowed(true);
    EXPECT_EQ(names(), (std::vector<Value>{Value("Groceries"), Value("Dock")}));
}

TEST_F(WindowServerTest, OptionsSelectWindows) {
    auto window = showWindow("Main", {0, 0, 100, 100});
    WindowServer::shared().setOtherWindows({other(1, "Finder", "Desktop", kCGDesktopWindowLevel),
                                            other(2, "Notes", "Hidden", 0, false), other(3, "Mail", "Inbox")});
    struct Case {
        CGWindowListOption option;
        CGWindowID relativeTo;
        std::vector<std::string> owners;
    };
    std::string self = ProcessInfo::processInfo().processName();
    auto id = static_cast<CGWindowID>(window->windowNumber());
    for (const auto& c : std::vector<Case>{
             {kCGWindowListOptionAll, 0, {self, "Finder", "Notes", "Mail"}},
             {kCGWindowListExcludeDesktopElements, 0, {self, "Notes", "Mail"}},
             {kCGWindowListOptionOnScreenOnly | kCGWindowListExcludeDesktopElements, 0, {self, "Mail"}},
             {kCGWindowListOptionIncludingWindow, id, {self}},
             {kCGWindowListOptionOnScreenBelowWindow, id, {"Finder", "Mail"}},
             {kCGWindowListOptionOnScreenAboveWindow, 0, {}},
         }) {
        auto list = CGWindowListCopyWindowInfo(c.option, c.relativeTo);
        ASSERT_TRUE(list);
        EXPECT_EQ(owners(*list), c.owners) << "option " << c.option;
    }
    WindowServer::shared().setListAvailable(false);
    EXPECT_FALSE(CGWindowListCopyWindowInfo(0, kCGNullWindowID));
}

TEST_F(WindowServerTest, CapturesAreRecordedAndShowOwnWindows) {
    auto window = showWindow("Red", {0, 800, 100, 100});  // the top-left corner of the screen
    window->backgroundColor = Color::red();
    auto image = CGWindowListCreateImage({0, 0, 1, 1}, kCGWindowListOptionOnScreenOnly, kCGNullWindowID,
                                         kCGWindowImageDefault);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->pixelsWide(), 2);  // one point at the screen's scale of 2
    auto pixel = image->pixel(0, 0);
    ASSERT_TRUE(pixel);
    EXPECT_NEAR(pixel->red, 1.0, 0.01);
    EXPECT_NEAR(pixel->green, 0.0, 0.01);

    auto captures = WindowServer::shared().captures();
    ASSERT_EQ(captures.size(), 1u);
    EXPECT_EQ(captures[0].bounds, Rect(0, 0, 1, 1));
    EXPECT_EQ(captures[0].option, kCGWindowListOptionOnScreenOnly);
    EXPECT_EQ(CGWindowListCreateImage({}, 0, 0, 0), nullptr);
    EXPECT_EQ(WindowServer::shared().captures().size(), 2u);
}

TEST_F(WindowServerTest, MouseEventsAtThePointerArePostedIntoTheSession) {
    WindowServer::shared().setPointerLocation({320, 240});
    auto current = CGEventCreate();
    ASSERT_TRUE(current);
    EXPECT_EQ(current->location, (Point{320, 240}));
    EXPECT_FALSE(CGEventCreateMouseEvent(kSessionEventKeyDown, {}, CGMouseButton::Left));
    auto up = CGEventCreateMouseEvent(kSessionEventLeftMouseUp, current->location, CGMouseButton::Left);
    ASSERT_TRUE(up);
    CGEventPost(EventTapLocation::HID, *up);
    auto posted = Session::shared().postedSyntheticEvents();
    ASSERT_EQ(posted.size(), 1u);
    EXPECT_EQ(posted[0].type(), kSessionEventLeftMouseUp);
    EXPECT_EQ(posted[0].location, (Point{320, 240}));
    EXPECT_EQ(posted[0].integerValueField(kMouseEventButtonNumber), 0);
}

TEST(RunningApplicationTest, FoundByProcessNumberWithItsExecutable) {
    xqtest::TempHome home;
    auto self = RunningApplication::withProcessIdentifier(ProcessInfo::processInfo().processIdentifier());
    ASSERT_NE(self, nullptr);
    ASSERT_TRUE(self->executableURL);
    EXPECT_EQ(self->executableURL->lastPathComponent(), "test_platform");

    xqtest::RunningAppProcess notes(xqtest::makeAppBundle(home / "Applications", "Notes", "com.apple.Notes"));
    auto app = RunningApplication::withProcessIdentifier(notes.pid());
    ASSERT_NE(app, nullptr);
    EXPECT_EQ(app->bundleIdentifier, "com.apple.Notes");
    ASSERT_TRUE(app->executableURL);
    EXPECT_EQ(app->executableURL->path(), home / "Applications/Notes.app/Contents/MacOS/Notes");

    EXPECT_EQ(RunningApplication::withProcessIdentifier(1), nullptr);  // not an application
    EXPECT_EQ(RunningApplication::withProcessIdentifier(0), nullptr);
}

TEST(WorkspaceTest, RevealingInFinderSelectsTheItemsInFinder) {
    Session::shared().reset();
    Session::shared().setFrontmostApplication("com.example.other");
    auto url = URL::fileURLWithPath("/tmp/a b.zip");
    Workspace::shared()->activateFileViewerSelecting({url});
    EXPECT_EQ(Session::shared().finderSelection(), std::vector<std::string>{url.absoluteString()});
    EXPECT_EQ(Session::shared().frontmostApplication(), "com.apple.finder");
    Session::shared().reset();
}

TEST(UserDatabaseTest, ReadsTheSystemDatabaseOrAGivenFile) {
    auto root = UserDatabase::recordForUID(0);
    ASSERT_TRUE(root);
    EXPECT_EQ(root->name, "root");

    xqtest::TempHome home;
    xqtest::writeFile(home / "passwd", "alice:x:501:20:Alice:/Users/alice:/bin/zsh\nghost:x:502:20::/:/bin/sh\n");
    xqtest::ScopedEnv file("XQ_PASSWD_FILE", home / "passwd");
    auto alice = UserDatabase::recordForUID(501);
    ASSERT_TRUE(alice);
    EXPECT_EQ(alice->homeDirectory, "/Users/alice");
    EXPECT_EQ(alice->fullName, "Alice");
    EXPECT_FALSE(UserDatabase::recordForUID(0));
}

TEST(StringFormatTest, FillsObjectPlaceholders) {
    struct Case {
        const char* format;
        std::vector<std::string> objects;
        const char* expected;
    };
    for (const auto& c : std::vector<Case>{
             {"%@ Permissions", {"Torvane"}, "Torvane Permissions"},
             {"%1$@ needs it; switch %1$@ on", {"A"}, "A needs it; switch A on"},
             {"%2$@ then %1$@", {"x", "y"}, "y then x"},
             {"100%% of %@", {"it"}, "100% of it"},
             {"no placeholder", {"ignored"}, "no placeholder"},
             {"%@ and %@", {"one"}, "one and (null)"},
             {"50%d %", {}, "50%d %"},
         })
        EXPECT_EQ(stringWithFormat(c.format, c.objects), c.expected) << c.format;
}

}  // namespace
