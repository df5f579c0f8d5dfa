// The interface toolkit: geometry of views and windows, hit testing, layout, events, rendering of a
// few pixels, text measuring, images, and the answers alerts and panels get from the session.

#include <gtest/gtest.h>

#include <cmath>

#include "platform/appkit/Alert.h"
#include "platform/appkit/Box.h"
#include "platform/appkit/Button.h"
#include "platform/appkit/EventMonitor.h"
#include "platform/appkit/GraphicsContext.h"
#include "platform/appkit/ImageView.h"
#include "platform/appkit/OpenPanel.h"
#include "platform/appkit/Renderer.h"
#include "platform/appkit/ScrollView.h"
#include "platform/appkit/TextField.h"
#include "platform/appkit/ViewController.h"
#include "platform/appkit/Window.h"
#include "platform/appkit/WindowController.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "platform/system/UserResponses.h"
#include "support/TestSupport.h"

using namespace platform;

namespace {

class Toolkit : public ::testing::Test {
protected:
    xqtest::TempHome home;
    xqtest::InterfaceScope interface;
};

bool near(const RGBA& c, double r, double g, double b, double a = 1.0) {
    const double e = 2.5 / 255;
    return std::abs(c.red - r) < e && std::abs(c.green - g) < e && std::abs(c.blue - b) < e && std::abs(c.alpha - a) < e;
}

class FlippedView : public View {
public:
    bool isFlipped() const override { return true; }
};

}  // namespace

TEST_F(Toolkit, ConvertsPointsBetweenFlippedAndUnflippedViews) {
    auto window = Window::make({100, 100, 200, 100}, WindowStyleMask::Borderless);
    auto flipped = View::make<FlippedView>({10, 10, 100, 50});
    auto child = View::make({5, 5, 20, 10});
    flipped->addSubview(child);
    window->contentView()->addSubview(flipped);
    // The flipped parent's y=5 is 5 points below its top (60 in window space): the child's bottom-left
    // corner is at 60 - 5 - 10 = 45.
    EXPECT_EQ(child->convertPointTo({0, 0}, nullptr), (Point{15, 45}));
    EXPECT_EQ(child->convertPointFrom({15, 45}, nullptr), (Point{0, 0}));
    EXPECT_EQ(flipped->convertPointFrom({10, 60}, nullptr), (Point{0, 0}));
    EXPECT_EQ(child->window(), window);
}

TEST_F(Toolkit, HitTestingFindsTheDeepestVisibleView) {
    auto root = View::make({0, 0, 100, 100});
    auto a = View::make({10, 10, 50, 50});
    auto b = View::make({20, 20, 10, 10});
    a->addSubview(b);
    root->addSubview(a);
    EXPECT_EQ(root->hitTest({35, 35}), b);
    EXPECT_EQ(root->hitTest({12, 12}), a);
    EXPECT_EQ(root->hitTest({200, 0}), nullptr);
    b->setHidden(true);
    EXPECT_EQ(root->hitTest({35, 35}), a);
}

TEST_F(Toolkit, ViewsOwnSubviewsAndKnowTheirSuperviewWeakly) {
    auto parent = View::make({0, 0, 10, 10});
    std::weak_ptr<View> weakChild;
    {
        auto child = View::make();
        weakChild = child;
        parent->addSubview(child);
    }
    ASSERT_FALSE(weakChild.expired());
    EXPECT_EQ(weakChild.lock()->superview(), parent);
    std::weak_ptr<View> weakParent = parent;
    auto child = weakChild.lock();
    parent.reset();
    EXPECT_TRUE(weakParent.expired());
    EXPECT_EQ(child->superview(), nullptr);
}

TEST_F(Toolkit, LayoutPassRunsControllerHooksAroundLayout) {
    struct Controller : ViewController {
        std::vector<std::string> calls;
        void loadView() override { setView(View::make({0, 0, 600, 300})); }
        void viewWillLayout() override { calls.push_back("will"); }
        void viewDidLayout() override { calls.push_back("did"); }
    };
    auto controller = ViewController::make<Controller>();
    auto window = Window::make({}, WindowStyleMask::Titled | WindowStyleMask::FullSizeContentView);
    window->setContentViewController(controller);
    EXPECT_EQ(window->frame().size, (Size{600, 300}));
    window->layoutIfNeeded();
    EXPECT_EQ(controller->calls, (std::vector<std::string>{"will", "did"}));
    window->layoutIfNeeded();
    EXPECT_EQ(controller->calls.size(), 2u);
    controller->view()->setNeedsLayout(true);
    RunLoop::main().runPending();  // the pass is scheduled on the run loop
    EXPECT_EQ(controller->calls.size(), 4u);
}

