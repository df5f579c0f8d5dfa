// Monitors remembered on their owner and removed without tokens.

#include <gtest/gtest.h>

#include "XQKit/EventMonitorRegistry.h"
#include "platform/appkit/Button.h"
#include "platform/appkit/Window.h"
#include "support/TestSupport.h"

using namespace platform;

namespace {
class EventMonitorRegistryTest : public ::testing::Test {
protected:
    void TearDown() override {
        removeAllMonitors(owner);
        for (auto& t : extra) EventMonitor::removeMonitor(t);
    }
    Object owner;
    std::vector<ObjectPtr> extra;
    xqtest::InterfaceScope interface;
};
}  // namespace

TEST_F(EventMonitorRegistryTest, AddingNothingLeavesNoList) {
    addMonitors(owner, {});
    EXPECT_FALSE(monitors(owner));
    addMonitor(owner, nullptr);
    EXPECT_FALSE(monitors(owner));
}

TEST_F(EventMonitorRegistryTest, RemovingATokenRemovesEveryEntryOfIt) {
    auto a = EventMonitor::addLocalMonitor(EventMaskBits::KeyDown, [](const EventPtr& e) { return e; });
    auto b = EventMonitor::addLocalMonitor(EventMaskBits::KeyDown, [](const EventPtr& e) { return e; });
    extra = {a, b};
    addMonitors(owner, {a, b});
    addMonitor(owner, a);
    removeMonitor(owner, a);
    EXPECT_EQ(monitors(owner), (std::vector<ObjectPtr>{b}));
    // Removal from an object that never had a list keeps it without one.
    Object other;
    removeMonitor(other, b);
    EXPECT_FALSE(monitors(other));
}

TEST_F(EventMonitorRegistryTest, RemoveAllOnEmptyListKeepsAnEmptyList) {
    Object empty;
    removeAllMonitors(empty);
    EXPECT_FALSE(monitors(empty));
    addMonitor(empty, EventMonitor::addGlobalMonitor(EventMaskBits::KeyDown, [](const EventPtr&) {}));
    removeAllMonitors(empty);
    ASSERT_TRUE(monitors(empty));
    EXPECT_TRUE(monitors(empty)->empty());
    removeAllMonitors(empty);
    ASSERT_TRUE(monitors(empty));
    EXPECT_TRUE(monitors(empty)->empty());
}

TEST_F(EventMonitorRegistryTest, BothMonitorsFromOneCallAreRemovedTogether) {
    std::size_t before = EventMonitor::monitorCount();
    int local = 0, global = 0;
    addEventMonitor(owner, EventMaskBits::KeyDown, [&](const EventPtr& e) {
        ++(e->window() ? local : global);
        return e;
    });
    ASSERT_TRUE(monitors(owner));
    EXPECT_EQ(monitors(owner)->size(), 2u);
    EXPECT_EQ(EventMonitor::monitorCount(), before + 2);
    EventMonitor::dispatchGlobal(Event::keyEvent(EventType::KeyDown, 0, 0));
    EXPECT_EQ(global, 1);
    removeAllMonitors(owner);
    EXPECT_EQ(EventMonitor::monitorCount(), before);
    EXPECT_TRUE(monitors(owner)->empty());
}

TEST_F(EventMonitorRegistryTest, SwallowingLocalMonitorKeepsTheEventFromTheWindow) {
    auto window = Window::make({0, 0, 100, 100}, WindowStyleMask::Borderless);
    auto button = Button::withTitle("x");
    button->setFrame({0, 0, 100, 100});
    int clicks = 0;
    auto target = std::make_shared<Object>();
    target->defineAction("go", [&](const ObjectPtr&) { ++clicks; });
    button->setTarget(target);
    button->setAction("go");
    window->contentView()->addSubview(button);
    auto send = [&](EventType type) {
        auto e = Event::mouseEvent(type, {5, 5});
        e->setWindow(window);
        Window::dispatchApplicationEvent(e);
    };
    auto token = addLocalEventMonitor(owner, EventMaskBits::LeftMouseDown, [](const EventPtr&) { return nullptr; });
    ASSERT_NE(token, nullptr);
    send(EventType::LeftMouseDown);
    send(EventType::LeftMouseUp);
    EXPECT_EQ(clicks, 0);
    removeMonitor(owner, token);
    send(EventType::LeftMouseDown);
    send(EventType::LeftMouseUp);
    EXPECT_EQ(clicks, 1);
}
