// Synchronisation objects with bounded waits.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <semaphore>

namespace platform {

// A semaphore of count 1 (initially free), as the library's locks are.
using Lock = std::binary_semaphore;

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
