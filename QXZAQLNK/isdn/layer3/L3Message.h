// A layer-3 message as the data link hands it up: bytes 0-3 the link header
// (a filler byte for UI frames), 4 the protocol discriminator, 5 the call
// reference length L, 6 onward the call reference, 6 + L the message type,
// then the information elements; the last two bytes are the frame check
// sequence and are never read as elements.
#pragma once

#include <cstdint>

#include "isdn/IsdnCodes.h"

namespace isdn {

inline constexpr uint32_t kDiscriminatorOffset = 4;
inline constexpr uint32_t kCallRefLengthOffset = 5;
inline constexpr uint32_t kCallRefOffset = 6;

struct L3Message {
    const uint8_t* data = nullptr;
    uint32_t length = 0;
    Side side = Side::CO;
    // The line of the layer-3 instance that received the message.
    uint32_t receivingLine = 0;
    uint32_t time1 = 0;
    uint32_t time2 = 0;

    // The first element `identifier` of codeset 0, or null.
    const uint8_t* Find(uint8_t identifier) const;
};

}  // namespace isdn
