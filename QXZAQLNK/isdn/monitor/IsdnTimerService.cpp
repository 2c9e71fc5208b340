#include "isdn/monitor/IsdnTimerService.h"

namespace isdn {

int32_t IsdnTimerService::Arm(uint32_t ticks, TimerCallback callback, void* argument)
{
    if (callback == nullptr) {
        return -1;
    }
    for (int32_t i = 0; i < kSlotCount; ++i) {
        Slot& slot = slots_[i];
        if (!slot.inUse) {
            slot = Slot{ticks, callback, argument, true};
            return i;
        }
    }
    return -1;
}

int32_t IsdnTimerService::Cancel(int32_t slot)
{
    if (slot < 0 || slot >= kSlotCount) {
        return -1;
    }
    if (!slots_[slot].inUse) {
        return -2;
    }
    slots_[slot] = Slot{};
    return 0;
}

void IsdnTimerService::CancelAndClear(int32_t& slot)
{
    if (slot >= 0) {
        Cancel(slot);
    }
    slot = -1;
}

void IsdnTimerService::Rearm(int32_t& slot, uint32_t ticks, TimerCallback callback, void* argument)
{
    CancelAndClear(slot);
    slot = Arm(ticks, callback, argument);
}

void IsdnTimerService::Tick()
{
    for (Slot& slot : slots_) {
        if (!slot.inUse) {
            continue;
        }
        if (slot.remaining > 0) {
            --slot.remaining;
        }
        if (slot.remaining == 0) {
            // Freed before the routine runs, so that the routine may cancel
            // or arm timers (its own slot included) without confusion.
            const Slot expired = slot;
            slot = Slot{};
            expired.callback(expired.argument);
        }
    }
}

void IsdnTimerService::Advance(uint32_t nowMs)
{
    if (!clockStarted_) {
        clockStarted_ = true;
        lastTickMs_ = nowMs;
        return;
    }
    const int32_t elapsed = static_cast<int32_t>(nowMs - lastTickMs_);
    if (elapsed < static_cast<int32_t>(kTickMs)) {
        return;
    }
    const uint32_t ticks = static_cast<uint32_t>(elapsed) / kTickMs;
    lastTickMs_ += ticks * kTickMs;
    // Ticks with nothing armed change nothing: a long gap costs no more than
    // the timers that are running.
    for (uint32_t i = 0; i < ticks && InUseCount() > 0; ++i) {
        Tick();
    }
}

int IsdnTimerService::InUseCount() const
{
    int count = 0;
    for (const Slot& slot : slots_) {
        count += slot.inUse ? 1 : 0;
    }
    return count;
}

}  // namespace isdn
