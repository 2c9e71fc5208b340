#include "platform/Sync.h"

namespace platform {

namespace {

// A lock held for a callback or a queue insert is free again within a few
// microseconds: a taker looks this many times before it sleeps, which spares
// two threads that pass it back and forth a system call each way.
constexpr int kSpinsBeforeSleep = 100;

void CpuRelax()
{
#if defined(__x86_64__) || defined(__i386__)
    __builtin_ia32_pause();
#endif
}

}  // namespace

bool Lock::SpinTake()
{
    for (int spin = 0; spin < kSpinsBeforeSleep; ++spin) {
        if (TryTake()) {
            return true;
        }
        CpuRelax();
    }
    return false;
}

void Lock::acquire()
{
    if (TryTake() || SpinTake()) {
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
    if (SpinTake()) {
        return true;
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
