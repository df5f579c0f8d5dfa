// The Space-key preview, driven through the simulated session with real bundle folders and real
// preference files in a temporary home.

#include <gtest/gtest.h>

#include "TorvaneTool/SpacePreview.h"
#include "XQKit/XQLog.h"
#include "platform/appkit/Application.h"
#include "platform/appkit/Workspace.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/system/Session.h"
#include "support/TestSupport.h"

using platform::PostedEvent;
using platform::Session;
using namespace platform;

namespace {

constexpr std::uint16_t kSpace = 49;

class SpacePreviewTest : public ::testing::Test {
protected:
    void SetUp() override {
        Session::shared().reset();
        Session::shared().setTrusted(true);
        Application::shared()->resetForTesting();
        Workspace::shared()->setLauncher([this](const LaunchRequest& request) {
            launches.push_back(request);
            return 999999;  // a process number no process has
        });
        XQ_LOG_RELEASE = true;
        XQ_LOG_MORE = false;
    }
    void TearDown() override {
        removeEventTap();
        Workspace::shared()->setLauncher(nullptr);
        Session::shared().reset();
        Application::shared()->resetForTesting();
        XQ_LOG_RELEASE = false;
    }

    void installEdition(int index) {
        const auto& edition = appEditions[index];
        std::string scheme = std::string(edition.urlScheme);
        scheme.resize(scheme.find(':'));
        Dictionary urlType{{"CFBundleURLSchemes", Array{Value(scheme)}}};
        xqtest::makeAppBundle(home / "Applications", scheme, edition.bundleIdentifier, "1.0",
                              Dictionary{{"CFBundleURLTypes", Array{Value(urlType)}}});
    }
    void setPreview(const std::string& key, const Value& style) {
        auto defaults = UserDefaults::suite(kTorvaneGroupSuite);
        Dictionary config{{"otherSetting", Value("x")}};
        if (!style.isAbsent()) config["spacePreviewStyle"] = style;
        defaults->set(key, Value(config));
        defaults->synchronize();
    }
    std::string archive(const std::string& name) {
        std::string path = home / ("Downloads/" + name);
        xqtest::writeFile(path, "PK");
        return path;
    }
    PostedEvent::State press(ModifierFlags flags = 0, std::uint16_t key = kSpace) {
        return Session::shared().pressKey(key, flags, 2.0);
    }
    std::optional<std::vector<std::string>> storedSelection() {
        return UserDefaults::suite(kTorvaneGroupSuite)->stringArray("FinderSyncSelectedUrls");
    }
    // Runs `body` and answers what it wrote to standard error.
    template <class F>
    std::string logOf(F body) {
        testing::internal::CaptureStderr();
        body();
        return testing::internal::GetCapturedStderr();
    }
    void armPreview(int edition = 0) {
        installEdition(edition);
        setPreview(edition == 0 ? "configPro" : edition == 1 ? "configOffline" : "config", Value(1));
        Session::shared().setFinderSelection({URL::fileURLWithPath(archive("a.zip")).absoluteString()});
        createEventTap();
    }

