#include "platform/TimerQueue.h"

namespace platform {

namespace {
// Tick arithmetic that survives the 32-bit wrap (about every 49.7 days).
int32_t TicksUntil(uint32_t due, uint32_t now)
{
    return static_cast<int32_t>(due - now);
}
}  // namespace

TimerQueue::TimerQueue(const Clock& clock) : clock_(&clock) {}

TimerQueue::TimerId TimerQueue::Create()
{
    for (size_t i = 0; i < slots_.size(); ++i) {
        if (!slots_[i].inUse) {
            slots_[i] = Slot{};
            slots_[i].inUse = true;
            return static_cast<TimerId>(i);
        }
    }
    slots_.push_back(Slot{});
    slots_.back().inUse = true;
    return static_cast<TimerId>(slots_.size() - 1);
}

bool TimerQueue::Valid(TimerId timer) const
{
    return timer >= 0 && static_cast<size_t>(timer) < slots_.size() && slots_[timer].inUse;
}

bool TimerQueue::Set(TimerId timer, uint32_t delayMs, Routine routine, void* context)
{
    if (!Valid(timer)) {
        return false;
    }
    Slot& slot = slots_[timer];
    armed_ += slot.armed ? 0 : 1;
    slot.armed = true;
    slot.due = clock_->Now() + delayMs;
    slot.routine = routine;
    slot.context = context;
    return true;
}

bool TimerQueue::Cancel(TimerId timer)
{
    if (!Valid(timer)) {
        return false;
    }
    armed_ -= slots_[timer].armed ? 1 : 0;
    slots_[timer].armed = false;
    return true;
}

void TimerQueue::Close(TimerId timer)
{
    if (Valid(timer)) {
        armed_ -= slots_[timer].armed ? 1 : 0;
        slots_[timer] = Slot{};
    }
}

bool TimerQueue::IsArmed(TimerId timer) const
{
    return Valid(timer) && slots_[timer].armed;
}

size_t TimerQueue::ArmedCount() const
{
    return armed_;
}

void TimerQueue::SetBackground(TimerId timer, bool background)
{
    if (Valid(timer)) {
        slots_[timer].background = background;
    }
}

size_t TimerQueue::PendingCount() const
{
    size_t count = 0;
    for (const Slot& slot : slots_) {
        count += slot.armed && !slot.background ? 1 : 0;
    }
    return count;
}

int TimerQueue::RunDue()
{
    int ran = 0;
    while (armed_ > 0) {
        const uint32_t now = clock_->Now();
        int earliest = -1;
        for (size_t i = 0; i < slots_.size(); ++i) {
            const Slot& slot = slots_[i];
            if (slot.armed && TicksUntil(slot.due, now) <= 0 &&
                (earliest < 0 || TicksUntil(slot.due, slots_[earliest].due) < 0)) {
                earliest = static_cast<int>(i);
            }
        }
        if (earliest < 0) {
            return ran;
        }
        Slot& slot = slots_[earliest];
        slot.armed = false;
        --armed_;
        const Routine routine = slot.routine;
        void* const context = slot.context;
        routine(context);
        ++ran;
    }
    return ran;
}

int64_t TimerQueue::MsUntilNextDue() const
{
    if (armed_ == 0) {
        return -1;
    }
    const uint32_t now = clock_->Now();
    int64_t best = -1;
    for (const Slot& slot : slots_) {
        if (!slot.armed) {
            continue;
        }
        const int64_t wait = TicksUntil(slot.due, now) < 0 ? 0 : TicksUntil(slot.due, now);
        if (best < 0 || wait < best) {
            best = wait;
        }
    }
    return best;
}

}  // namespace platform
