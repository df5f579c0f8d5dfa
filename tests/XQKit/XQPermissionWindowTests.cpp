// The permission window: its window, layout to the point, rows, refresh, actions and resources.

#include <gtest/gtest.h>

#include "XQKit/XQPermissionManager.h"
#include "XQKit/XQPermissionWindowController.h"
#include "platform/appkit/Application.h"
#include "platform/foundation/Bundle.h"
#include "platform/system/Session.h"
#include "platform/system/WindowServer.h"
#include "support/TestSupport.h"

using namespace platform;
using T = XQPermissionAuthType;

namespace {

class PermissionWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        Session::shared().reset();
        XQPermissionManager::shared()->tutorialLink.reset();
    }
    void TearDown() override {
        Session::shared().reset();
        XQPermissionManager::shared()->tutorialLink.reset();
        Application::shared()->resetForTesting();
    }

    // A window showing `models`, laid out.
    XQPermissionWindowControllerPtr show(std::vector<XQPermissionModelPtr> models) {
        auto controller = XQPermissionWindowController::make();
        controller->permissionVc()->authTypes = std::move(models);
        controller->permissionVc()->reloadItems();
        controller->window()->orderFrontRegardless();
        controller->window()->layoutIfNeeded();
        return controller;
    }
    static std::vector<XQPermissionModelPtr> rows(std::initializer_list<T> types, const std::string& desc = {}) {
        std::vector<XQPermissionModelPtr> models;
        for (auto type : types) models.push_back(XQPermissionModel::make(type, desc));
        return models;
    }

    xqtest::TempHome home;
    xqtest::InterfaceScope interface;
};

TEST_F(PermissionWindowTest, WindowIsAFloatingTransparentTitledWindowSizedToItsRows) {
    for (auto [count, height] : std::vector<std::pair<std::size_t, double>>{{0, 205}, {1, 280}, {3, 430}}) {
        std::vector<XQPermissionModelPtr> models;
        for (std::size_t i = 0; i < count; ++i) models.push_back(XQPermissionModel::make(T::accessibility, ""));
        auto controller = XQPermissionWindowController::make();
        auto window = controller->window();
        EXPECT_EQ(window->frame().size, (Size{600, 300})) << "before the rows are known";
        Point origin = window->frame().origin;
        controller->permissionVc()->authTypes = models;
        controller->permissionVc()->reloadItems();
        EXPECT_EQ(window->frame().height(), height) << count << " rows";
        EXPECT_EQ(window->frame().width(), 600);
        EXPECT_EQ(window->frame().origin, origin);
    }
    auto controller = XQPermissionWindowController::make();
    auto window = controller->window();
    EXPECT_EQ(window->styleMask(), 0x8007u);
    EXPECT_EQ(window->level, 3);
    EXPECT_TRUE(window->titlebarAppearsTransparent);
    EXPECT_FALSE(window->isOpaque);
    EXPECT_TRUE(window->isMovableByWindowBackground);
    EXPECT_TRUE(window->standardWindowButton(WindowButtonKind::Zoom)->isHidden());
    EXPECT_FALSE(window->standardWindowButton(WindowButtonKind::Close)->isHidden());
    EXPECT_EQ(window->title, XQPermissionLocalizedFormat("Permission Title"));
    EXPECT_EQ(window->delegate(), controller);
    EXPECT_EQ(window->contentViewController(), controller->permissionVc());
    // Centred horizontally on the 1440-point screen.
    EXPECT_EQ(window->frame().midX(), 720);
}

TEST_F(PermissionWindowTest, LayoutPlacesEveryViewToThePoint) {
    auto controller = show(rows({T::accessibility, T::fullDiskAccess, T::screenCapture}));
    auto vc = controller->permissionVc();
    const auto& root = vc->view();
    ASSERT_TRUE(root->isFlipped());
    EXPECT_EQ(root->frame().size, (Size{600, 430}));
    EXPECT_EQ(vc->effectView()->frame(), root->bounds());
    EXPECT_EQ(vc->openBtn()->frame(), Rect(574, 8, 18, 18));

    Rect title = vc->titleLabel()->frame();
    EXPECT_EQ(title.origin.y, 60);
    EXPECT_DOUBLE_EQ(title.midX(), 300);
    EXPECT_LE(title.width(), 520);
    Rect box = vc->box()->frame();
    EXPECT_EQ(box, Rect(40, title.maxY() + 20, 520, 25 * 4 + 50 * 3));

    // The box's content view is not flipped: the first model's row is at the top.
    auto items = vc->items();
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[0]->model->authType, T::accessibility);
    EXPECT_EQ(items[0]->frame(), Rect(30, 175, 460, 50));
    EXPECT_EQ(items[1]->frame(), Rect(30, 100, 460, 50));
    EXPECT_EQ(items[2]->frame(), Rect(30, 25, 460, 50));

    Rect look = vc->lookBtn()->frame(), skip = vc->skipBtn()->frame(), quit = vc->quitBtn()->frame();
    EXPECT_EQ(look.origin, (Point{40, box.maxY() + 10}));
    EXPECT_EQ(skip.maxX(), 560);
    EXPECT_EQ(skip.origin.y, box.maxY() + 10);
    EXPECT_EQ(quit.maxX(), skip.minX() - 5);
    EXPECT_EQ(quit.origin.y, skip.origin.y);
    EXPECT_EQ(skip.size, vc->skipBtn()->fittingSize());
    EXPECT_LE(quit.maxY(), 430) << "the buttons fit in the window";
}

