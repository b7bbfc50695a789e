#include "platform/CManualResetEvent.h"

void CManualResetEvent::Set() {
    {
        CMutexGuard lock(m_mutex);
        m_set = true;
    }
    m_cond.notify_all();
}

void CManualResetEvent::Reset() {
    CMutexGuard lock(m_mutex);
    m_set = false;
}

bool CManualResetEvent::IsSet() const {
    CMutexGuard lock(m_mutex);
    return m_set;
}

void CManualResetEvent::Wait() {
    CMutexGuard lock(m_mutex);
    m_cond.wait(m_mutex, [this]() REQUIRES(m_mutex) { return m_set; });
}

bool CManualResetEvent::WaitFor(std::chrono::milliseconds timeout) {
    CMutexGuard lock(m_mutex);
    return m_cond.wait_for(m_mutex, timeout, [this]() REQUIRES(m_mutex) { return m_set; });
}