TEST_F(Toolkit, WindowFrameAndContentFollowTheStyle) {
    auto titled = Window::make({0, 0, 400, 200}, WindowStyleMask::Titled);
    EXPECT_EQ(titled->frame().size, (Size{400, 228}));
    EXPECT_EQ(titled->contentView()->frame().size, (Size{400, 200}));
    auto full = Window::make({0, 0, 400, 200}, WindowStyleMask::Titled | WindowStyleMask::FullSizeContentView);
    EXPECT_EQ(full->frame().size, (Size{400, 200}));
    EXPECT_EQ(full->contentLayoutRect().size, (Size{400, 172}));
    full->center();
    // Default screen: visible frame 1440 x 875.
    EXPECT_EQ(full->frame().origin, (Point{520, std::floor(675.0 * 2 / 3)}));
    auto negative = Window::make({0, 0, -10, -5}, WindowStyleMask::Borderless);
    EXPECT_EQ(negative->frame().size, (Size{0, 0}));
}

TEST_F(Toolkit, KeyAndMainWindowRules) {
    struct NeverKey : Window {
        bool canBecomeKeyWindow() const override { return false; }
    };
    auto a = Window::make({0, 0, 100, 100});
    auto hud = Window::make<NeverKey>({0, 0, 10, 10});
    auto borderless = Window::make({0, 0, 10, 10}, WindowStyleMask::Borderless);
    a->makeKeyAndOrderFront();
    hud->makeKeyAndOrderFront();
    borderless->makeKeyAndOrderFront();
    EXPECT_EQ(Window::keyWindow(), a);
    EXPECT_TRUE(hud->isVisible());
    EXPECT_FALSE(hud->isKeyWindow());
    EXPECT_EQ(Window::orderedWindows().front(), borderless);
}

TEST_F(Toolkit, CloseNotifiesAndDetachesChildWindows) {
    auto parent = Window::make({0, 0, 300, 300});
    auto child = Window::make({0, 0, 50, 50}, WindowStyleMask::Borderless);
    parent->makeKeyAndOrderFront();
    parent->addChildWindow(child, WindowOrderingMode::Above);
    EXPECT_TRUE(child->isVisible());
    parent->setFrameOrigin({10, 20});
    EXPECT_EQ(child->frame().origin, (Point{10, 20}));
    int willClose = 0;
    auto token = NotificationCenter::defaultCenter().addObserver(WindowNotification::WillClose, child, nullptr,
                                                                 [&](const Notification&) { ++willClose; });
    child->close();
    NotificationCenter::defaultCenter().removeObserver(token);
    EXPECT_EQ(willClose, 1);
    EXPECT_TRUE(parent->childWindows().empty());
    EXPECT_FALSE(child->isVisible());
}

TEST_F(Toolkit, ClickSendsActionOnMouseUpInsideAnEnabledControl) {
    auto window = Window::make({0, 0, 200, 100}, WindowStyleMask::Borderless);
    auto target = std::make_shared<Object>();
    int clicks = 0;
    target->defineAction("pressed:", [&](const ObjectPtr&) { ++clicks; });
    auto button = Button::withTitle("Go", target, "pressed:");
    button->setFrame({10, 10, 80, 24});
    window->contentView()->addSubview(button);
    window->sendEvent(Event::mouseEvent(EventType::LeftMouseDown, {20, 20}));
    EXPECT_EQ(clicks, 0);
    window->sendEvent(Event::mouseEvent(EventType::LeftMouseUp, {20, 20}));
    EXPECT_EQ(clicks, 1);
    // Released outside: no action.
    window->sendEvent(Event::mouseEvent(EventType::LeftMouseDown, {20, 20}));
    window->sendEvent(Event::mouseEvent(EventType::LeftMouseUp, {150, 80}));
    EXPECT_EQ(clicks, 1);
    button->setEnabled(false);
    window->sendEvent(Event::mouseEvent(EventType::LeftMouseDown, {20, 20}));
    window->sendEvent(Event::mouseEvent(EventType::LeftMouseUp, {20, 20}));
    EXPECT_EQ(clicks, 1);
}

