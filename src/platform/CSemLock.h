#pragma once

#include "platform/ThreadSafety.h"

#include <atomic>
#include <cstdint>

// The lock of every structure shared between threads. A counter starting at -1
// tells the uncontended case apart without a system call; only a
// thread that finds the lock taken blocks on it. Not re-entrant.
//
// Locks are taken in one order (docs/architecture.md): the layout's page,
// a document's inline table and its queue of requests, the object table, a
// load, a content object, the scheduler, a text store, the settings, a
// socket's error text.
class CAPABILITY("mutex") CSemLock {
public:
    CSemLock() = default;
    CSemLock(const CSemLock&) = delete;
    CSemLock& operator=(const CSemLock&) = delete;

    void Lock() ACQUIRE();
    void Unlock() RELEASE();

private:
    std::atomic<int32_t> m_count{-1};
    // Hand-overs not yet taken by a waiter (0 or 1): the futex word.
    std::atomic<int32_t> m_tokens{0};
};

// Scoped holder, so that no early return leaves a structure locked.
class SCOPED_CAPABILITY CSemLockGuard {
public:
    explicit CSemLockGuard(CSemLock& lock) ACQUIRE(lock) : m_lock(lock) { m_lock.Lock(); }
    ~CSemLockGuard() RELEASE() { m_lock.Unlock(); }
    CSemLockGuard(const CSemLockGuard&) = delete;
    CSemLockGuard& operator=(const CSemLockGuard&) = delete;

private:
    CSemLock& m_lock;
};
