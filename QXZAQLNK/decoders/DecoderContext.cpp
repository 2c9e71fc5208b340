// The records of a unit's phone sets, their read-back and event posting.
#include "decoders/DecoderContext.h"

#include <algorithm>
#include <cstring>

#include "base/Trace.h"

DecoderContext::DecoderContext(uint32_t startChannel, EventSink& sink, platform::TimerQueue& timers)
    : startChannel_(startChannel), sink_(&sink), timers_(timers)
{
    for (ZAQ16_PHONE_STATUS& status : phoneStatus) {
        status.ringState = QXEVT_RING_OFF;
        status.handsetAudio = QXEVT_AUDIO_OFF;
        status.speakerMonitorAudio = QXEVT_AUDIO_OFF;
        status.handsfreeAudio = QXEVT_AUDIO_OFF;
        status.handsetReceiverAudio = QXEVT_AUDIO_OFF;
    }
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

uint32_t DecoderContext::CopyDisplay(uint8_t channel, char* buffer, uint32_t size)
{
    if (channel >= kChannels || buffer == nullptr) {
        return ZAQ16_RET_INVALID_PARAM;
    }
    if (!LockDisplay()) {
        return ZAQ16_RET_NOT_READY;
    }
    const DisplayRecord& record = displays[channel];
    const uint32_t offset = record.offset;
    Trace(TRACE_TRACE, "GetMessage", "offset = %d", static_cast<int>(offset));
    std::memcpy(buffer, record.text, std::min({size, offset, DisplayRecord::kTextSize}));
    UnlockDisplay();
    if (size >= offset) {
        Trace(TRACE_TRACE, "GetMessage", "ZAQ16_RET_SUCCESS");
        return ZAQ16_RET_SUCCESS;
    }
    Trace(TRACE_TRACE, "GetMessage", "ZAQ16_RET_TRUNCATED");
    return ZAQ16_RET_TRUNCATED;
}

std::optional<uint8_t> DecoderContext::MessageChannel(uint32_t channel, const char* buffer, int32_t traceLevel) const
{
    const bool traced = traceLevel >= 0;
    if (traced) {
        Trace(traceLevel, "GetMessage", "channel = %d start_channel = %d", static_cast<int>(channel),
              static_cast<int>(startChannel_));
    }
    const uint32_t local = channel - startChannel_;
    if (local >= kChannels || buffer == nullptr) {
        if (traced) {
            Trace(TRACE_TRACE, "GetMessage", "ZAQ16_RET_INVALID_PARAM");
        }
        return std::nullopt;
    }
    return static_cast<uint8_t>(local);
}