TEST_F(PermissionWindowTest, RowLayoutDependsOnTheExplanation) {
    for (const std::string desc : {"Needed to see key presses", ""}) {
        auto controller = show(rows({T::accessibility}, desc));
        auto item = controller->permissionVc()->items().at(0);
        double W = item->frame().width();
        EXPECT_TRUE(item->isFlipped());
        Rect icon = item->iconView()->frame(), check = item->checkBtn()->frame(), auth = item->authBtn()->frame();
        if (!desc.empty()) {
            EXPECT_EQ(item->infoLabel()->stringValue(), "*" + desc);
            EXPECT_EQ(icon, Rect(0, 0, 20, 20));
            EXPECT_DOUBLE_EQ(check.midY(), icon.midY());
            EXPECT_EQ(item->infoLabel()->frame().origin, (Point{30, 30}));
        } else {
            EXPECT_EQ(item->infoLabel()->stringValue(), "");
            EXPECT_EQ(icon, Rect(0, 15, 20, 20));
            EXPECT_EQ(check.origin.y, 15);
        }
        EXPECT_EQ(check.origin.x, 30);
        EXPECT_EQ(check.size, item->checkBtn()->fittingSize());
        EXPECT_EQ(auth.maxX(), W);
        EXPECT_DOUBLE_EQ(auth.midY(), 25);
        controller->close();
    }
}

TEST_F(PermissionWindowTest, RowsAreConfiguredByKind) {
    auto controller = show(rows({T::accessibility, T::fullDiskAccess, T::screenCapture, T::none}));
    auto items = controller->permissionVc()->items();
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"Accessibility permission authorization", "Accessbility@2x.png"},
        {"Full disk access authorization", "Folder@2x.png"},
        {"Screen recording permission authorization", "ScreenRecording@2x.png"},
    };
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(items[i]->checkBtn()->title(), XQPermissionLocalized(expected[i].first));
        auto icon = items[i]->iconView()->image();
        ASSERT_NE(icon, nullptr);
        EXPECT_EQ(icon->size(), (Size{20, 20})) << expected[i].second;
        EXPECT_EQ(items[i]->authBtn()->title(), XQPermissionLocalized("Authorize"));
    }
    EXPECT_EQ(items[3]->checkBtn()->title(), "");
    EXPECT_EQ(items[3]->iconView()->image(), nullptr);
}

TEST_F(PermissionWindowTest, RefreshReportsAllGrantedOnlyWithoutMissingOrNoneRows) {
    Session::shared().setTrusted(true);
    struct Case {
        std::vector<XQPermissionModelPtr> models;
        bool passes;
    };
    for (const auto& c : std::vector<Case>{{{}, true},
                                           {rows({T::accessibility}), true},
                                           {rows({T::none}), false},
                                           {rows({T::accessibility, T::none}), false},
                                           {rows({T::fullDiskAccess, T::accessibility}), false}}) {
        auto controller = show(c.models);
        int passed = 0;
        controller->permissionVc()->allAuthPassedHandler = [&] { ++passed; };
        controller->permissionVc()->refreshItems();
        EXPECT_EQ(passed, c.passes ? 1 : 0) << c.models.size() << " rows";
        for (const auto& item : controller->permissionVc()->items()) {
            bool granted = item->model->authType == T::accessibility;
            EXPECT_EQ(item->checkBtn()->state(), granted ? ControlState::On : ControlState::Off);
            EXPECT_EQ(item->authBtn()->isHidden(), granted);
        }
        controller->close();
    }
}

TEST_F(PermissionWindowTest, ClickingTheCheckBoxOpensThePaneWithoutChangingIt) {
    xqtest::LaunchRecorder launcher;
    Dictionary urlType{{"CFBundleURLSchemes", Array{Value("x-apple.systempreferences")}}};
    xqtest::makeAppBundle(home / "Applications", "System Settings", "com.apple.systempreferences", "15.0",
                          Dictionary{{"CFBundleURLTypes", Array{Value(urlType)}}});
    auto controller = show(rows({T::accessibility, T::fullDiskAccess}));
    auto items = controller->permissionVc()->items();
    items[0]->checkBtn()->performClick();
    EXPECT_EQ(items[0]->checkBtn()->state(), ControlState::Off);
    EXPECT_EQ(Session::shared().postedSyntheticEvents().size(), 1u) << "the Accessibility pane's mouse-up";
    items[1]->authBtn()->performClick();
    EXPECT_EQ(launcher.openedURLs(), (std::vector<std::string>{kXQPrivacyAccessibilityURL, kXQPrivacyAllFilesURL}));

    Session::shared().setTrusted(true);
    controller->permissionVc()->refreshItems();
    EXPECT_EQ(items[0]->checkBtn()->state(), ControlState::On);
    items[0]->checkBtn()->performClick();
    EXPECT_EQ(items[0]->checkBtn()->state(), ControlState::On);
}

