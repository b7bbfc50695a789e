#include "platform/CCountingSemaphore.h"

#include "platform/Verify.h"

CCountingSemaphore::CCountingSemaphore(int32_t initial, int32_t maximum)
    : m_count(initial), m_maximum(maximum) {
    VERIFY(initial >= 0 && maximum > 0 && initial <= maximum);
}

void CCountingSemaphore::Acquire() {
    CMutexGuard lock(m_mutex);
    m_cond.wait(m_mutex, [this]() REQUIRES(m_mutex) { return m_count > 0; });
    --m_count;
}

bool CCountingSemaphore::AcquireFor(std::chrono::milliseconds timeout) {
    CMutexGuard lock(m_mutex);
    if (!m_cond.wait_for(m_mutex, timeout, [this]() REQUIRES(m_mutex) { return m_count > 0; }))
        return false;
    --m_count;
    return true;
}

bool CCountingSemaphore::Release(int32_t count) {
    {
        CMutexGuard lock(m_mutex);
        if (count <= 0 || count > m_maximum - m_count)
            return false;
        m_count += count;
    }
    m_cond.notify_all();
    return true;
}
