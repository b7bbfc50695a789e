#include "platform/CMessageQueue.h"
#include "platform/CNamedEvent.h"
#include "platform/CThread.h"
#include "platform/CUiLoop.h"
#include "ui/headless/CHeadlessInput.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Long enough that a test passing through the timeout path instead of the
// doorbell would hit the test's own time limit rather than pass by luck.
constexpr int NeverTimesOut = 10 * 60 * 1000;
constexpr int TimesOutAtOnce = 1;

struct Trace {
    std::vector<std::string> steps;
    void Add(std::string step) { steps.push_back(std::move(step)); }
};

class RecordingTarget final : public CMessageTarget {
public:
    void OnMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) override {
        received.push_back({message, wParam, lParam});
    }
    struct Received {
        uint32_t message;
        uintptr_t wParam;
        intptr_t lParam;
    };
    std::vector<Received> received;
};

} // namespace

TEST(UiLoop, NamedEventSignalledFromWorkerIsServicedWithoutInput) {
    CHeadlessInput input;
    uint32_t seenArgument = 0;
    CNamedEvent event(
        [&](uint32_t argument) {
            seenArgument = argument;
            PostQuitMessage(7);
        },
        42, "TestNotify");
    CUiLoop loop(
        input, [](long) { return false; }, NeverTimesOut);
    CThread worker([] { FindNamedEvent("TestNotify")->Signal(); });
    EXPECT_EQ(loop.Run(), 7);
    EXPECT_EQ(seenArgument, 42u);
    EXPECT_FALSE(event.IsSignalled()) << "the loop resets an event before its callback";
}

TEST(UiLoop, FindNamedEventIsExactAndFirstWins) {
    CNamedEvent first(nullptr, 1, "Notify");
    CNamedEvent second(nullptr, 2, "Notify");
    EXPECT_EQ(FindNamedEvent("Notify"), &first);
    EXPECT_EQ(FindNamedEvent("notify"), nullptr);
    EXPECT_EQ(FindNamedEvent("Notif"), nullptr);
}

TEST(UiLoop, DestroyedEventLeavesTheTable) {
    auto before = NamedEvents().size();
    {
        CNamedEvent event(nullptr, 0, "Gone");
        EXPECT_EQ(NamedEvents().size(), before + 1);
    }
    EXPECT_EQ(NamedEvents().size(), before);
    EXPECT_EQ(FindNamedEvent("Gone"), nullptr);
}

TEST(UiLoop, EventOutcomeCallsIdleWithZero) {
    CHeadlessInput input;
    Trace trace;
    CNamedEvent event([&](uint32_t) { trace.Add("event"); }, 0, "Idle0");
    event.Signal();
    CUiLoop loop(
        input,
        [&](long count) {
            trace.Add("idle" + std::to_string(count));
            PostQuitMessage(0);
            return false;
        },
        NeverTimesOut);
    loop.Run();
    EXPECT_EQ(trace.steps, (std::vector<std::string>{"event", "idle0"}));
}

TEST(UiLoop, IdleRunsOnceAfterInputDrainsThenRepeatsOnTimeout) {
    CHeadlessInput input;
    Trace trace;
    input.Queue([&] { trace.Add("in1"); });
    input.Queue([&] { trace.Add("in2"); });
    int calls = 0;
    CUiLoop loop(
        input,
        [&](long count) {
            trace.Add("idle" + std::to_string(count));
            // On timeout the handler keeps being called with a growing count
            // until it answers false.
            if (++calls == 4)
                PostQuitMessage(0);
            return calls == 1 ? false : count < 2;
        },
        TimesOutAtOnce);
    loop.Run();
    EXPECT_EQ(trace.steps,
              (std::vector<std::string>{"in1", "in2", "idle0", "idle0", "idle1", "idle2"}));
}

TEST(UiLoop, PumpsAtMostFiftyAndIdlesOnlyWhenQueueIsEmpty) {
    CHeadlessInput input;
    Trace trace;
    constexpr int Inputs = 120;
    for (int i = 0; i < Inputs; ++i)
        input.Queue([&] { trace.Add("in"); });
    CUiLoop loop(
        input,
        [&](long count) {
            trace.Add("idle" + std::to_string(count));
            PostQuitMessage(0);
            return false;
        },
        NeverTimesOut);
    loop.Run();
    ASSERT_EQ(trace.steps.size(), Inputs + 1u);
    EXPECT_EQ(trace.steps.back(), "idle0");
}

TEST(UiLoop, InputThatDoesNotCountForIdleKeepsTheCountGrowing) {
    CHeadlessInput input;
    Trace trace;
    input.Queue([&] { trace.Add("click"); });
    CUiLoop loop(
        input,
        [&](long count) {
            trace.Add("idle" + std::to_string(count));
            if (count == 0) {
                input.Queue([&] { trace.Add("paint"); }, CHeadlessInput::Kind::NotIdle);
                return true;
            }
            PostQuitMessage(0);
            return false;
        },
        NeverTimesOut);
    loop.Run();
    EXPECT_EQ(trace.steps, (std::vector<std::string>{"click", "idle0", "paint", "idle1"}));
}

TEST(UiLoop, ToolkitQuitEndsTheLoop) {
    CHeadlessInput input;
    input.QueueQuit();
    CUiLoop loop(
        input, [](long) { return false; }, NeverTimesOut);
    EXPECT_EQ(loop.Run(), 0);
}

TEST(PostMessage, ReachesTargetOnUiThreadInOrder) {
    CHeadlessInput input;
    RecordingTarget target;
    TargetHandle handle = target.Handle();
    {
        CThread worker([handle] {
            PostMessage(handle, WM_USER + 100, 1, -1);
            PostMessage(handle, WM_USER + 101, 2, -2);
            PostQuitMessage(3);
        });
    }
    CUiLoop loop(
        input, [](long) { return false; }, NeverTimesOut);
    EXPECT_EQ(loop.Run(), 3);
    ASSERT_EQ(target.received.size(), 2u);
    EXPECT_EQ(target.received[0].message, WM_USER + 100);
    EXPECT_EQ(target.received[0].lParam, -1);
    EXPECT_EQ(target.received[1].message, WM_USER + 101);
    EXPECT_EQ(target.received[1].wParam, 2u);
}

TEST(PostMessage, MessageToDestroyedTargetIsDropped) {
    CHeadlessInput input;
    auto target = std::make_unique<RecordingTarget>();
    PostMessage(target->Handle(), WM_USER + 101, 0, 0);
    target.reset();
    auto replacement = std::make_unique<RecordingTarget>();
    PostQuitMessage(0);
    CUiLoop loop(
        input, [](long) { return false; }, NeverTimesOut);
    loop.Run();
    EXPECT_TRUE(replacement->received.empty()) << "a handle is never reused for a new target";
}
