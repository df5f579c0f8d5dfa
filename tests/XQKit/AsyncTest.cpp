#include <gtest/gtest.h>

#include <atomic>

#include "XQKit/Async.h"
#include "XQKit/WeakTimerTarget.h"
#include "platform/appkit/Workspace.h"
#include "platform/foundation/RunLoop.h"
#include "support/TestSupport.h"

using platform::RunLoop;
using platform::Timer;

namespace {

class AsyncTest : public ::testing::Test {
protected:
    double now() const { return RunLoop::main().now() - start; }
    xqtest::TempHome home;
    xqtest::ManualClockScope clock;
    double start = RunLoop::main().now();
};

}  // namespace

TEST_F(AsyncTest, TimerStopsAtTheFirstTickAfterItsOwnerIsGone) {
    auto owner = std::make_shared<platform::Object>();
    std::vector<double> ticks;
    auto timer = Async::timer(1.0, owner, platform::Value("info"), true, [&](const std::shared_ptr<Timer>& t) {
        EXPECT_EQ(t->userInfo, platform::Value("info"));
        ticks.push_back(now());
    });
    RunLoop::main().addTimer(timer);
    std::weak_ptr<Timer> weakTimer = timer;
    timer.reset();  // the run loop keeps it
    clock.advance(2.0);
    EXPECT_EQ(ticks, (std::vector<double>{1.0, 2.0}));

    owner.reset();
    testing::internal::CaptureStdout();
    clock.advance(1.0);
    std::string printed = testing::internal::GetCapturedStdout();
    EXPECT_EQ(printed, "timer deinit\n");  // the target went with the timer
    EXPECT_EQ(ticks.size(), 2u);
    EXPECT_TRUE(weakTimer.expired());
}

TEST_F(AsyncTest, OneShotTimerFiresOnceAndReleasesItsTarget) {
    auto owner = std::make_shared<platform::Object>();
    int ticks = 0;
    auto timer = Async::timer(0.5, owner, platform::Value(), false, [&](const std::shared_ptr<Timer>&) { ++ticks; });
    RunLoop::main().addTimer(timer);
    testing::internal::CaptureStdout();
    clock.advance(3.0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "timer deinit\n");
    EXPECT_EQ(ticks, 1);
    EXPECT_FALSE(timer->isValid());
}

// Two seconds after the wake notification the next fire moves to "now + interval": with a 2-second
// timer and a wake at 1 s, the ticks come at 2, then 5 (instead of 4), then every 2 seconds.
TEST_F(AsyncTest, TimerRetimesAfterWake) {
    auto owner = std::make_shared<platform::Object>();
    std::vector<double> ticks;
    auto timer = Async::timer(2.0, owner, platform::Value(), true, [&](const std::shared_ptr<Timer>&) {
        ticks.push_back(now());
    });
    RunLoop::main().addTimer(timer);
    clock.advance(1.0);
    platform::Workspace::shared()->notificationCenter().post(platform::kWorkspaceDidWakeNotification);
    clock.advance(6.0);
    EXPECT_EQ(ticks, (std::vector<double>{2.0, 5.0, 7.0}));
    testing::internal::CaptureStdout();
    timer->invalidate();
    timer.reset();
    RunLoop::main().runPending();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "timer deinit\n");
}

TEST_F(AsyncTest, DebounceRunsOnceAfterTheLastCallOfABurst) {
    std::vector<double> runs;
    auto debounced = Async::debounceAction(1.0, [&] { runs.push_back(now()); });
    debounced();
    clock.advance(0.5);
    debounced();
    clock.advance(0.4);
    debounced();
    clock.advance(3.0);
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_NEAR(runs[0], 1.9, 1e-9);
    debounced();  // a new burst after the counter was reset
    clock.advance(1.0);
    EXPECT_EQ(runs.size(), 2u);
}

TEST_F(AsyncTest, OnceActionRunsOnTheLeadingCallAndAfterAQuietPeriod) {
    std::vector<double> runs;
    auto once = Async::onceAction(1.0, [&] { runs.push_back(now()); });
    once();
    clock.advance(0.5);
    once();
    clock.advance(0.7);
    once();  // at 1.2: the quiet period restarted at 0.5, so still inside a burst
    clock.advance(1.3);
    once();  // at 2.5: a full second after 1.2
    clock.advance(2.0);
    EXPECT_EQ(runs, (std::vector<double>{0.0, 2.5}));
}

TEST_F(AsyncTest, AfterRunsOnTimeUnlessCancelled) {
    std::vector<std::string> ran;
    auto kept = Async::after(1.5, [&] { ran.push_back("kept@" + std::to_string(now())); });
    auto cancelled = Async::after(1.0, [&] { ran.push_back("cancelled"); });
    clock.advance(0.5);
    cancelled->cancel();
    clock.advance(1.0);
    EXPECT_EQ(ran, std::vector<std::string>{"kept@1.500000"});
    EXPECT_FALSE(kept->isCancelled());
}

TEST_F(AsyncTest, MainAndGlobalQueues) {
    std::vector<std::string> order;
    Async::main([&] { order.push_back("main"); });
    order.push_back("caller");  // main() never runs the block in place
    RunLoop::main().runPending();
    EXPECT_EQ(order, (std::vector<std::string>{"caller", "main"}));

    std::atomic<bool> offMain{false};
    bool thenOnMain = false;
    Async::global(Async::QoS::Utility, [&] { offMain = !RunLoop::main().isCurrent(); },
                  [&] { thenOnMain = RunLoop::main().isCurrent() && offMain; });
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return thenOnMain; }, 10.0));
}
