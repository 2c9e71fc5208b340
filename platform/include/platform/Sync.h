// Synchronisation objects with bounded waits.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace platform {

// A semaphore of count 1 (initially free, or taken with a count of 0), as the
// library's locks are. Waits are built on a mutex and a condition variable: the
// standard semaphores of this toolchain can miss a release under contention and
// let a timed wait run to its end. Taking a free lock, and releasing one nobody
// waits for, is a single atomic operation: the event path takes several locks
// per event.
class Lock {
public:
    explicit Lock(int count = 1) : free_(count > 0) {}
    Lock(const Lock&) = delete;
    Lock& operator=(const Lock&) = delete;

    void acquire();
    bool try_acquire_for(std::chrono::milliseconds timeout);
    void release();

private:
    bool TryTake()
    {
        // A taken lock is only looked at: no write to a line other threads read.
        bool expected = true;
        return free_.load(std::memory_order_relaxed) && free_.compare_exchange_strong(expected, false);
    }
    // Looks for a short while before the caller sleeps; true when taken.
    bool SpinTake();

    std::atomic<bool> free_;
    // Threads inside a wait; a release that sees none skips the mutex. Both
    // this count and `free_` use sequentially consistent order, so a waiter that
    // counted itself in either sees the release or is woken by it.
    std::atomic<int> waiters_{0};
    std::mutex mutex_;
    std::condition_variable released_;
};

// Takes `lock` within `milliseconds`; false when the wait timed out.
inline bool AcquireWithin(Lock& lock, uint32_t milliseconds)
{
    return lock.try_acquire_for(std::chrono::milliseconds(milliseconds));
}

// An auto-reset event: Set() leaves it signalled until one Wait() consumes it;
// Reset() clears a signal nobody consumed.
class AutoResetEvent {
public:
    void Set();
    void Reset();
    // True when the event was (or became) signalled within `milliseconds`.
    bool Wait(uint32_t milliseconds);

private:
    std::mutex mutex_;
    std::condition_variable signalled_;
    bool isSet_ = false;
};

}  // namespace platform
