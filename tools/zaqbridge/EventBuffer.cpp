#include "EventBuffer.h"

#include <chrono>

bool EventBuffer::Push(BridgeEvent&& event)
{
    {
        std::lock_guard<std::mutex> guard(lock_);
        if (events_.size() >= capacity_) {
            ++dropped_;
            return false;
        }
        events_.push_back(std::move(event));
    }
    changed_.notify_one();
    return true;
}

void EventBuffer::TakeBatch(std::vector<BridgeEvent>& out, size_t most, uint32_t timeoutMs)
{
    out.clear();
    std::unique_lock<std::mutex> guard(lock_);
    changed_.wait_for(guard, std::chrono::milliseconds(timeoutMs), [this] { return !events_.empty() || woken_; });
    woken_ = false;
    while (!events_.empty() && out.size() < most) {
        out.push_back(std::move(events_.front()));
        events_.pop_front();
    }
}

void EventBuffer::WaitForEvents(uint32_t timeoutMs)
{
    std::unique_lock<std::mutex> guard(lock_);
    changed_.wait_for(guard, std::chrono::milliseconds(timeoutMs), [this] { return !events_.empty() || woken_; });
    woken_ = false;
}

void EventBuffer::Wake()
{
    {
        std::lock_guard<std::mutex> guard(lock_);
        woken_ = true;
    }
    changed_.notify_all();
}

size_t EventBuffer::Size() const
{
    std::lock_guard<std::mutex> guard(lock_);
    return events_.size();
}

uint64_t EventBuffer::Dropped() const
{
    std::lock_guard<std::mutex> guard(lock_);
    return dropped_;
}
