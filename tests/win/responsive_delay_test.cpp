// The responsive waits under Wine: real timers, a real message queue.
#include "process/responsive_delay_win.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <thread>

#include "runner_test_support_win.h"

namespace {
class ResponsiveDelayTest : public ::testing::Test {
  protected:
    void TearDown() override { DrainThreadQueue(); }

    void PostRecorded(int count) {
        for (int i = 0; i < count; ++i) {
            PostMessageA(recorder.window(), MessageRecorder::kRecorded, 0, 0);
        }
    }

    MessageRecorder recorder;
};

TEST_F(ResponsiveDelayTest, DispatchPendingMessagesHandsOverEverythingQueuedAndStopsAtQuit) {
    PostRecorded(3);
    PostQuitMessage(3);
    DispatchPendingMessages();
    EXPECT_EQ(recorder.handled(), 3);

    DispatchPendingMessages();  // the quit at the head stays where it is
    WPARAM quitCode = 0;
    EXPECT_TRUE(DrainThreadQueue(&quitCode));
    EXPECT_EQ(quitCode, 3u);
}

TEST_F(ResponsiveDelayTest, ProcessPendingInputLeavesQueuesWithoutInputAlone) {
    PostRecorded(2);
    ProcessPendingInput();
    EXPECT_EQ(recorder.handled(), 0);
    DispatchPendingMessages();
    EXPECT_EQ(recorder.handled(), 2);
}

TEST_F(ResponsiveDelayTest, PumpingDelayWaitsTheTimeOfItsUnit) {
    double start = NowMilliseconds();
    EXPECT_TRUE(PumpingDelay(1));  // the runner's pause between polls
    double oneMillisecond = MillisecondsSince(start);
    EXPECT_GE(oneMillisecond, 0.5);
    EXPECT_LT(oneMillisecond, 100);

    start = NowMilliseconds();
    EXPECT_TRUE(PumpingDelay(5, 4));  // unit 4 is 4 ms per step
    double twentyMilliseconds = MillisecondsSince(start);
    EXPECT_GE(twentyMilliseconds, 19.5);
    EXPECT_LT(twentyMilliseconds, 500);

    start = NowMilliseconds();
    EXPECT_TRUE(PumpingDelay(-2, -3));  // -2 steps of -3 ms
    EXPECT_GE(MillisecondsSince(start), 5.5);
}

TEST_F(ResponsiveDelayTest, PumpingDelayReturnsAtOnceForNoPositiveTime) {
    double start = NowMilliseconds();
    EXPECT_TRUE(PumpingDelay(std::nullopt, 1));
    EXPECT_TRUE(PumpingDelay(0));
    EXPECT_TRUE(PumpingDelay(2, -3));
    EXPECT_TRUE(PumpingDelay(-1, 3));
    EXPECT_LT(MillisecondsSince(start), 100);
}

TEST_F(ResponsiveDelayTest, PumpingDelayDispatchesMessagesAsTheyArriveAndLeavesQuitQueued) {
    recorder.QuitOnNextMessage(5);
    HWND window = recorder.window();
    std::thread user([window] {
        Sleep(50);
        PostMessageA(window, MessageRecorder::kRecorded, 0, 0);
    });
    double start = NowMilliseconds();
    double processorBefore = ThreadProcessorMilliseconds();
    EXPECT_TRUE(PumpingDelay(400));
    double processor = ThreadProcessorMilliseconds() - processorBefore;
    double elapsed = MillisecondsSince(start);
    user.join();

    EXPECT_EQ(recorder.handled(), 1);
    EXPECT_LT(recorder.lastHandled() - start, 300);
    EXPECT_GE(elapsed, 399);  // neither the message nor the quit ended the wait early
    EXPECT_LT(processor, elapsed * 0.5) << "the wait spun on the queued quit";
    WPARAM quitCode = 0;
    EXPECT_TRUE(DrainThreadQueue(&quitCode));
    EXPECT_EQ(quitCode, 5u);
}

TEST_F(ResponsiveDelayTest, TimerWaitEndsWhenTheWaitFails) {
    EXPECT_TRUE(FinishesWithin(5000, [] { WaitForTimerDispatchingMessages(nullptr); }))
        << "the failed wait was taken for the arrival of messages";
}

TEST_F(ResponsiveDelayTest, TickPumpingDelayOfNothingReturnsWithoutDispatching) {
    PostRecorded(1);
    double start = NowMilliseconds();
    TickPumpingDelay(0);
    TickPumpingDelay(-50);
    EXPECT_LT(MillisecondsSince(start), 20);
    EXPECT_EQ(recorder.handled(), 0);
}

TEST_F(ResponsiveDelayTest, TickPumpingDelayDispatchesUntilTheTickCountPassesItsCount) {
    PostRecorded(2);
    DWORD startTick = GetTickCount();
    double start = NowMilliseconds();
    TickPumpingDelay(50);
    DWORD endTick = GetTickCount();
    EXPECT_GT(endTick - startTick, 50u);
    EXPECT_LT(MillisecondsSince(start), 500);
    EXPECT_EQ(recorder.handled(), 2);
}
}  // namespace

namespace {
TEST_F(ResponsiveDelayTest, NestedPumpingDelaysKeepTheirOwnTimes) {
    // A handler that runs during a wait waits itself; each wait ends at its own time.
    double innerTook = 0;
    recorder.DoOnNextMessage([&innerTook] {
        double innerStart = NowMilliseconds();
        PumpingDelay(150);
        innerTook = MillisecondsSince(innerStart);
    });
    PostMessageA(recorder.window(), MessageRecorder::kRecorded, 0, 0);
    double start = NowMilliseconds();
    EXPECT_TRUE(PumpingDelay(60));
    double outerTook = MillisecondsSince(start);
    EXPECT_EQ(recorder.handled(), 1);
    EXPECT_GE(innerTook, 149.5);
    EXPECT_GE(outerTook, innerTook);  // the inner wait completes before the outer one goes on
    EXPECT_LT(outerTook, 2000);

    // Waits one after another still last their own time when timers are reused.
    for (int i = 0; i < 3; ++i) {
        start = NowMilliseconds();
        EXPECT_TRUE(PumpingDelay(30));
        EXPECT_GE(MillisecondsSince(start), 29.5);
    }
}
}  // namespace
