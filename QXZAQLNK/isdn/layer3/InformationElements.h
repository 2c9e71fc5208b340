// Decoders of the Q.931 information elements the monitor reads. Each takes a
// pointer to the element's identifier byte (then its length and contents,
// "octet 3" onward) and never reads past the element's own length. A decoder
// that fails returns the code and leaves its output as it was; a null pointer
// or an identifier it does not accept gives kMissingPointer.
#pragma once

#include <cstdint>

#include "qxzaqlnk.h"

namespace isdn {

inline constexpr uint32_t kInfoBytes = 260;
inline constexpr uint32_t kCallIdentityBytes = 16;
inline constexpr uint32_t kMaxListedChannels = 32;

// Display, keypad or user-user contents: a count, the bytes and a zero byte.
struct CountedText {
    uint32_t count = 0;
    uint8_t bytes[kInfoBytes] = {};
};

struct CallIdentity {
    uint32_t count = 0;
    uint8_t bytes[kCallIdentityBytes] = {};  // zero-terminated when shorter
};

struct ChannelIdentification {
    uint32_t channelCount = 0;
    int32_t interfaceId = -1;
    // The first kMaxListedChannels channels named (channelCount counts all).
    int32_t channels[kMaxListedChannels] = {};
};

struct SegmentedMessage {
    bool firstSegment = false;
    uint32_t segmentsToCome = 0;
    uint32_t messageType = 0;
};

// Element identifiers.
inline constexpr uint8_t kIeSegmentedMessage = 0x00;
inline constexpr uint8_t kIeChangeStatus = 0x01;
inline constexpr uint8_t kIeBearerCapability = 0x04;
inline constexpr uint8_t kIeCause = 0x08;
inline constexpr uint8_t kIeConnectedNumberNational = 0x0C;
inline constexpr uint8_t kIeCallIdentity = 0x10;
inline constexpr uint8_t kIeCallState = 0x14;
inline constexpr uint8_t kIeChannelId = 0x18;
inline constexpr uint8_t kIeDisplay = 0x28;
inline constexpr uint8_t kIeKeypad = 0x2C;
inline constexpr uint8_t kIeConnectedNumber = 0x4C;
inline constexpr uint8_t kIeConnectedSubaddress = 0x4D;
inline constexpr uint8_t kIeCallingNumber = 0x6C;
inline constexpr uint8_t kIeCallingSubaddress = 0x6D;
inline constexpr uint8_t kIeCalledNumber = 0x70;
inline constexpr uint8_t kIeCalledSubaddress = 0x71;
inline constexpr uint8_t kIeRedirectingNumber = 0x74;
inline constexpr uint8_t kIeRestartIndicator = 0x79;
inline constexpr uint8_t kIeUserUser = 0x7E;
inline constexpr uint8_t kIeSendingComplete = 0xA1;

uint32_t ISDNPT_DecodeBC(const uint8_t* ie, uint32_t& layer1Protocol);
// `mode` and `line` are those of the call entity the element belongs to.
uint32_t ISDNPT_DecodeChanId(const uint8_t* ie, uint32_t mode, uint32_t line, ChannelIdentification& out);
uint32_t ISDNPT_DecodePartyNum(const uint8_t* ie, ZAQ16_PARTY_NUMBER& out);
uint32_t ISDNPT_DecodeSubAddr(const uint8_t* ie, ZAQ16_SUBADDRESS& out);
uint32_t ISDNPT_DecodeCause(const uint8_t* ie, uint32_t& cause);
uint32_t ISDNPT_DecodeCallIdentity(const uint8_t* ie, CallIdentity& out);
uint32_t ISDNPT_DecodeDisplay(const uint8_t* ie, CountedText& out);
uint32_t ISDNPT_DecodeKeypad(const uint8_t* ie, CountedText& out);
uint32_t ISDNPT_DecodeUser2User(const uint8_t* ie, CountedText& out);
uint32_t ISDNPT_DecodeRestartInd(const uint8_t* ie, uint32_t& restartClass);
uint32_t ISDNPT_DecodeCallState(const uint8_t* ie, uint32_t& callState);
uint32_t ISDNPT_DecodeSegmentedMsg(const uint8_t* ie, SegmentedMessage& out);

// Appends `digits` to `number` (a keypad entry extending a called number),
// up to the field's 32 digits.
void AppendDigits(ZAQ16_PARTY_NUMBER& number, const CountedText& digits);

}  // namespace isdn
