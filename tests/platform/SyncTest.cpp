// The library's count-1 lock: taken without a wait when free, a zero wait only
// looks, a timed wait ends, and a release always reaches a thread waiting for it,
// also while other threads take and release it at the same time.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "platform/Sync.h"

namespace {

using namespace std::chrono_literals;

TEST(Lock, FreeLockIsTakenOnceAndAZeroWaitOnlyLooks)
{
    platform::Lock lock{1};
    EXPECT_TRUE(lock.try_acquire_for(0ms));
    EXPECT_FALSE(lock.try_acquire_for(0ms));
    lock.release();
    EXPECT_TRUE(platform::AcquireWithin(lock, 0));
    lock.release();

    platform::Lock taken{0};
    EXPECT_FALSE(taken.try_acquire_for(0ms));
    taken.release();
    EXPECT_TRUE(taken.try_acquire_for(0ms));
}

TEST(Lock, TimedWaitOnAHeldLockEndsWithoutTakingIt)
{
    platform::Lock lock{0};
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(platform::AcquireWithin(lock, 50));
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_GE(waited, 45ms);
    EXPECT_LT(waited, 5s);
    lock.release();
    EXPECT_TRUE(platform::AcquireWithin(lock, 0));
}

TEST(Lock, ReleaseWakesAThreadThatWaitsAndOneThatHasGivenUpDoesNotTakeIt)
{
    platform::Lock lock{0};
    std::atomic<bool> gaveUp{false};
    std::thread impatient([&] { gaveUp = !platform::AcquireWithin(lock, 20); });
    impatient.join();
    EXPECT_TRUE(gaveUp);

    std::atomic<bool> taken{false};
    std::thread waiter([&] { taken = platform::AcquireWithin(lock, 10000); });
    std::this_thread::sleep_for(50ms);  // most likely asleep by now; either way it must get the lock
    const auto start = std::chrono::steady_clock::now();
    lock.release();
    waiter.join();
    EXPECT_TRUE(taken);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
    EXPECT_FALSE(lock.try_acquire_for(0ms));  // the waiter holds it
}

// Threads pass the lock back and forth with short holds, some waiting without a
// bound, some with one: no release may be missed (a missed one shows as a wait
// running to its 10 s end), and only one thread is ever inside.
TEST(Lock, ManyThreadsTakingAndReleasingNeverShareItNorMissARelease)
{
    platform::Lock lock{1};
    constexpr int kThreads = 6;
    constexpr int kRounds = 5000;
    std::atomic<int> inside{0};
    std::atomic<int> overlaps{0};
    std::atomic<int> timedOut{0};
    int counter = 0;  // guarded by `lock`
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            for (int round = 0; round < kRounds; ++round) {
                if (t % 2 == 0) {
                    lock.acquire();
                } else if (!platform::AcquireWithin(lock, 10000)) {
                    ++timedOut;
                    continue;
                }
                if (inside.fetch_add(1) != 0) {
                    ++overlaps;
                }
                ++counter;
                if (round % 64 == 0) {
                    std::this_thread::yield();  // a holder that is switched out while others wait
                }
                inside.fetch_sub(1);
                lock.release();
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(timedOut, 0);
    EXPECT_EQ(overlaps, 0);
    EXPECT_EQ(counter, kThreads * kRounds);
    EXPECT_TRUE(lock.try_acquire_for(0ms));
}

}  // namespace
