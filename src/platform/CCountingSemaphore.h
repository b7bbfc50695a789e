#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>

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
    std::mutex m_mutex;
    std::condition_variable m_cond;
    int32_t m_count; // guarded by m_mutex
    const int32_t m_maximum;
};
