// Synchronisation objects with bounded waits.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace platform {

// A semaphore of count 1 (initially free, or taken with a count of 0), as the
// library's locks are. Built on a mutex and a condition variable: the standard
// semaphores of this toolchain can miss a release under contention and let a
// timed wait run to its end.
class Lock {
public:
    explicit Lock(int count = 1) : free_(count > 0) {}
    Lock(const Lock&) = delete;
    Lock& operator=(const Lock&) = delete;

    void acquire();
    bool try_acquire_for(std::chrono::milliseconds timeout);
    void release();

private:
    std::mutex mutex_;
    std::condition_variable released_;
    bool free_;
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
