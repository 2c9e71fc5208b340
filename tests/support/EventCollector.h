// An event sink that keeps every event posted to it.
#pragma once

#include <mutex>
#include <vector>

#include "base/EventSink.h"

class EventCollector final : public EventSink {
public:
    uint32_t Post(const ZAQ16_EVENT& event) override
    {
        std::lock_guard<std::mutex> guard(mutex_);
        events_.push_back(event);
        return 0;
    }
    std::vector<ZAQ16_EVENT> Events() const
    {
        std::lock_guard<std::mutex> guard(mutex_);
        return events_;
    }
    void Clear()
    {
        std::lock_guard<std::mutex> guard(mutex_);
        events_.clear();
    }

private:
    mutable std::mutex mutex_;
    std::vector<ZAQ16_EVENT> events_;
};
