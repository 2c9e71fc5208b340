// The bounded queue between the library's callback (which must never wait on
// the network) and the publisher thread. When it is full, new events are
// dropped and counted.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <vector>

#include "BridgeEvent.h"

class EventBuffer {
public:
    explicit EventBuffer(size_t capacity) : capacity_(capacity) {}

    // Never blocks beyond the buffer's own lock; false when the event was dropped.
    bool Push(BridgeEvent&& event);
    // Moves up to `most` of the oldest events into `out` (cleared first),
    // waiting up to `timeoutMs` for the first one; ends early on Wake().
    void TakeBatch(std::vector<BridgeEvent>& out, size_t most, uint32_t timeoutMs);
    // Waits up to `timeoutMs` until an event is there; ends early on Wake().
    void WaitForEvents(uint32_t timeoutMs);
    // Ends a TakeBatch or WaitForEvents that is waiting (or the next one to come).
    void Wake();

    size_t Size() const;
    uint64_t Dropped() const;

private:
    const size_t capacity_;
    mutable std::mutex lock_;
    std::condition_variable changed_;
    std::deque<BridgeEvent> events_;
    uint64_t dropped_ = 0;
    bool woken_ = false;
};
