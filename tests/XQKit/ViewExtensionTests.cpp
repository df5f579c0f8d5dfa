// View, control, screen and save-panel conveniences.

#include <gtest/gtest.h>

#include <limits>

#include "XQKit/StringSize.h"
#include "XQKit/ViewExtension.h"
#include "platform/appkit/Button.h"
#include "platform/appkit/ImageView.h"
#include "platform/appkit/Renderer.h"
#include "platform/appkit/Text.h"
#include "platform/foundation/RunLoop.h"
#include "platform/system/UserResponses.h"
#include "support/TestSupport.h"

using namespace platform;

namespace {
class ViewExtensionTest : public ::testing::Test {
protected:
    xqtest::TempHome home;
    xqtest::InterfaceScope interface;
};
}  // namespace

TEST_F(ViewExtensionTest, BackgroundColourSwitchesLayerBacking) {
    auto view = View::make({0, 0, 10, 10});
    EXPECT_EQ(bgColor(view), nullptr);
    auto red = Color::red();
    setBgColor(view, red);
    EXPECT_TRUE(view->wantsLayer());
    EXPECT_EQ(bgColor(view), red);
    setBgColor(view, nullptr);
    EXPECT_FALSE(view->wantsLayer());
    EXPECT_EQ(bgColor(view), nullptr);
    auto made = viewWithColor<ImageView>(red);
    EXPECT_TRUE(made->wantsLayer());
    EXPECT_EQ(bgColor(made), red);
    EXPECT_EQ(bgColor(nullptr), nullptr);
    setBgColor(nullptr, red);  // absent view: nothing happens
}

TEST_F(ViewExtensionTest, RemovesSubviewsOfAClassIncludingSubclasses) {
    auto parent = View::make();
    ViewPtr plain = View::make(), control = View::make<Control>(), button = View::make<Button>();
    addSubviews(parent, {plain, control, button});
    EXPECT_EQ(parent->subviews(), (std::vector<ViewPtr>{plain, control, button}));
    removeSubviews(parent, ViewClass{});
    EXPECT_EQ(parent->subviews().size(), 3u);
    removeSubviews(parent, ViewClass::of<Control>());
    EXPECT_EQ(parent->subviews(), std::vector<ViewPtr>{plain});
    removeAllSubviews(parent);
    EXPECT_TRUE(parent->subviews().empty());
}

TEST_F(ViewExtensionTest, TrackingAreasCoverTheBoundsWithTheViewAsOwner) {
    auto view = View::make({5, 5, 30, 20});
    auto area = addMouseTracking(view);
    EXPECT_EQ(area->rect(), (Rect{0, 0, 30, 20}));
    EXPECT_EQ(area->options(), 0x81u);
    EXPECT_EQ(area->owner(), view);
    EXPECT_FALSE(area->userInfo());
    auto owner = std::make_shared<Object>();
    addMouseTrackingArea(view, {1, 2, 3, 4}, owner);
    EXPECT_EQ(view->trackingAreas().size(), 2u);
    removeAllTrackingAreas(view);
    EXPECT_TRUE(view->trackingAreas().empty());
}

TEST_F(ViewExtensionTest, BorderAndCornersStyleTheLayerAndTheSnapshot) {
    auto view = View::make({0, 0, 20, 20});
    setBgColor(view, Color::red());
    setBorder(view, Color::blue(), 2, 6);
    EXPECT_TRUE(view->clipsToBounds);
    EXPECT_TRUE(view->layer()->masksToBounds);
    EXPECT_EQ(view->layer()->cornerRadius, 6);
    EXPECT_EQ(view->layer()->borderWidth, 2);
    setCornerRadius(view, 6, CornerMask::MaxXMaxY);
    EXPECT_EQ(view->layer()->maskedCorners, CornerMask::MaxXMaxY);
    auto thumb = thumbImage(view);
    ASSERT_NE(thumb, nullptr);
    EXPECT_EQ(thumb->size(), (Size{20, 20}));
    EXPECT_EQ(thumb->pixelsWide(), 40);  // the screen's scale
    EXPECT_GT(thumb->pixel(20, 20)->red, 0.95);
    EXPECT_EQ(thumbImage(View::make({0, 0, 0, 10})), nullptr);
}

