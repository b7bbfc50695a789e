#include "view/CLayoutRunner.h"

#include "layout/CLayoutEngine.h"
#include "platform/CWakeFd.h"

CLayoutRunner::CLayoutRunner(std::function<void()> progress) : m_progress(std::move(progress)) {}

CLayoutRunner::~CLayoutRunner() {
    Stop();
}

void CLayoutRunner::Start(CLayoutEngine& layout) {
    Stop();
    m_layout = &layout;
    m_stop.store(false, std::memory_order_release);
    m_done.store(false, std::memory_order_release);
    m_ended.store(false, std::memory_order_release);
    m_thread = CThread([this, &layout] { Run(layout); });
}

void CLayoutRunner::Stop() {
    if (!m_done.load(std::memory_order_acquire)) {
        m_stop.store(true, std::memory_order_release);
        m_wake.Set();
        if (m_layout)
            m_layout->Stop();
    }
    m_thread.Join();
    m_layout = nullptr;
}

void CLayoutRunner::Run(CLayoutEngine& layout) {
    m_wake.Reset();
    ElementPosition reached = 0;
    std::chrono::milliseconds follow{0};
    while (!m_stop.load(std::memory_order_acquire)) {
        // The page is finished only when a pass reached the end after the
        // last data arrived; the second pass picks up what the first one
        // raced with.
        const bool caughtUp = layout.Pass(/*holdProgress=*/true);
        if (caughtUp && PageComplete() && layout.Pass())
            break;
        const bool moved = layout.Reached() != reached;
        reached = layout.Reached();
        // The page is arriving: look again in a moment rather than at the
        // view's wake-up, which comes at most once a frame; else the layout
        // ends up to a frame's work behind the data's end. A look that finds
        // nothing new waits twice as long for the next, so that a pause in
        // the data (a slow network) soon leaves the pace to the view, while a
        // parser held up for a millisecond or two is not lost for a frame.
        if (caughtUp && moved)
            follow = FollowInterval;
        else if (caughtUp && follow.count() > 0 && follow < LongestFollow)
            follow *= 2;
        else
            follow = std::chrono::milliseconds{0};
        // Waiting before resetting loses no wake-up: every pass starts after
        // the reset, so it sees whatever the wake announced.
        if (follow.count() > 0) {
            if (m_wake.WaitFor(follow))
                m_wake.Reset();
            continue;
        }
        layout.FlushProgress();
        m_wake.Wait();
        m_wake.Reset();
    }
    layout.FlushProgress();
    m_done.store(true, std::memory_order_release);
    m_progress();
    // Only now may the UI thread take the view for settled: before, it could
    // see the thread finished with the last progress not yet announced.
    m_ended.store(true, std::memory_order_release);
    // The UI loop may have looked between the two: let it look again now
    // rather than at its next idle time-out.
    UiWake().Ring();
}
