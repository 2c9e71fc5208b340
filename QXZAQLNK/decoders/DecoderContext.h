// DecoderContext: the state of one unit's sixteen phone sets that a decoder
// fills and application threads read (display and phone-status records, each
// under its lock), and what a decoder reaches instead of the system: the
// event sink with the posting switch, the timer queue and its clock.
#pragma once

#include <atomic>
#include <cstdint>
#include <optional>

#include "base/EventSink.h"
#include "decoders/DisplayRecord.h"
#include "platform/Sync.h"
#include "platform/TimerQueue.h"
#include "qxzaqlnk.h"

class DecoderContext {
public:
    static constexpr uint32_t kChannels = 16;
    static constexpr uint32_t kLockWaitMs = 3000;

    // Every phone starts with its ringer and audio paths off.
    DecoderContext(uint32_t startChannel, EventSink& sink, platform::TimerQueue& timers);
    DecoderContext(const DecoderContext&) = delete;
    DecoderContext& operator=(const DecoderContext&) = delete;

    uint32_t StartChannel() const { return startChannel_; }
    uint32_t Board() const { return startChannel_ / kChannels; }
    uint32_t AbsoluteChannel(uint8_t channel) const { return startChannel_ + channel; }

    // Posts one event of a local channel, stamped with the board and the
    // absolute channel; returns the sink's result.
    uint32_t Post(uint8_t channel, uint32_t code, uint32_t param);
    // Posts an event the caller filled (its board is set here).
    uint32_t Post(ZAQ16_EVENT event);
    void SetEventSink(EventSink& sink) { sink_ = &sink; }
    // Where the events go, for producers that post them as they are (their
    // board and channel untouched).
    EventSink& Sink() const { return *sink_; }
    // The switch of the posting rule: repeats of an unchanged state are posted while it is on.
    bool EventUpdates() const { return eventUpdates_.load(std::memory_order_relaxed) != 0; }
    void SetEventUpdates(bool on) { eventUpdates_.store(on ? 1 : 0, std::memory_order_relaxed); }

    platform::TimerQueue& Timers() { return timers_; }
    uint32_t Now() const { return timers_.clock().Now(); }

    // Each record is read and written under its lock, taken within kLockWaitMs.
    bool LockDisplay() { return platform::AcquireWithin(displayLock, kLockWaitMs); }
    void UnlockDisplay() { displayLock.release(); }
    bool LockStatus() { return platform::AcquireWithin(statusLock, kLockWaitMs); }
    void UnlockStatus() { statusLock.release(); }

    // Copies a local channel's phone status (application threads).
    uint32_t CopyPhoneStatus(uint8_t channel, ZAQ16_PHONE_STATUS* out);
    // Copies the first min(size, offset) bytes of a local channel's display
    // (application threads); ZAQ16_RET_TRUNCATED when `size` is below `offset`.
    uint32_t CopyDisplay(uint8_t channel, char* buffer, uint32_t size);
    // The entry of a display read-back by system channel: the local channel,
    // or nothing for a channel beyond the unit's or a null buffer (traced as
    // "ZAQ16_RET_INVALID_PARAM"). The call is traced at `traceLevel` first; a
    // negative level writes neither line.
    std::optional<uint8_t> MessageChannel(uint32_t channel, const char* buffer, int32_t traceLevel) const;

    DisplayRecord displays[kChannels];
    platform::Lock displayLock{1};
    ZAQ16_PHONE_STATUS phoneStatus[kChannels]{};
    platform::Lock statusLock{1};

private:
    uint32_t startChannel_;
    EventSink* sink_;
    platform::TimerQueue& timers_;
    std::atomic<uint8_t> eventUpdates_{1};
};