TEST_F(ViewExtensionTest, WindowShortcutsAndDarkness) {
    auto view = View::make();
    EXPECT_EQ(vc(view), nullptr);
    EXPECT_EQ(wc(view), nullptr);
    EXPECT_EQ(screen(view), nullptr);
    auto controller = ViewController::make();
    auto window = Window::make({0, 0, 100, 100});
    window->setContentViewController(controller);
    auto windowController = WindowController::make(window);
    controller->view()->addSubview(view);
    EXPECT_EQ(vc(view), controller);
    EXPECT_EQ(wc(view), windowController);
    EXPECT_EQ(screen(view), Screen::screens().front());
    EXPECT_FALSE(isDark(view));
    window->setAppearance(Appearance::named(AppearanceName::VibrantDark));
    EXPECT_TRUE(isDark(view));
}

TEST_F(ViewExtensionTest, GestureCallbacksOnePerKindWithBothRecognisersKept) {
    auto window = Window::make({0, 0, 100, 100}, WindowStyleMask::Borderless);
    auto view = View::make({0, 0, 50, 50});
    window->contentView()->addSubview(view);
    std::vector<std::string> calls;
    addClickGesture(view, [&](const ViewPtr& v, const GestureRecognizerPtr& r) {
        EXPECT_EQ(v, view);
        EXPECT_EQ(r->view(), view);
        calls.push_back("first");
    });
    addClickGesture(view, [&](const ViewPtr&, const GestureRecognizerPtr&) { calls.push_back("second"); });
    EXPECT_EQ(view->gestureRecognizers().size(), 2u);
    window->sendEvent(Event::mouseEvent(EventType::LeftMouseDown, {10, 10}));
    window->sendEvent(Event::mouseEvent(EventType::LeftMouseUp, {10, 10}));
    // Both recognisers fire; both reach the one stored callback.
    EXPECT_EQ(calls, (std::vector<std::string>{"second", "second"}));
    calls.clear();
    addPanGesture(view, [&](const ViewPtr&, const GestureRecognizerPtr& r) {
        calls.push_back("pan" + std::to_string(static_cast<int>(r->state())));
    });
    window->sendEvent(Event::mouseEvent(EventType::LeftMouseDown, {10, 10}));
    window->sendEvent(Event::mouseEvent(EventType::LeftMouseDragged, {20, 10}));
    window->sendEvent(Event::mouseEvent(EventType::LeftMouseUp, {70, 70}));
    EXPECT_EQ(calls, (std::vector<std::string>{"pan1", "pan3"}));
}

TEST_F(ViewExtensionTest, GestureDelegateMayRefuse) {
    struct Refuser : Object, GestureRecognizerDelegate {
        bool gestureRecognizerShouldBegin(GestureRecognizer&) override { return false; }
    };
    auto window = Window::make({0, 0, 100, 100}, WindowStyleMask::Borderless);
    auto view = View::make({0, 0, 50, 50});
    window->contentView()->addSubview(view);
    auto refuser = std::make_shared<Refuser>();
    int calls = 0;
    addClickGesture(view, [&](const ViewPtr&, const GestureRecognizerPtr&) { ++calls; }, refuser);
    window->sendEvent(Event::mouseEvent(EventType::LeftMouseDown, {10, 10}));
    window->sendEvent(Event::mouseEvent(EventType::LeftMouseUp, {10, 10}));
    EXPECT_EQ(calls, 0);
}

TEST_F(ViewExtensionTest, ClickedHandlerKeepsTargetAndActionWhenCleared) {
    auto button = Button::withTitle("x");
    int clicks = 0;
    setClickedHandler(button, [&](const std::shared_ptr<Control>& c) {
        EXPECT_EQ(c, button);
        ++clicks;
    });
    EXPECT_EQ(button->target(), button);
    EXPECT_EQ(button->action(), "controlClicked");
    button->performClick();
    EXPECT_EQ(clicks, 1);
    setClickedHandler(button, nullptr);
    EXPECT_EQ(button->target(), button);
    EXPECT_EQ(button->action(), "controlClicked");
    button->performClick();
    EXPECT_EQ(clicks, 1);
    EXPECT_FALSE(clickedHandler(button));
}

TEST_F(ViewExtensionTest, IgnoringControlLetsClicksFallThrough) {
    auto root = View::make({0, 0, 100, 100});
    auto under = View::make({0, 0, 100, 100});
    auto button = Button::withTitle("x");
    button->setFrame({10, 10, 50, 30});
    root->addSubview(under);
    root->addSubview(button);
    EXPECT_FALSE(ignoresMouseEvents(button));
    EXPECT_EQ(root->hitTest({20, 20}), button);
    setIgnoresMouseEvents(button, true);
    EXPECT_EQ(root->hitTest({20, 20}), under);
    setIgnoresMouseEvents(button, false);
    EXPECT_EQ(root->hitTest({20, 20}), button);
}

