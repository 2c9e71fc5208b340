#include "platform/Sync.h"

namespace platform {

void Lock::acquire()
{
    if (TryTake()) {
        return;
    }
    std::unique_lock<std::mutex> lock(mutex_);
    ++waiters_;
    released_.wait(lock, [this] { return TryTake(); });
    --waiters_;
}

bool Lock::try_acquire_for(std::chrono::milliseconds timeout)
{
    // A free lock is taken without reading the clock (the timed wait reads it
    // first, a system call on some machines), and a zero wait only looks.
    if (TryTake()) {
        return true;
    }
    if (timeout <= std::chrono::milliseconds::zero()) {
        return false;
    }
    std::unique_lock<std::mutex> lock(mutex_);
    ++waiters_;
    const bool taken = released_.wait_for(lock, timeout, [this] { return TryTake(); });
    --waiters_;
    return taken;
}

void Lock::release()
{
    free_.store(true);
    if (waiters_.load() == 0) {
        return;
    }
    // Taking the mutex orders this wake after a waiter's look at `free_`: a
    // waiter is either still to look (and finds the lock free) or asleep.
    {
        std::lock_guard<std::mutex> guard(mutex_);
    }
    released_.notify_one();
}

void AutoResetEvent::Set()
{
    {
        std::lock_guard<std::mutex> guard(mutex_);
        isSet_ = true;
    }
    signalled_.notify_one();
}

void AutoResetEvent::Reset()
{
    std::lock_guard<std::mutex> guard(mutex_);
    isSet_ = false;
}

bool AutoResetEvent::Wait(uint32_t milliseconds)
{
    std::unique_lock<std::mutex> lock(mutex_);
    if (!signalled_.wait_for(lock, std::chrono::milliseconds(milliseconds), [this] { return isSet_; })) {
        return false;
    }
    isSet_ = false;
    return true;
}

}  // namespace platform