    xqtest::TempHome home;
    xqtest::ScopedEnv logToStderr{"XQ_LOG_TO_STDERR", "1"};
    std::vector<LaunchRequest> launches;
};

TEST_F(SpacePreviewTest, BareSpaceOverAnArchiveIsSwallowedStoredAndHandedOver) {
    armPreview();
    std::string log = logOf([&] { EXPECT_EQ(press(), PostedEvent::State::Swallowed); });
    ASSERT_EQ(launches.size(), 1u);
    EXPECT_EQ(launches[0].arguments, std::vector<std::string>{"TorvanePro://finderSync?index=4"});
    EXPECT_EQ(storedSelection(), std::vector<std::string>{home / "Downloads/a.zip"});
    EXPECT_NE(log.find("Open url: TorvanePro://finderSync?index=4"), std::string::npos) << log;

    // Another process reads the stored selection from the file.
    auto result = xqtest::runProgram({std::string(XQ_TOOLS_DIR) + "/xq-defaults", "read", kTorvaneGroupSuite,
                                      "FinderSyncSelectedUrls"},
                                     {{"HOME", home.path()}});
    EXPECT_EQ(result.status, 0) << result.error;
    EXPECT_EQ(result.output, "[\"" + home / "Downloads/a.zip" + "\"]\n");
}

TEST_F(SpacePreviewTest, SpaceWithAnyTakenModifierPassesWithoutADecision) {
    armPreview();
    for (ModifierFlags flags : {ModifierFlag::Shift, ModifierFlag::Control, ModifierFlag::Option, ModifierFlag::Command,
                                ModifierFlag::Function, ModifierFlag::CapsLock}) {
        std::string log = logOf([&] { EXPECT_EQ(press(flags), PostedEvent::State::Delivered) << flags; });
        EXPECT_EQ(log, "") << "a decision was made for flags " << flags;
    }
    EXPECT_TRUE(launches.empty());
    // The numeric-pad and help bits are not modifiers for this purpose.
    EXPECT_EQ(press(ModifierFlag::NumericPad | ModifierFlag::Help), PostedEvent::State::Swallowed);
}

TEST_F(SpacePreviewTest, OtherKeysPassUntouched) {
    armPreview();
    EXPECT_EQ(press(0, 0), PostedEvent::State::Delivered);
    EXPECT_EQ(press(0, 36), PostedEvent::State::Delivered);
    EXPECT_TRUE(launches.empty());
}

TEST_F(SpacePreviewTest, TypingInATextFieldKeepsTheSpace) {
    armPreview();
    Session::shared().setFocus(Session::Focus::TextField);
    std::string log = logOf([&] { EXPECT_EQ(press(), PostedEvent::State::Delivered); });
    EXPECT_NE(log.find("输入状态，直接返回"), std::string::npos);
    // A focused element that is not a text field does not count as typing.
    Session::shared().setFocus(Session::Focus::Other);
    EXPECT_EQ(press(), PostedEvent::State::Swallowed);
}

TEST_F(SpacePreviewTest, PreviewSwitchedOffPassesTheSpace) {
    installEdition(0);
    Session::shared().setFinderSelection({URL::fileURLWithPath(archive("a.zip")).absoluteString()});
    createEventTap();
    struct Case {
        const char* name;
        std::string key;
        Value style;
    } cases[] = {
        {"style 0", "configPro", Value(0)},
        {"style 2", "configPro", Value(2)},
        {"style 257 (not an 8-bit number)", "configPro", Value(257)},
        {"style as text", "configPro", Value("1")},
        {"style missing", "configPro", Value()},
        {"dictionary of another edition", "config", Value(1)},
    };
    for (const auto& c : cases) {
        UserDefaults::suite(kTorvaneGroupSuite)->removeObject("configPro");
        UserDefaults::suite(kTorvaneGroupSuite)->removeObject("config");
        setPreview(c.key, c.style);
        std::string log = logOf([&] { EXPECT_EQ(press(), PostedEvent::State::Delivered) << c.name; });
        EXPECT_NE(log.find("未开启 插件预览 功能"), std::string::npos) << c.name;
    }
    EXPECT_TRUE(launches.empty());
}

TEST_F(SpacePreviewTest, TheInstalledEditionChoosesKeyAndScheme) {
    // Only the offline edition: its own configuration key and scheme.
    armPreview(1);
    EXPECT_EQ(press(), PostedEvent::State::Swallowed);
    ASSERT_EQ(launches.size(), 1u);
    EXPECT_EQ(launches[0].arguments[0], "TorvaneProOffline://finderSync?index=4");

    // Pro beside the base edition: "configPro" is read and the Pro scheme used.
    installEdition(2);
    installEdition(0);
    setPreview("configOffline", Value(0));
    setPreview("config", Value(0));
    setPreview("configPro", Value(1));
    EXPECT_EQ(press(), PostedEvent::State::Swallowed);
    ASSERT_EQ(launches.size(), 2u);
    EXPECT_EQ(launches[1].arguments[0], "TorvanePro://finderSync?index=4");
}

TEST_F(SpacePreviewTest, NoEditionInstalledEndsTheAgent) {
    setPreview("config", Value(1));
    Session::shared().setFinderSelection({URL::fileURLWithPath(archive("a.zip")).absoluteString()});
    createEventTap();
    EXPECT_EQ(press(), PostedEvent::State::Delivered);
    EXPECT_TRUE(Application::shared()->isTerminating());
}

TEST_F(SpacePreviewTest, OnlyArchivesOfKnownKindsAreStoredDecoded) {
    armPreview();
    std::string spaced = archive("my archive.tar");
    std::string folder = home / "Downloads/folder.zip";
    xqtest::makeDirectories(folder);
    Session::shared().setFinderSelection({
        URL::fileURLWithPath(home / "Downloads/a.zip").absoluteString(),
        URL::fileURLWithPath(archive("b.ZIP")).absoluteString(),
        URL::fileURLWithPath(folder).absoluteString(),  // ends in "/": no extension
        URL::fileURLWithPath(spaced).absoluteString(),  // percent-encoded by Finder
        "file:///tmp/bad%ZZname.zip",                    // cannot be decoded: skipped
        URL::fileURLWithPath(archive("notes.txt")).absoluteString(),
    });
    EXPECT_EQ(press(), PostedEvent::State::Swallowed);
    EXPECT_EQ(storedSelection(), (std::vector<std::string>{home / "Downloads/a.zip", spaced}));
}

TEST_F(SpacePreviewTest, NothingToPreviewPassesTheSpace) {
    armPreview();
    struct Case {
        const char* name;
        std::function<void()> arrange;
    } cases[] = {
        {"Finder not frontmost", [] { Session::shared().setFrontmostApplication("com.apple.Safari"); }},
        {"empty selection", [] { Session::shared().setFinderSelection({}); }},
        {"no archive selected", [] { Session::shared().setFinderSelection({"file:///tmp/a.txt"}); }},
        {"Automation denied", [] { Session::shared().setAutomationAllowed(false); }},
    };
    for (const auto& c : cases) {
        c.arrange();
        std::string log = logOf([&] { EXPECT_EQ(press(), PostedEvent::State::Delivered) << c.name; });
        EXPECT_NE(log.find("未选中 符合条件的压缩包 进行预览，或者Finder未激活"), std::string::npos) << c.name;
        Session::shared().setFrontmostApplication("com.apple.finder");
        Session::shared().setAutomationAllowed(true);
    }
    EXPECT_TRUE(launches.empty());
    EXPECT_FALSE(storedSelection().has_value());
}

TEST_F(SpacePreviewTest, TapLifecycleFollowsTrustAndDisableNotices) {
    Session::shared().setTrusted(false);
    std::string log = logOf([] { createEventTap(); });
    EXPECT_EQ(currentEventTap(), nullptr);
    EXPECT_NE(log.find("无法创建事件监听器"), std::string::npos);

    Session::shared().setTrusted(true);
    log = logOf([] { createEventTap(); });
    ASSERT_NE(currentEventTap(), nullptr);
    EXPECT_NE(log.find("创建事件监听器 成功"), std::string::npos);
    auto first = currentEventTap();
    createEventTap();  // already installed: nothing new
    EXPECT_EQ(currentEventTap(), first);

    // The user disables taps: the notice removes ours.
    log = logOf([] {
        Session::shared().disableTapsByUserInput();
        RunLoop::main().runPending();
    });
    EXPECT_EQ(currentEventTap(), nullptr);
    EXPECT_NE(log.find("移除事件监听器"), std::string::npos);

    // Trust withdrawn while a tap exists: the next key event removes it and passes.
    createEventTap();
    Session::shared().setTrusted(false);
    log = logOf([&] { EXPECT_EQ(press(0, 12), PostedEvent::State::Delivered); });
    EXPECT_EQ(currentEventTap(), nullptr);
    EXPECT_NE(log.find("没有辅助功能权限"), std::string::npos);
}

// A callback that answers too late gets its tap disabled; the notice removes the tap.
SessionEvent* slowCallback(EventTapProxy, SessionEventType type, SessionEvent* event, void*) {
    if (type == kSessionEventKeyDown) static_cast<ManualClock&>(const_cast<Clock&>(RunLoop::main().clock())).advance(1.5);
    return eventTapCallback(nullptr, type, event, nullptr);
}

TEST_F(SpacePreviewTest, TimedOutTapIsRemovedAndComesBackWithTheTimer) {
    xqtest::ManualClockScope clock;
    armPreview();
    // Re-install the agent's tap with a callback that is slow once.
    removeEventTap();
    auto slow = EventTap::create(EventTapLocation::Session, EventTapPlacement::HeadInsert, EventTapOptions::Default,
                                 1 << 10, slowCallback, nullptr);
    RunLoop::main().addSource(slow->runLoopSource());
    EXPECT_EQ(press(), PostedEvent::State::Delivered);  // too late: passed on unchanged
    RunLoop::main().runPending();
    EXPECT_FALSE(slow->isEnabled());

    // The agent's own tap, timed out the same way, is removed by its callback on the notice and a
    // two-second timer brings a new one.
    createEventTap();
    auto tap = currentEventTap();
    ASSERT_NE(tap, nullptr);
    auto timer = Timer::make(2.0, true, [](const std::shared_ptr<Timer>&) { createEventTap(); });
    RunLoop::main().addTimer(timer);
    Session::shared().disableTapsByUserInput();
    RunLoop::main().runPending();
    EXPECT_EQ(currentEventTap(), nullptr);
    clock.advance(2.0);
    ASSERT_NE(currentEventTap(), nullptr);
    EXPECT_NE(currentEventTap(), tap);
    EXPECT_EQ(press(), PostedEvent::State::Swallowed);
    timer->invalidate();
    slow->invalidate();
}

TEST(MenuCatalogue, TitlesAndConstruction) {
    EXPECT_EQ(RightMenuItem::fromRawValue("Preview"), RightMenuItem(RightMenuItem::preview));
    EXPECT_FALSE(RightMenuItem::fromRawValue("preview").has_value());
    EXPECT_FALSE(RightMenuItem::fromRawValue("").has_value());
    for (const auto& item : RightMenuItem::allCases()) {
        EXPECT_EQ(RightMenuItem::fromRawValue(item.rawValue()), item);
        EXPECT_EQ(std::hash<RightMenuItem>{}(item), std::hash<std::string>{}(item.rawValue()));
    }
    EXPECT_EQ(RightMenuItem(RightMenuItem::setEncryptionPassword).rawValue(), "Set encryption password");
    EXPECT_EQ(RightMenuItem(RightMenuItem::decompressToSeparateFolderAndDeleteOriginalArchive).rawValue(),
              "Decompress to separate folder and delete original archive");
}

TEST(MenuCatalogue, DefaultListOrderAndFlags) {
    auto items = defaultMenuItems();
    ASSERT_EQ(items.size(), 27u);
    std::vector<std::size_t> notMain;
    for (std::size_t i = 0; i < items.size(); ++i) {
        EXPECT_EQ(items[i]->item.value(), static_cast<RightMenuItem::Case>(i));
        EXPECT_TRUE(items[i]->enable);
        if (!items[i]->mainMenu) notMain.push_back(i);
    }
    EXPECT_EQ(notMain, (std::vector<std::size_t>{2, 13, 15, 17, 19}));
    EXPECT_EQ(indexOfMenuItem(items, "Preview"), 4u);

    auto again = defaultMenuItems();
    for (std::size_t i = 0; i < items.size(); ++i) {
        EXPECT_NE(items[i], again[i]);
        EXPECT_EQ(items[i]->item, again[i]->item);
        EXPECT_EQ(items[i]->mainMenu, again[i]->mainMenu);
    }
}

}  // namespace
