#pragma once

#include "platform/CManualResetEvent.h"
#include "platform/CThread.h"

#include <atomic>
#include <chrono>
#include <functional>

class CLayoutEngine;

// The layout thread of one view: it runs passes of the pending layout while
// there is something new to lay out, and sleeps on the wake event between
// them. Only one runs per view: Start always stops the previous one first.
// Start, Stop and the destructor belong to the UI thread; Wake and
// SetPageComplete may be called from any thread.
class CLayoutRunner {
public:
    // progress is called from the layout thread as it ends, once Finished
    // is true, so that the view's progress step runs once more on the UI
    // thread and sees the end.
    explicit CLayoutRunner(std::function<void()> progress);
    ~CLayoutRunner();
    CLayoutRunner(const CLayoutRunner&) = delete;
    CLayoutRunner& operator=(const CLayoutRunner&) = delete;

    // layout must live until Stop returns or the thread has finished.
    void Start(CLayoutEngine& layout);
    // Ends the thread, if one runs, and waits for it.
    void Stop();
    void Wake() { m_wake.Set(); }

    // The page's content object has finished loading: once a pass reaches
    // the end of the element list, nothing more will arrive.
    void SetPageComplete(bool complete) {
        m_pageComplete.store(complete, std::memory_order_release);
    }
    [[nodiscard]] bool PageComplete() const {
        return m_pageComplete.load(std::memory_order_acquire);
    }
    // The thread's passes are over (or none was started); its last progress
    // call may still be on its way.
    [[nodiscard]] bool Finished() const { return m_done.load(std::memory_order_acquire); }
    // The last progress call has returned too, so whatever it announced is
    // visible to a thread that sees this true (or none was started).
    [[nodiscard]] bool Ended() const { return m_ended.load(std::memory_order_acquire); }

private:
    // How soon a layout that has caught up with an arriving page looks for
    // more, while there is more.
    static constexpr std::chrono::milliseconds FollowInterval{1};
    // Looks that find nothing new wait longer, up to this; then the view's
    // wake-up.
    static constexpr std::chrono::milliseconds LongestFollow{8};

    void Run(CLayoutEngine& layout);

    std::function<void()> m_progress;
    CManualResetEvent m_wake;
    // Plain words between the UI thread and the layout thread.
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_done{true};
    std::atomic<bool> m_ended{true};
    std::atomic<bool> m_pageComplete{false};
    CLayoutEngine* m_layout = nullptr; // the layout the thread builds; UI thread
    CThread m_thread;                  // last: joined before the rest goes
};
