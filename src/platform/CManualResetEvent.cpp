#include "platform/CManualResetEvent.h"

void CManualResetEvent::Set() {
    {
        std::lock_guard lock(m_mutex);
        m_set = true;
    }
    m_cond.notify_all();
}

void CManualResetEvent::Reset() {
    std::lock_guard lock(m_mutex);
    m_set = false;
}

bool CManualResetEvent::IsSet() const {
    std::lock_guard lock(m_mutex);
    return m_set;
}

void CManualResetEvent::Wait() {
    std::unique_lock lock(m_mutex);
    m_cond.wait(lock, [this] { return m_set; });
}

bool CManualResetEvent::WaitFor(std::chrono::milliseconds timeout) {
    std::unique_lock lock(m_mutex);
    return m_cond.wait_for(lock, timeout, [this] { return m_set; });
}
