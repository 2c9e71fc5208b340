#include "decoders/Decoder.h"

#include <algorithm>
#include <cstring>

uint32_t Decoder::GetMessage(uint8_t channel, char* buffer, uint32_t size)
{
    if (channel >= DecoderContext::kChannels || buffer == nullptr) {
        return ZAQ16_RET_INVALID_PARAM;
    }
    if (!context_.LockDisplay()) {
        return ZAQ16_RET_NOT_READY;
    }
    const DisplayRecord& record = context_.displays[channel];
    const uint32_t offset = record.offset;
    std::memcpy(buffer, record.text, std::min({size, offset, DisplayRecord::kTextSize}));
    context_.UnlockDisplay();
    return size >= offset ? ZAQ16_RET_SUCCESS : ZAQ16_RET_TRUNCATED;
}

uint32_t Decoder::GetPBXDateTime(int32_t[9])
{
    return ZAQ16_RET_NOT_READY;
}
