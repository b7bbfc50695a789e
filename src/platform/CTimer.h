#pragma once

#include <cstdint>
#include <functional>

// A timer whose callback runs on the UI thread, every interval, until the
// timer goes; it stands in for window timers. A helper thread keeps the
// deadlines and signals a named event, so the UI loop of either backend
// runs the callbacks between its other work. A late callback is not run
// twice to catch up. Timers are made and destroyed on the UI thread.
class CTimer {
public:
    using Callback = std::function<void()>;

    CTimer() = default;
    // interval in milliseconds; 0 counts as 1.
    CTimer(uint32_t interval, Callback callback);
    ~CTimer();
    CTimer(CTimer&& other) noexcept;
    CTimer& operator=(CTimer&& other) noexcept;
    CTimer(const CTimer&) = delete;
    CTimer& operator=(const CTimer&) = delete;

    [[nodiscard]] bool IsRunning() const { return m_id != 0; }
    void Stop();

private:
    uint64_t m_id = 0;
};
