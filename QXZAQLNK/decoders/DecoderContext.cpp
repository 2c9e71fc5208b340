#include "decoders/DecoderContext.h"

DecoderContext::DecoderContext(uint32_t startChannel, EventSink& sink, platform::TimerQueue& timers)
    : startChannel_(startChannel), sink_(&sink), timers_(timers)
{
}

uint32_t DecoderContext::Post(uint8_t channel, uint32_t code, uint32_t param)
{
    ZAQ16_EVENT event{};
    event.eventCode = code;
    event.param = param;
    event.channel = AbsoluteChannel(channel);
    return Post(event);
}

uint32_t DecoderContext::Post(ZAQ16_EVENT event)
{
    event.board = Board();
    return sink_->Post(event);
}

uint32_t DecoderContext::CopyPhoneStatus(uint8_t channel, ZAQ16_PHONE_STATUS* out)
{
    if (channel >= kChannels || out == nullptr) {
        return ZAQ16_RET_BAD_CHANNEL;
    }
    if (!LockStatus()) {
        return ZAQ16_RET_NOT_READY;
    }
    *out = phoneStatus[channel];
    UnlockStatus();
    return ZAQ16_RET_SUCCESS;
}
