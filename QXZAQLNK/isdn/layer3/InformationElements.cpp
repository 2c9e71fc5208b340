#include "isdn/layer3/InformationElements.h"

#include <algorithm>
#include <cstring>
#include <initializer_list>

#include "isdn/IsdnCodes.h"

namespace isdn {

namespace {

constexpr uint8_t kExtensionBit = 0x80;

// The contents of an element whose identifier is one of `accepted`.
struct Contents {
    const uint8_t* bytes = nullptr;
    uint32_t length = 0;
};

// kOk with the contents of an element whose identifier is one of `accepted`
// and that holds at least `minimum` octets.
uint32_t Open(const uint8_t* ie, std::initializer_list<uint8_t> accepted, uint32_t minimum, Contents& contents)
{
    if (ie == nullptr || std::find(accepted.begin(), accepted.end(), ie[0]) == accepted.end()) {
        return kMissingPointer;
    }
    if (ie[1] < minimum) {
        return kElementTooShort;
    }
    contents = Contents{ie + 2, ie[1]};
    return kOk;
}

// Index just past the octet group that starts at `start` (the octet with
// bit 8 set ends it), or -1 when the element ends first.
int32_t SkipOctetGroup(const Contents& contents, uint32_t start)
{
    for (uint32_t i = start; i < contents.length; ++i) {
        if (contents.bytes[i] & kExtensionBit) {
            return static_cast<int32_t>(i + 1);
        }
    }
    return -1;
}

// Copies the element's bytes from `start` on into `out` (at most `capacity`),
// each with bit 8 cleared, and zero-terminates when shorter.
uint32_t CopyDigits(const Contents& contents, uint32_t start, char* out, uint32_t capacity)
{
    const uint32_t count = std::min(contents.length - start, capacity);
    for (uint32_t i = 0; i < count; ++i) {
        out[i] = static_cast<char>(contents.bytes[start + i] & 0x7F);
    }
    if (count < capacity) {
        out[count] = '\0';
    }
    return count;
}

uint32_t DecodeText(const uint8_t* ie, uint8_t identifier, uint32_t skip, CountedText& out)
{
    Contents contents;
    if (const uint32_t result = Open(ie, {identifier}, 0, contents); result != kOk) {
        return result;
    }
    const uint32_t count = contents.length > skip ? contents.length - skip : 0;
    if (count > 0) {
        std::memcpy(out.bytes, contents.bytes + skip, count);
    }
    out.bytes[count] = 0;
    out.count = count;
    return kOk;
}

// One octet element value: octet 3 masked.
uint32_t DecodeOctet3(const uint8_t* ie, uint8_t identifier, uint8_t mask, uint32_t& value)
{
    Contents contents;
    if (const uint32_t result = Open(ie, {identifier}, 1, contents); result != kOk) {
        return result;
    }
    value = contents.bytes[0] & mask;
    return kOk;
}

void AddChannel(ChannelIdentification& out, int32_t channel)
{
    if (out.channelCount < kMaxListedChannels) {
        out.channels[out.channelCount] = channel;
    }
    ++out.channelCount;
}

// The slot map: most significant byte first, bit 8 of byte k standing for
// channel 8 (n - k + 1) and bit 1 for channel 8 (n - k) + 1.
void DecodeSlotMap(const Contents& contents, uint32_t start, ChannelIdentification& out)
{
    const uint32_t n = contents.length - start;
    for (uint32_t k = 1; k <= n; ++k) {
        const uint8_t map = contents.bytes[start + k - 1];
        for (int bit = 8; bit >= 1; --bit) {
            if (map & (1u << (bit - 1))) {
                AddChannel(out, static_cast<int32_t>(8 * (n - k) + bit));
            }
        }
    }
}

}  // namespace

uint32_t ISDNPT_DecodeBC(const uint8_t* ie, uint32_t& layer1Protocol)
{
    Contents contents;
    if (const uint32_t result = Open(ie, {kIeBearerCapability}, 1, contents); result != kOk) {
        return result;
    }
    const int32_t octet4 = SkipOctetGroup(contents, 0);
    if (octet4 < 0 || static_cast<uint32_t>(octet4) >= contents.length) {
        return kElementTooShort;
    }
    const uint8_t transfer = contents.bytes[octet4];
    const uint8_t transferMode = (transfer >> 5) & 0x03;
    const uint8_t rate = transfer & 0x1F;
    if (transferMode != 0 && rate != 0x10) {
        return kBearerNotSupported;
    }
    const int32_t octet5 = SkipOctetGroup(contents, static_cast<uint32_t>(octet4));
    if (octet5 < 0) {
        return kElementTooShort;
    }
    if (static_cast<uint32_t>(octet5) == contents.length) {
        layer1Protocol = 0;
        return kOk;
    }
    const uint8_t layer1 = contents.bytes[octet5];
    if (((layer1 >> 5) & 0x03) != 0x01) {
        return kBearerLayer1Wrong;
    }
    layer1Protocol = layer1 & 0x1F;
    return kOk;
}

uint32_t ISDNPT_DecodeChanId(const uint8_t* ie, uint32_t mode, uint32_t line, ChannelIdentification& out)
{
    Contents contents;
    if (const uint32_t result = Open(ie, {kIeChannelId}, 1, contents); result != kOk) {
        return result;
    }
    const uint8_t octet3 = contents.bytes[0];
    const bool interfacePresent = (octet3 & 0x40) != 0;
    const bool otherThanBasic = (octet3 & 0x20) != 0;
    const uint8_t selection = octet3 & 0x03;
    if (!otherThanBasic && mode == 0) {
        return kChanIdInterfaceType;
    }
    ChannelIdentification result;
    if (selection == 0 || selection == 3) {
        out = result;
        return kOk;
    }
    if (mode != 0) {
        result.interfaceId = static_cast<int32_t>(line);
        AddChannel(result, selection);
        out = result;
        return kOk;
    }
    int32_t next = SkipOctetGroup(contents, 0);
    if (next < 0) {
        return kChanIdTooShort;
    }
    result.interfaceId = static_cast<int32_t>(line);
    if (interfacePresent) {
        if (static_cast<uint32_t>(next) >= contents.length) {
            return kChanIdTooShort;
        }
        result.interfaceId = contents.bytes[next] & 0x7F;
        next = SkipOctetGroup(contents, static_cast<uint32_t>(next));
        if (next < 0) {
            return kChanIdTooShort;
        }
    }
    uint32_t position = static_cast<uint32_t>(next);
    if (contents.length - position < 2) {
        return kChanIdTooShort;
    }
    const uint8_t channelType = contents.bytes[position++];
    if ((channelType & 0x0F) != 0x03) {
        return kChanIdNotBChannel;
    }
    if ((channelType & 0x10) == 0) {
        AddChannel(result, contents.bytes[position] & 0x7F);
    } else {
        DecodeSlotMap(contents, position, result);
        if (result.channelCount == 0) {
            return kChanIdEmptyMap;
        }
    }
    out = result;
    return kOk;
}

uint32_t ISDNPT_DecodePartyNum(const uint8_t* ie, ZAQ16_PARTY_NUMBER& out)
{
    Contents contents;
    const std::initializer_list<uint8_t> numbers = {kIeCallingNumber, kIeConnectedNumber, kIeCalledNumber,
                                                       kIeConnectedNumberNational, kIeRedirectingNumber};
    if (const uint32_t result = Open(ie, numbers, 1, contents); result != kOk) {
        return result;
    }
    // Octet 3 (and 3a, 3b when bit 8 of the one before is clear) precedes the digits.
    const int32_t digits = SkipOctetGroup(contents, 0);
    if (digits < 0) {
        return kElementTooShort;
    }
    const uint8_t octet3 = contents.bytes[0];
    ZAQ16_PARTY_NUMBER result = out;
    result.typeOfNumber = (octet3 >> 4) & 0x07;
    result.numberingPlan = octet3 & 0x0F;
    result.digitCount = CopyDigits(contents, static_cast<uint32_t>(digits), result.digits, sizeof result.digits);
    out = result;
    return kOk;
}

uint32_t ISDNPT_DecodeSubAddr(const uint8_t* ie, ZAQ16_SUBADDRESS& out)
{
    Contents contents;
    const std::initializer_list<uint8_t> subaddresses = {kIeCallingSubaddress, kIeConnectedSubaddress,
                                                           kIeCalledSubaddress};
    if (const uint32_t result = Open(ie, subaddresses, 1, contents); result != kOk) {
        return result;
    }
    const int32_t information = SkipOctetGroup(contents, 0);
    if (information < 0) {
        return kElementTooShort;
    }
    const uint8_t octet3 = contents.bytes[0];
    ZAQ16_SUBADDRESS result = out;
    result.typeOfSubaddress = (octet3 >> 4) & 0x07;
    result.oddEven = (octet3 & 0x08) ? 1 : 0;
    result.byteCount = CopyDigits(contents, static_cast<uint32_t>(information),
                                  reinterpret_cast<char*>(result.bytes), sizeof result.bytes);
    out = result;
    return kOk;
}

uint32_t ISDNPT_DecodeCause(const uint8_t* ie, uint32_t& cause)
{
    Contents contents;
    if (const uint32_t result = Open(ie, {kIeCause}, 1, contents); result != kOk) {
        return result;
    }
    const int32_t value = SkipOctetGroup(contents, 0);
    if (value < 0 || static_cast<uint32_t>(value) >= contents.length) {
        return kElementTooShort;
    }
    cause = contents.bytes[value] & 0x7F;
    return kOk;
}

uint32_t ISDNPT_DecodeCallIdentity(const uint8_t* ie, CallIdentity& out)
{
    Contents contents;
    if (const uint32_t result = Open(ie, {kIeCallIdentity}, 0, contents); result != kOk) {
        return result;
    }
    CallIdentity result;
    result.count = std::min(contents.length, kCallIdentityBytes);
    std::memcpy(result.bytes, contents.bytes, result.count);
    out = result;
    return kOk;
}

uint32_t ISDNPT_DecodeDisplay(const uint8_t* ie, CountedText& out)
{
    return DecodeText(ie, kIeDisplay, 0, out);
}

uint32_t ISDNPT_DecodeKeypad(const uint8_t* ie, CountedText& out)
{
    return DecodeText(ie, kIeKeypad, 0, out);
}

uint32_t ISDNPT_DecodeUser2User(const uint8_t* ie, CountedText& out)
{
    // The first octet is the user's protocol discriminator.
    return DecodeText(ie, kIeUserUser, 1, out);
}

uint32_t ISDNPT_DecodeRestartInd(const uint8_t* ie, uint32_t& restartClass)
{
    return DecodeOctet3(ie, kIeRestartIndicator, 0x07, restartClass);
}

uint32_t ISDNPT_DecodeCallState(const uint8_t* ie, uint32_t& callState)
{
    return DecodeOctet3(ie, kIeCallState, 0x3F, callState);
}

uint32_t ISDNPT_DecodeSegmentedMsg(const uint8_t* ie, SegmentedMessage& out)
{
    Contents contents;
    if (const uint32_t result = Open(ie, {kIeSegmentedMessage}, 2, contents); result != kOk) {
        return result;
    }
    out.firstSegment = (contents.bytes[0] & 0x80) != 0;
    out.segmentsToCome = contents.bytes[0] & 0x7F;
    out.messageType = contents.bytes[1] & 0x7F;
    return kOk;
}

void AppendDigits(ZAQ16_PARTY_NUMBER& number, const CountedText& digits)
{
    const uint32_t capacity = sizeof number.digits;
    const uint32_t start = std::min(number.digitCount, capacity);
    const uint32_t count = std::min(digits.count, capacity - start);
    std::memcpy(number.digits + start, digits.bytes, count);
    number.digitCount = start + count;
    if (number.digitCount < capacity) {
        number.digits[number.digitCount] = '\0';
    }
}

}  // namespace isdn
