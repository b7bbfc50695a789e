#pragma once

#include "platform/ThreadSafety.h"

#include <mutex>

// A plain mutex the thread-safety analysis knows, for the platform's own
// short critical sections (queues, caches, events). Condition variables wait
// on it through std::condition_variable_any, which calls lock and unlock.
class CAPABILITY("mutex") CMutex {
public:
    CMutex() = default;
    CMutex(const CMutex&) = delete;
    CMutex& operator=(const CMutex&) = delete;

    void lock() ACQUIRE() { m_mutex.lock(); }
    void unlock() RELEASE() { m_mutex.unlock(); }

private:
    std::mutex m_mutex;
};

class SCOPED_CAPABILITY CMutexGuard {
public:
    explicit CMutexGuard(CMutex& mutex) ACQUIRE(mutex) : m_mutex(mutex) { m_mutex.lock(); }
    ~CMutexGuard() RELEASE() { m_mutex.unlock(); }
    CMutexGuard(const CMutexGuard&) = delete;
    CMutexGuard& operator=(const CMutexGuard&) = delete;

private:
    CMutex& m_mutex;
};
