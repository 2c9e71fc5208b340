#include "decoders/EventOutput.h"

#include "base/Trace.h"
#include "decoders/DecoderContext.h"
#include "unit/ZAQ16PORT.h"

EventOutput::EventOutput(DecoderContext& context) : context_(&context) {}

EventOutput::EventOutput(ZAQ16PORT& port) : port_(&port) {}

uint32_t EventOutput::AbsoluteChannel(uint8_t channel) const
{
    return context_ != nullptr ? context_->AbsoluteChannel(channel) : port_->StartChannel() + channel;
}

bool EventOutput::EventUpdates() const
{
    return context_ != nullptr ? context_->EventUpdates()
                               : port_->m_EventUpdateFlag.load(std::memory_order_relaxed) != 0;
}

void EventOutput::Post(uint8_t channel, uint32_t code, uint32_t param) const
{
    if (context_ != nullptr) {
        context_->Post(channel, code, param);
        return;
    }
    ZAQ16_EVENT event{};
    event.eventCode = code;
    event.param = param;
    event.board = port_->Board();
    event.channel = AbsoluteChannel(channel);
    port_->PostEvent(event);
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
