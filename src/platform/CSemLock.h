#pragma once

#include <atomic>
#include <cstdint>
#include <semaphore>

// The lock of every structure shared between threads. A counter starting at -1
// tells the uncontended case apart without touching the semaphore; only a
// thread that finds the lock taken blocks on it. Not re-entrant.
class CSemLock {
public:
    CSemLock() = default;
    CSemLock(const CSemLock&) = delete;
    CSemLock& operator=(const CSemLock&) = delete;

    void Lock();
    void Unlock();

private:
    std::binary_semaphore m_sem{0};
    std::atomic<int32_t> m_count{-1};
};

// Scoped holder, so that no early return leaves a structure locked.
class CSemLockGuard {
public:
    explicit CSemLockGuard(CSemLock& lock) : m_lock(lock) { m_lock.Lock(); }
    ~CSemLockGuard() { m_lock.Unlock(); }
    CSemLockGuard(const CSemLockGuard&) = delete;
    CSemLockGuard& operator=(const CSemLockGuard&) = delete;

private:
    CSemLock& m_lock;
};
