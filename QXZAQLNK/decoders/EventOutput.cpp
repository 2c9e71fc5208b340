// Posting a decoder's events by the posting rule, the display first.
#include "decoders/EventOutput.h"

#include "base/Trace.h"
#include "decoders/DecoderContext.h"

EventOutput::EventOutput(DecoderContext& context) : context_(context) {}

uint32_t EventOutput::AbsoluteChannel(uint8_t channel) const
{
    return context_.AbsoluteChannel(channel);
}

bool EventOutput::EventUpdates() const
{
    return context_.EventUpdates();
}

void EventOutput::Post(uint8_t channel, uint32_t code, uint32_t param) const
{
    context_.Post(channel, code, param);
}

void EventOutput::PostByRule(uint8_t channel, const DecodedEvent& decoded) const
{
    if (ShouldPost(decoded.state, EventUpdates() ? 1 : 0)) {
        Post(channel, decoded.code, decoded.param);
    }
}

void EventOutput::PostAfterDisplay(uint8_t channel, const DecodedEvent& decoded, bool fromPbx,
                                   PendingDisplay& display) const
{
    if (decoded.state == EventState::None) {
        return;
    }
    if (fromPbx && display.IsPending(channel)) {
        display.FlushBeforeEvent(channel);
    }
    PostByRule(channel, decoded);
}

void TraceProceedingCancel(uint32_t delayMs, uint32_t absoluteChannel)
{
    Trace(TRACE_TRACE, "ProcessCommand", "(proceeding event) TIMER Cancelled for %d ms for %d",
          static_cast<int>(delayMs), static_cast<int>(absoluteChannel));
}