TEST_F(Toolkit, LocalMonitorMaySwallowAnEventBeforeTheWindow) {
    auto window = Window::make({0, 0, 200, 100}, WindowStyleMask::Borderless);
    auto button = Button::withTitle("Go");
    auto target = std::make_shared<Object>();
    int clicks = 0;
    target->defineAction("go", [&](const ObjectPtr&) { ++clicks; });
    button->setTarget(target);
    button->setAction("go");
    button->setFrame({0, 0, 100, 100});
    window->contentView()->addSubview(button);
    auto token = EventMonitor::addLocalMonitor(EventMaskBits::LeftMouseUp, [](const EventPtr&) { return nullptr; });
    auto down = Event::mouseEvent(EventType::LeftMouseDown, {5, 5});
    down->setWindow(window);
    auto up = Event::mouseEvent(EventType::LeftMouseUp, {5, 5});
    up->setWindow(window);
    EXPECT_TRUE(Window::dispatchApplicationEvent(down));
    EXPECT_FALSE(Window::dispatchApplicationEvent(up));
    EXPECT_EQ(clicks, 0);
    EventMonitor::removeMonitor(token);
}

TEST_F(Toolkit, TrackingAreasTellTheirOwnerAboutEnteringAndLeaving) {
    struct Owner : Responder {
        int entered = 0, exited = 0;
        void mouseEntered(const EventPtr&) override { ++entered; }
        void mouseExited(const EventPtr&) override { ++exited; }
    };
    auto window = Window::make({0, 0, 200, 100}, WindowStyleMask::Borderless);
    auto view = View::make({50, 0, 50, 50});
    window->contentView()->addSubview(view);
    auto owner = std::make_shared<Owner>();
    view->addTrackingArea(TrackingArea::make(view->bounds(), 0x81, owner));
    for (Point p : {Point{10, 10}, Point{60, 10}, Point{70, 20}, Point{120, 10}})
        window->sendEvent(Event::mouseEvent(EventType::MouseMoved, p));
    EXPECT_EQ(owner->entered, 1);
    EXPECT_EQ(owner->exited, 1);
}

TEST_F(Toolkit, TextFieldFittingSizesFollowTheMeasuredText) {
    auto label = TextField::labelWithString("Hello");
    Size text = measureText("Hello", Font::systemFont(13));
    EXPECT_EQ(label->frame().size, (Size{std::ceil(text.width) + 4, std::ceil(text.height)}));
    auto wrapping = TextField::wrappingLabelWithString("one two three four five six seven eight nine ten");
    Size narrow = wrapping->sizeThatFits({80, 0});
    EXPECT_LE(narrow.width, 80);
    EXPECT_GT(narrow.height, 2 * lineHeight(Font::systemFont(13)));
    EXPECT_EQ(measureText("", Font::systemFont(13)).width, 0);
    EXPECT_GT(measureText("", Font::systemFont(13)).height, 0);
}

TEST_F(Toolkit, ImagesFromMissingOrNonPngFilesAreAbsent) {
    EXPECT_EQ(Image::contentsOfFile(home / "missing.png"), nullptr);
    xqtest::writeFile(home / "fake.png", "not a png at all");
    EXPECT_EQ(Image::contentsOfFile(home / "fake.png"), nullptr);
    auto drawn = Image::drawn({4, 4}, 1, [](GraphicsContext& g) { g.fillRect({0, 0, 4, 4}, Color::red()); });
    ASSERT_TRUE(drawn->writePNG(home / "red@2x.png"));
    auto read = Image::contentsOfFile(home / "red@2x.png");
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(read->size(), (Size{2, 2}));
    EXPECT_TRUE(Image::withSize({0, 10})->isEmpty());
    EXPECT_TRUE(Image::withSize({-1, -1})->isEmpty());
    auto view = ImageView::withImage(nullptr);
    EXPECT_TRUE(Renderer::imageOfView(view)->isEmpty());
}

