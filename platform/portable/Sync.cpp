#include "platform/Sync.h"

namespace platform {

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