TEST_F(PermissionWindowTest, TutorialButtonIsDecidedWhenBuilt) {
    struct Case {
        std::optional<std::string> link;
        bool hidden;
    };
    for (const auto& c : std::vector<Case>{{std::nullopt, true}, {"", true}, {"xqtutorial://permissions", false}}) {
        XQPermissionManager::shared()->tutorialLink = c.link;
        auto controller = show({});
        EXPECT_EQ(controller->permissionVc()->lookBtn()->isHidden(), c.hidden);
        XQPermissionManager::shared()->tutorialLink = "xqtutorial://later";
        EXPECT_EQ(controller->permissionVc()->lookBtn()->isHidden(), c.hidden);
        controller->close();
    }

    xqtest::LaunchRecorder launcher;
    Dictionary urlType{{"CFBundleURLSchemes", Array{Value("xqtutorial")}}};
    xqtest::makeAppBundle(home / "Applications", "Tutorial", "com.example.tutorial", "1.0",
                          Dictionary{{"CFBundleURLTypes", Array{Value(urlType)}}});
    auto controller = show({});
    XQPermissionManager::shared()->tutorialLink = "not a url";
    controller->permissionVc()->lookBtn()->performClick();
    EXPECT_TRUE(launcher.launches().empty());
    XQPermissionManager::shared()->tutorialLink = "xqtutorial://permissions";
    controller->permissionVc()->lookBtn()->performClick();
    EXPECT_EQ(launcher.openedURLs(), std::vector<std::string>{"xqtutorial://permissions"});
}

TEST_F(PermissionWindowTest, ActionsByName) {
    auto controller = show(rows({T::accessibility}));
    auto vc = controller->permissionVc();
    for (const char* action : {"displayInFinder", "lookTutorialVideo", "quitApp", "skip"})
        EXPECT_TRUE(vc->respondsTo(action)) << action;

    Session::shared().setFrontmostApplication("com.example.other");
    vc->openBtn()->performClick();
    EXPECT_EQ(Session::shared().frontmostApplication(), "com.apple.finder");
    EXPECT_EQ(Session::shared().finderSelection(),
              std::vector<std::string>{URL::fileURLWithPath(Bundle::main()->bundlePath()).absoluteString()});
    EXPECT_TRUE(vc->openBtn()->image()->isTemplate);
    EXPECT_EQ(vc->openBtn()->toolTip, XQPermissionLocalized("Display in Finder"));

    int skipped = 0;
    vc->skipHandler = [&] { ++skipped; };
    ASSERT_TRUE(vc->perform("skip"));
    EXPECT_EQ(skipped, 1);
    EXPECT_TRUE(controller->window()->isVisible()) << "closing is the manager's business";

    int closed = 0;
    controller->closeHandler = [&] { ++closed; };
    controller->window()->performClose();
    EXPECT_EQ(closed, 1);
}

TEST_F(PermissionWindowTest, BoxFollowsTheAppearance) {
    auto controller = show(rows({T::accessibility}));
    auto box = controller->permissionVc()->box();
    EXPECT_EQ(box->boxType, BoxType::Custom);
    EXPECT_EQ(box->cornerRadius, 15);
    EXPECT_EQ(box->borderWidth, 0);
    EXPECT_EQ(box->contentViewMargins, (Size{0, 0}));
    auto fill = [&] { return box->fillColor->components(); };
    EXPECT_EQ(fill(), (RGBA{1, 1, 1, 0.4}));
    Appearance::setApplication(Appearance::darkAqua());
    EXPECT_EQ(fill(), (RGBA{0, 0, 0, 0.15}));
    Appearance::setApplication(Appearance::named(AppearanceName::VibrantLight));
    EXPECT_EQ(fill(), (RGBA{1, 1, 1, 0.4}));
}

TEST_F(PermissionWindowTest, ResourcesAndTexts) {
    EXPECT_TRUE(XQPermissionResourceBundlePath());
    auto missing = XQPermissionImage("no-such-image@2x.png");
    ASSERT_NE(missing, nullptr);
    EXPECT_TRUE(missing->isEmpty());
    EXPECT_FALSE(XQPermissionImage("Folder@2x.png")->isEmpty());
    EXPECT_EQ(XQPermissionLocalized("A key no table has"), "A key no table has");
    EXPECT_NE(XQPermissionLocalized("Kind tips"), "Kind tips") << "the library's table is found";
    EXPECT_EQ(XQPermissionLocalizedFormat("Permission Title"), XQPermissionAppName() + " Permissions");
}

}  // namespace
