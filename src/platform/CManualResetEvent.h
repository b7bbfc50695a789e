#pragma once

#include "platform/CMutex.h"

#include <chrono>
#include <condition_variable>

// An event that stays signalled until it is reset; every waiter wakes.
class CManualResetEvent {
public:
    CManualResetEvent() = default;
    CManualResetEvent(const CManualResetEvent&) = delete;
    CManualResetEvent& operator=(const CManualResetEvent&) = delete;

    void Set();
    void Reset();
    bool IsSet() const;
    void Wait();
    // True when the event was signalled before the time ran out.
    [[nodiscard]] bool WaitFor(std::chrono::milliseconds timeout);

private:
    mutable CMutex m_mutex;
    std::condition_variable_any m_cond;
    bool m_set GUARDED_BY(m_mutex) = false;
};
