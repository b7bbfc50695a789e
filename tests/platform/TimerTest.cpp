#include "platform/CMessageQueue.h"
#include "platform/CTimer.h"
#include "platform/CUiLoop.h"
#include "ui/headless/CHeadlessInput.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

// Ends a loop that nothing else would end within a test's time limit.
constexpr int NeverTimesOut = 10 * 60 * 1000;

int RunLoop() {
    CHeadlessInput input;
    CUiLoop loop(
        input, [](long) { return false; }, NeverTimesOut);
    return loop.Run();
}

TEST(Timer, RunsOnTheLoopUntilStopped) {
    int ticks = 0;
    std::optional<CTimer> timer;
    timer.emplace(2, [&] {
        if (++ticks == 3) {
            timer->Stop();
            PostQuitMessage(0);
        }
    });
    EXPECT_EQ(RunLoop(), 0);
    EXPECT_EQ(ticks, 3);
    EXPECT_FALSE(timer->IsRunning());
}

TEST(Timer, AStoppedOrMovedTimerNeverRuns) {
    int stoppedTicks = 0;
    int movedTicks = 0;
    CTimer stopped(1, [&] { ++stoppedTicks; });
    stopped.Stop();
    CTimer moved(1, [&] { ++movedTicks; });
    CTimer target = std::move(moved);
    target = CTimer(); // the moved timer goes with this assignment
    int ticks = 0;
    CTimer ender(5, [&] {
        if (++ticks == 2)
            PostQuitMessage(0);
    });
    EXPECT_EQ(RunLoop(), 0);
    EXPECT_EQ(stoppedTicks, 0);
    EXPECT_EQ(movedTicks, 0);
    EXPECT_FALSE(moved.IsRunning());
}

} // namespace
