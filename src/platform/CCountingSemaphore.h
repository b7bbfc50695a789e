#pragma once

#include "platform/CMutex.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>

// A semaphore with a maximum count, as the original platform offered: a
// release that would pass the maximum fails and changes nothing.
class CCountingSemaphore {
public:
    CCountingSemaphore(int32_t initial, int32_t maximum);
    CCountingSemaphore(const CCountingSemaphore&) = delete;
    CCountingSemaphore& operator=(const CCountingSemaphore&) = delete;

    void Acquire();
    [[nodiscard]] bool AcquireFor(std::chrono::milliseconds timeout);
    [[nodiscard]] bool Release(int32_t count = 1);

private:
    CMutex m_mutex;
    std::condition_variable_any m_cond;
    int32_t m_count GUARDED_BY(m_mutex);
    const int32_t m_maximum;
};
