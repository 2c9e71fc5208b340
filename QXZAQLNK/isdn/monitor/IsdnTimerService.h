// The protocol timers of the data links and calls: a table of 32 slots driven
// by ticks of 100 ms. Each ISDN monitor has one table (IsdnMonitor.h), used
// only under its lock (IsdnSession.h).
#pragma once

#include <array>
#include <cstdint>

namespace isdn {

// A timer routine; it returns kMissingPointer when `argument` is null.
using TimerCallback = uint32_t (*)(void* argument);

class IsdnTimerService {
public:
    static constexpr int kSlotCount = 32;
    static constexpr uint32_t kTickMs = 100;

    // Index of the first free slot (0 to 31), or -1 when all are in use.
    int32_t Arm(uint32_t ticks, TimerCallback callback, void* argument);
    // 0; -1 for a slot number outside the table; -2 for a slot not in use.
    int32_t Cancel(int32_t slot);
    // Cancels `slot` when one is set and sets it to -1.
    void CancelAndClear(int32_t& slot);
    // Cancels `slot` when set, then arms anew: a timer is never armed twice.
    void Rearm(int32_t& slot, uint32_t ticks, TimerCallback callback, void* argument);

    // One tick: every slot in use counts down by one; a slot that reaches 0
    // is freed and its routine runs.
    void Tick();
    // Runs one tick per full 100 ms elapsed since the last tick counted.
    // The first call only sets the reference; a time earlier than the
    // reference runs nothing (several threads may read the clock in turn).
    void Advance(uint32_t nowMs);

    int InUseCount() const;

private:
    struct Slot {
        uint32_t remaining = 0;
        TimerCallback callback = nullptr;
        void* argument = nullptr;
        bool inUse = false;
    };
    std::array<Slot, kSlotCount> slots_{};
    uint32_t lastTickMs_ = 0;
    bool clockStarted_ = false;
};

}  // namespace isdn
