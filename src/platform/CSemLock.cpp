#include "platform/CSemLock.h"

#include <thread>

// The primitive itself: the analysis takes Lock and Unlock at their word.
void CSemLock::Lock() NO_THREAD_SAFETY_ANALYSIS {
    if (m_count.fetch_add(1, std::memory_order_acq_rel) + 1 > 0)
        m_sem.acquire();
}

void CSemLock::Unlock() NO_THREAD_SAFETY_ANALYSIS {
    if (m_count.fetch_sub(1, std::memory_order_acq_rel) - 1 >= 0) {
        m_sem.release();
        // Hand the processor to the waiter we just released, so that a thread
        // looping over Lock/Unlock cannot starve it.
        std::this_thread::yield();
    }
}
