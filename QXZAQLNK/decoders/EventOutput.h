// How a decoder hands its events to the port's event delivery, in the order
// the application must see them. Events are posted with no port lock held: an
// application callback may read the display or the phone status of the same
// port from inside the call.
#pragma once

#include <cstdint>

#include "decoders/PostingRule.h"

class DecoderContext;

// A channel's display text that waits to be posted. A message from the PBX
// that sets an event flushes it first, so that the application sees the
// display change before the lamp, ring or audio event that followed it.
class PendingDisplay {
public:
    virtual bool IsPending(uint8_t channel) const = 0;
    // Posts the waiting display (and stops its timer, where there is one).
    virtual void FlushBeforeEvent(uint8_t channel) = 0;

protected:
    ~PendingDisplay() = default;
};

class EventOutput {
public:
    explicit EventOutput(DecoderContext& context);

    // Posts one event for a local channel of the port.
    void Post(uint8_t channel, uint32_t code, uint32_t param) const;
    // Posts `decoded` when the posting rule lets it through.
    void PostByRule(uint8_t channel, const DecodedEvent& decoded) const;
    // A message's event: from the PBX it comes after the channel's pending
    // display; then the posting rule decides.
    void PostAfterDisplay(uint8_t channel, const DecodedEvent& decoded, bool fromPbx, PendingDisplay& display) const;

    bool EventUpdates() const;
    uint32_t AbsoluteChannel(uint8_t channel) const;

private:
    DecoderContext& context_;
};

// The trace line of a display flushed ahead of a PBX event, for the decoders
// that keep it: the flush stands in for the display timer's expiry.
void TraceProceedingCancel(uint32_t delayMs, uint32_t absoluteChannel);
