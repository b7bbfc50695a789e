#include "platform/CSemLock.h"

#include <climits>
#include <linux/futex.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

// A futex wait and wake on the word itself. The library's semaphore spins
// with sched_yield before it sleeps, a system call per turn on exactly the
// hand-overs this lock exists to make cheap.
void FutexWait(std::atomic<int32_t>& word, int32_t expected) {
    syscall(SYS_futex, reinterpret_cast<int32_t*>(&word), FUTEX_WAIT_PRIVATE, expected, nullptr,
            nullptr, 0);
}

void FutexWake(std::atomic<int32_t>& word) {
    syscall(SYS_futex, reinterpret_cast<int32_t*>(&word), FUTEX_WAKE_PRIVATE, 1, nullptr, nullptr,
            0);
}

} // namespace

static_assert(sizeof(std::atomic<int32_t>) == sizeof(int32_t) &&
              std::atomic<int32_t>::is_always_lock_free);

// The primitive itself: the analysis takes Lock and Unlock at their word.
void CSemLock::Lock() NO_THREAD_SAFETY_ANALYSIS {
    if (m_count.fetch_add(1, std::memory_order_acq_rel) + 1 <= 0)
        return;
    // Taken: wait for the token the holder's Unlock hands over.
    for (;;) {
        int32_t tokens = m_tokens.load(std::memory_order_acquire);
        if (tokens > 0) {
            if (m_tokens.compare_exchange_weak(tokens, tokens - 1, std::memory_order_acq_rel))
                return;
            continue;
        }
        FutexWait(m_tokens, 0);
    }
}

void CSemLock::Unlock() NO_THREAD_SAFETY_ANALYSIS {
    // A waiter is owed the lock: hand it a token. The lock passes straight to
    // it, so this thread cannot take it back first and starve the waiter.
    if (m_count.fetch_sub(1, std::memory_order_acq_rel) - 1 >= 0) {
        m_tokens.fetch_add(1, std::memory_order_release);
        FutexWake(m_tokens);
    }
}
