#include "platform/CThread.h"

CThread& CThread::operator=(CThread&& other) noexcept {
    if (this != &other) {
        Join();
        m_thread = std::move(other.m_thread);
    }
    return *this;
}

void CThread::Join() {
    if (m_thread.joinable())
        m_thread.join();
}
