#include "platform/CCountingSemaphore.h"
#include "platform/CManualResetEvent.h"
#include "platform/CSemLock.h"
#include "platform/CThread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <vector>

using namespace std::chrono_literals;

TEST(SemLock, ExcludesUnderContentionFromManyThreads) {
    constexpr int Threads = 8;
    constexpr int Rounds = 20000;
    CSemLock lock;
    // Deliberately not atomic: the lock alone must keep the read-modify-write
    // whole, and a second thread inside the section is caught by `inside`.
    long counter = 0;
    std::atomic<int> inside{0};
    std::atomic<bool> overlapped{false};
    {
        std::vector<CThread> threads;
        for (int t = 0; t < Threads; ++t) {
            threads.emplace_back([&] {
                for (int i = 0; i < Rounds; ++i) {
                    CSemLockGuard guard(lock);
                    if (inside.fetch_add(1) != 0)
                        overlapped = true;
                    ++counter;
                    inside.fetch_sub(1);
                }
            });
        }
    }
    EXPECT_FALSE(overlapped);
    EXPECT_EQ(counter, long{Threads} * Rounds);
}

TEST(SemLock, WaiterProceedsOnlyAfterRelease) {
    CSemLock lock;
    CManualResetEvent acquired;
    std::atomic<bool> released{false};
    lock.Lock();
    CThread waiter([&] {
        CSemLockGuard guard(lock);
        EXPECT_TRUE(released.load());
        acquired.Set();
    });
    EXPECT_FALSE(acquired.WaitFor(20ms));
    released = true;
    lock.Unlock();
    acquired.Wait();
}

TEST(ManualResetEvent, StaysSignalledForEveryWaiterUntilReset) {
    CManualResetEvent event;
    std::atomic<int> woke{0};
    {
        std::vector<CThread> waiters;
        for (int i = 0; i < 4; ++i)
            waiters.emplace_back([&] {
                event.Wait();
                ++woke;
            });
        event.Set();
    }
    EXPECT_EQ(woke, 4);
    EXPECT_TRUE(event.IsSet());
    event.Reset();
    EXPECT_FALSE(event.WaitFor(1ms));
}

TEST(CountingSemaphore, RefusesReleasePastMaximum) {
    CCountingSemaphore semaphore(1, 2);
    EXPECT_TRUE(semaphore.Release());
    EXPECT_FALSE(semaphore.Release());
    EXPECT_TRUE(semaphore.AcquireFor(0ms));
    EXPECT_TRUE(semaphore.AcquireFor(0ms));
    EXPECT_FALSE(semaphore.AcquireFor(1ms));
}

TEST(CountingSemaphore, ReleaseFromAnotherThreadWakesWaiter) {
    CCountingSemaphore semaphore(0, 1);
    CThread releaser([&] { EXPECT_TRUE(semaphore.Release()); });
    semaphore.Acquire();
}
