#include "platform/Sync.h"

namespace platform {

void Lock::acquire()
{
    std::unique_lock<std::mutex> lock(mutex_);
    released_.wait(lock, [this] { return free_; });
    free_ = false;
}

bool Lock::try_acquire_for(std::chrono::milliseconds timeout)
{
    std::unique_lock<std::mutex> lock(mutex_);
    // A free lock is taken without reading the clock (the timed wait reads it
    // first, a system call on some machines), and a zero wait only looks.
    if (free_ || timeout <= std::chrono::milliseconds::zero()) {
        const bool taken = free_;
        free_ = false;
        return taken;
    }
    if (!released_.wait_for(lock, timeout, [this] { return free_; })) {
        return false;
    }
    free_ = false;
    return true;
}

void Lock::release()
{
    {
        std::lock_guard<std::mutex> guard(mutex_);
        free_ = true;
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