TEST_F(Toolkit, RenderingAppliesBackgroundCornersMasksAndBorders) {
    auto view = View::make({0, 0, 40, 40});
    view->setWantsLayer(true);
    view->layer()->backgroundColor = Color::red();
    view->layer()->cornerRadius = 10;
    view->layer()->masksToBounds = true;
    view->layer()->borderColor = Color::blue();
    view->layer()->borderWidth = 2;
    auto image = Renderer::imageOfView(view, 1);
    ASSERT_EQ(image->pixelsWide(), 40);
    EXPECT_TRUE(near(*image->pixel(20, 20), 1, 0, 0));     // inside
    EXPECT_EQ(image->pixel(0, 0)->alpha, 0);               // rounded corner left out
    EXPECT_TRUE(near(*image->pixel(20, 0), 0, 0, 1));      // border along the top edge
    // Only the top-left corner (min x, max y in a y-up layer) rounded.
    view->layer()->maskedCorners = CornerMask::MinXMaxY;
    image = Renderer::imageOfView(view, 1);
    EXPECT_EQ(image->pixel(0, 0)->alpha, 0);
    EXPECT_TRUE(near(*image->pixel(39, 39), 0, 0, 1));
    // A shape mask: only the left half shows.
    auto mask = ShapeLayer::make();
    mask->setFrame({0, 0, 40, 40});
    mask->path = BezierPath::rect({0, 0, 20, 40});
    view->layer()->mask = mask;
    view->layer()->borderWidth = 0;
    image = Renderer::imageOfView(view, 2);
    ASSERT_EQ(image->pixelsWide(), 80);
    EXPECT_TRUE(near(*image->pixel(20, 40), 1, 0, 0));
    EXPECT_EQ(image->pixel(60, 40)->alpha, 0);
}

TEST_F(Toolkit, DynamicColoursResolvePerAppearance) {
    auto view = View::make({0, 0, 4, 4});
    view->setWantsLayer(true);
    view->layer()->backgroundColor = Color::dynamic("test", [](const AppearancePtr& a) {
        return a->isDarkFamily() ? Color::black() : Color::whiteColor();
    });
    view->setAppearance(Appearance::darkAqua());
    EXPECT_TRUE(near(*Renderer::imageOfView(view, 1)->pixel(1, 1), 0, 0, 0));
    view->setAppearance(Appearance::aqua());
    EXPECT_TRUE(near(*Renderer::imageOfView(view, 1)->pixel(1, 1), 1, 1, 1));
    EXPECT_EQ(Appearance::named(AppearanceName::VibrantDark)->bestMatch({AppearanceName::Aqua, AppearanceName::DarkAqua}),
              AppearanceName::DarkAqua);
    EXPECT_EQ(Appearance::aqua()->bestMatch({AppearanceName::DarkAqua, AppearanceName::VibrantDark}), std::nullopt);
}

TEST_F(Toolkit, ColourClampFilterRecoloursContentKeepingOpacity) {
    auto view = View::make({0, 0, 4, 4});
    view->setWantsLayer(true);
    view->layer()->backgroundColor = Color::rgb(0.2, 0.4, 0.6, 0.5);
    auto clamp = Filter::named("CIColorClamp");
    clamp->setDefaults();
    clamp->setValue("inputMinComponents", Value(Array{Value(1.0), Value(1.0), Value(1.0), Value(0.0)}));
    clamp->setValue("inputMaxComponents", Value(Array{Value(1.0), Value(1.0), Value(1.0), Value(1.0)}));
    view->contentFilters = {clamp};
    EXPECT_TRUE(near(*Renderer::imageOfView(view, 1)->pixel(1, 1), 1, 1, 1, 0.5));
}

TEST_F(Toolkit, AlertTakesAnAnswerGivenBeforehand) {
    auto alert = Alert::make();
    alert->messageText = "Title";
    alert->addButton("A");
    alert->addButton("B");
    alert->showsSuppressionButton = true;
    UserResponses::shared().answer(UserResponse::button(1, true));
    EXPECT_EQ(alert->runModal(), 1001);
    EXPECT_EQ(alert->suppressionButton()->state(), ControlState::On);
    auto presented = UserResponses::shared().presented();
    ASSERT_EQ(presented.size(), 1u);
    EXPECT_EQ(presented[0].buttons, (std::vector<std::string>{"A", "B"}));
}

TEST_F(Toolkit, ModalRunWaitsInModalModeWhileDefaultTimersWait) {
    xqtest::ManualClockScope clock;
    bool defaultTimerFired = false;
    auto timer = Timer::make(0.1, false, [&](const std::shared_ptr<Timer>&) { defaultTimerFired = true; });
    RunLoop::main().addTimer(timer, RunLoopMode::Default);
    clock.clock().advance(1);
    // The answer arrives from work the run loop performs while the alert is up.
    RunLoop::main().perform([] { UserResponses::shared().answer(UserResponse::button(0)); },
                            RunLoopMode::ModalPanel);
    auto alert = Alert::make();
    EXPECT_EQ(alert->runModal(), 1000);
    EXPECT_FALSE(defaultTimerFired);
    RunLoop::main().runPending();
    EXPECT_TRUE(defaultTimerFired);
}

