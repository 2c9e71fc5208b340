// The read-back every decoder shares: the display by system channel and the
// base's copy of a local channel's display.
#include "decoders/Decoder.h"

#include <optional>

#include "base/Trace.h"

uint32_t Decoder::GetMessage(uint8_t channel, char* buffer, uint32_t size)
{
    return context_.CopyDisplay(channel, buffer, size);
}

uint32_t Decoder::GetPBXDateTime(int32_t[9])
{
    return ZAQ16_RET_NOT_READY;
}

int32_t Decoder::MessageEntryTraceLevel() const
{
    return TRACE_TRACE;
}

uint32_t Decoder::GetMessageOfChannel(uint32_t channel, char* buffer, uint32_t size)
{
    const std::optional<uint8_t> local = context_.MessageChannel(channel, buffer, MessageEntryTraceLevel());
    return local ? GetMessage(*local, buffer, size) : ZAQ16_RET_INVALID_PARAM;
}
