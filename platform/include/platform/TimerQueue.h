// One-shot timers owned by one thread: their routines run only when that
// thread calls RunDue(), so a routine never runs concurrently with the thread's
// other work. The thread's waits are bounded by MsUntilNextDue(), so a timer
// fires on time even while the thread is busy with other input.
//
// Not thread-safe: every call comes from the owning thread.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/Clock.h"

namespace platform {

class TimerQueue {
public:
    using Routine = void (*)(void* context);
    using TimerId = int;
    static constexpr TimerId kNoTimer = -1;

    explicit TimerQueue(const Clock& clock = SystemClock());

    // A new, unarmed timer.
    TimerId Create();
    // Arms (or re-arms, restarting the delay) a timer to run `routine(context)`
    // `delayMs` from now. False for an unknown timer.
    bool Set(TimerId timer, uint32_t delayMs, Routine routine, void* context);
    // Disarms a timer; it stays usable. False for an unknown timer.
    bool Cancel(TimerId timer);
    // Disarms and releases a timer.
    void Close(TimerId timer);

    // Runs the routines of every timer that is due, earliest first, and returns
    // how many ran. A routine may set, cancel or close timers (its own included).
    int RunDue();
    // Milliseconds until the next armed timer is due: 0 when one is due now,
    // -1 when none is armed.
    int64_t MsUntilNextDue() const;
    bool IsArmed(TimerId timer) const;
    size_t ArmedCount() const;
    // A background timer (a periodic housekeeping tick) is not counted by
    // PendingCount: work that waits for pending timers does not wait for it.
    void SetBackground(TimerId timer, bool background);
    size_t PendingCount() const;

    const Clock& clock() const { return *clock_; }
    // Takes its time from another clock from now on (tests hand in a fake one).
    void SetClock(const Clock& clock) { clock_ = &clock; }

private:
    struct Slot {
        bool inUse = false;
        bool armed = false;
        uint32_t due = 0;
        Routine routine = nullptr;
        void* context = nullptr;
        bool background = false;
    };
    bool Valid(TimerId timer) const;

    const Clock* clock_;
    std::vector<Slot> slots_;
    size_t armed_ = 0;  // lets the reader's every step skip the clock while nothing is armed
};

}  // namespace platform