TEST_F(ViewExtensionTest, ScreenGeometryAndIdentity) {
    auto builtin = Screen::make({0, 0, 1512, 982}, 2, 1u, true);
    auto external = Screen::make({1512, -100, 2560, 1440}, 1, 7u, false);
    auto noNumber = Screen::make({0, 1000, 800, 600}, 1, std::nullopt, true);
    auto textNumber = Screen::make({0, 2000, 800, 600}, 1, std::nullopt, true);
    textNumber->setDeviceDescription({{"NSScreenNumber", Value("1")}});
    Screen::setScreens({external, builtin, noNumber, textNumber});
    EXPECT_EQ(x(external), 1512);
    EXPECT_EQ(y(external), -100);
    EXPECT_EQ(center(external), (Point{1512 + 1280, -100 + 720}));
    EXPECT_EQ(maxX(external), 1512 + 2560);
    EXPECT_EQ(maxY(external), 1340);
    EXPECT_EQ(size(builtin), (Size{1512, 982}));
    EXPECT_TRUE(isMain(external));
    EXPECT_FALSE(isMain(builtin));
    EXPECT_EQ(displayID(external), 7u);
    EXPECT_EQ(displayID(noNumber), std::nullopt);
    EXPECT_EQ(displayID(textNumber), std::nullopt);
    EXPECT_FALSE(isBuiltin(noNumber));
    EXPECT_FALSE(isBuiltin(external));
    EXPECT_EQ(builtinScreen(), builtin);
    Screen::setScreens({external});
    EXPECT_EQ(builtinScreen(), nullptr);
    Screen::setScreens({});
    EXPECT_FALSE(isMain(nullptr));
    EXPECT_EQ(builtinScreen(), nullptr);
}

TEST_F(ViewExtensionTest, SavePanelsSetWhatIsGivenAndReportTheURL) {
    auto folder = URL::fileURLWithPath(home.path(), true);
    std::optional<std::pair<long, std::optional<URL>>> got;
    auto panel = SavePanelExtension::save(nullptr, std::string("Save"), std::nullopt, std::nullopt, std::string("Name:"),
                                          folder, "notes.txt", false, true, true, false, nullptr, std::nullopt,
                                          [&](long r, const std::optional<URL>& url) { got = {r, url}; });
    EXPECT_EQ(panel->title, "Save");
    EXPECT_EQ(panel->nameFieldLabel, "Name:");
    EXPECT_FALSE(panel->canCreateDirectories);
    EXPECT_TRUE(panel->canSelectHiddenExtension);
    EXPECT_TRUE(panel->showsHiddenFiles);
    EXPECT_FALSE(panel->isExtensionHidden);
    EXPECT_FALSE(panel->identifier);
    UserResponses::shared().answer(UserResponse::ok());
    RunLoop::main().runPending();
    ASSERT_TRUE(got);
    EXPECT_EQ(got->first, 1);
    ASSERT_TRUE(got->second);
    EXPECT_EQ(got->second->path(), home / "notes.txt");

    UserResponses::shared().answer(UserResponse::cancel());
    auto [response, url] = SavePanelExtension::save(std::nullopt, std::nullopt, std::nullopt, std::nullopt,
                                                    std::nullopt, "a", true, false, false, true, nullptr, std::nullopt);
    EXPECT_EQ(response, 0);
    EXPECT_FALSE(url);
}

TEST(StringSize, MeasuresWrappedUnroundedSize) {
    auto font = Font::systemFont(13);
    Size one = sizeWith("Hello", 1000, font);
    EXPECT_EQ(one, measureText("Hello", font));
    Size wrapped = sizeWith("a long line of words that has to wrap", 60, font);
    EXPECT_LE(wrapped.width, 60);
    EXPECT_GT(wrapped.height, 2 * one.height);
    Size empty = sizeWith("", 100, font);
    EXPECT_EQ(empty.width, 0);
    EXPECT_GT(empty.height, 0);
    // Degenerate widths measure without wrapping instead of failing.
    EXPECT_EQ(sizeWith("Hello", 0, font), one);
    EXPECT_EQ(sizeWith("Hello", -5, font), one);
    EXPECT_EQ(sizeWith("Hello", std::numeric_limits<double>::infinity(), font), one);
}
