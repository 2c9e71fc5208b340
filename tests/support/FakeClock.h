// A millisecond tick that moves only when the test says so, and the timers it drives.
#pragma once

#include <atomic>

#include "platform/Clock.h"
#include "platform/TimerQueue.h"

class FakeClock final : public platform::Clock {
public:
    uint32_t Now() const override { return now_.load(); }
    void Advance(uint32_t milliseconds) { now_ += milliseconds; }
    void Set(uint32_t now) { now_ = now; }

private:
    std::atomic<uint32_t> now_{1000};
};


// Moves `clock` by `milliseconds`, running each of `timers`' routines when it
// falls due, as a reader thread does between packets.
inline void AdvanceWithTimers(FakeClock& clock, platform::TimerQueue& timers, uint32_t milliseconds)
{
    for (;;) {
        const int64_t next = timers.MsUntilNextDue();
        if (next < 0 || next > milliseconds) {
            break;
        }
        clock.Advance(static_cast<uint32_t>(next));
        milliseconds -= static_cast<uint32_t>(next);
        timers.RunDue();
    }
    clock.Advance(milliseconds);
}