TEST_F(Toolkit, SheetsWaitForTheirAnswerWithoutBlocking) {
    auto window = Window::make({0, 0, 300, 200});
    auto panel = OpenPanel::make();
    panel->allowsMultipleSelection = false;
    std::optional<long> response;
    panel->beginSheetModal(window, [&](long r) { response = r; });
    RunLoop::main().runPending();
    EXPECT_FALSE(response);
    EXPECT_EQ(UserResponses::shared().waitingDialogs(), 1u);
    UserResponses::shared().answer(UserResponse::ok({URL::fileURLWithPath("/a"), URL::fileURLWithPath("/b")}));
    RunLoop::main().runPending();
    EXPECT_EQ(response, 1);
    ASSERT_EQ(panel->urls().size(), 1u);
    EXPECT_EQ(panel->urls()[0].path(), "/a");
}

TEST_F(Toolkit, DefaultAnswerServesEveryDialogWithoutWaiting) {
    UserResponses::shared().setDefaultAnswer(UserResponse::cancel());
    auto save = SavePanel::make();
    save->nameFieldStringValue = "x.txt";
    EXPECT_EQ(save->runModal(), 0);
    EXPECT_FALSE(save->url());
    UserResponses::shared().answer(UserResponse::ok());
    EXPECT_EQ(save->runModal(), 1);
    ASSERT_TRUE(save->url());
    EXPECT_EQ(save->url()->lastPathComponent(), "x.txt");
}

TEST_F(Toolkit, SystemSettingChangeReachesViewsThatInheritIt) {
    struct Watching : View {
        int changes = 0;
        void viewDidChangeEffectiveAppearance() override { ++changes; }
    };
    auto window = Window::make({0, 0, 100, 100});
    auto view = View::make<Watching>({0, 0, 10, 10});
    auto pinned = View::make<Watching>({0, 0, 10, 10});
    pinned->setAppearance(Appearance::aqua());
    window->contentView()->addSubview(view);
    window->contentView()->addSubview(pinned);
    EXPECT_EQ(view->effectiveAppearance(), Appearance::aqua());
    xqtest::writePlist(home / "Library/Preferences/.GlobalPreferences.plist", {{"AppleInterfaceStyle", Value("Dark")}});
    Appearance::systemSettingChanged();
    EXPECT_EQ(view->effectiveAppearance(), Appearance::darkAqua());
    EXPECT_EQ(view->changes, 1);
    EXPECT_EQ(pinned->changes, 0);
    Appearance::systemSettingChanged();  // no change, no call
    EXPECT_EQ(view->changes, 1);
}

TEST_F(Toolkit, KeyedAnimationsRunOnTheLoopClockAndTellTheirDelegate) {
    xqtest::ManualClockScope clock;
    struct Delegate : AnimationDelegate {
        std::vector<std::string> calls;
        void animationDidStart(const AnimationPtr&) override { calls.push_back("start"); }
        void animationDidStop(const AnimationPtr&, bool finished) override {
            calls.push_back(finished ? "finished" : "stopped");
        }
    };
    auto layer = Layer::make();
    auto delegate = std::make_shared<Delegate>();
    auto fade = Animation::make("opacity");
    fade->duration = 2;
    fade->delegate = delegate;
    layer->addAnimation(fade, "fade");
    EXPECT_EQ(layer->animationKeys(), std::vector<std::string>{"fade"});
    clock.advance(1.9);
    EXPECT_EQ(delegate->calls, std::vector<std::string>{"start"});
    clock.advance(0.2);
    EXPECT_EQ(delegate->calls, (std::vector<std::string>{"start", "finished"}));
    EXPECT_TRUE(layer->animationKeys().empty());

    auto kept = Animation::make("position");
    kept->isRemovedOnCompletion = false;
    kept->fillMode = FillMode::Forwards;
    kept->delegate = delegate;
    layer->addAnimation(kept, "move");
    clock.advance(1);
    EXPECT_NE(layer->animation("move"), nullptr);
    auto spin = Animation::make("transform");
    spin->delegate = delegate;
    layer->addAnimation(spin, "spin");
    layer->removeAnimation("spin");
    EXPECT_EQ(delegate->calls.back(), "stopped");
}
