#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "IsdnTestSupport.h"
#include "isdn/layer3/InformationElements.h"

using namespace isdn;
using isdntest::Bytes;
using isdntest::Text;
using isdntest::operator+;

namespace {

constexpr uint32_t kTooShort = 0xE009001D;
constexpr uint32_t kMissing = 0xE0090004;

std::string DigitsOf(const ZAQ16_PARTY_NUMBER& number)
{
    return std::string(number.digits, strnlen(number.digits, sizeof number.digits));
}

}  // namespace

TEST(BearerCapability, DecodesTransferModeAndLayer1)
{
    struct Case {
        Bytes element;
        uint32_t result;
        uint32_t layer1;
    };
    const Case cases[] = {
        {{0x04, 0x02, 0x80, 0x90}, 0, 0},                    // circuit, 64 kbit/s, no octet 5
        {{0x04, 0x03, 0x80, 0x90, 0xA3}, 0, 3},              // layer 1: A-law
        {{0x04, 0x04, 0x08, 0x80, 0x90, 0xA2}, 0, 2},        // octet 3a before octet 4
        {{0x04, 0x02, 0x88, 0xC0}, 0xE0090015, 99},          // packet mode, rate 0
        {{0x04, 0x02, 0x88, 0x91}, 0, 0},                    // circuit mode at another rate
        {{0x04, 0x03, 0x80, 0x90, 0xC3}, 0xE0090016, 99},    // octet 5 without the layer-1 identifier
        {{0x04, 0x01, 0x80}, kTooShort, 99},                 // no octet 4
        {{0x04, 0x02, 0x00, 0x00}, kTooShort, 99},           // octet 3 never ends
        {{0x04, 0x02, 0x80, 0x10}, kTooShort, 99},           // octet 4 never ends
        {{0x04, 0x00}, kTooShort, 99},
        {{0x05, 0x02, 0x80, 0x90}, kMissing, 99},            // not a bearer capability
    };
    for (const Case& c : cases) {
        uint32_t layer1 = 99;
        EXPECT_EQ(ISDNPT_DecodeBC(c.element.data(), layer1), c.result) << isdntest::Hex(c.element);
        EXPECT_EQ(layer1, c.layer1) << isdntest::Hex(c.element);
    }
    uint32_t layer1 = 0;
    EXPECT_EQ(ISDNPT_DecodeBC(nullptr, layer1), kMissing);
}

TEST(ChannelIdentification, NamesTheChannelsOfTheLine)
{
    struct Case {
        Bytes element;
        uint32_t mode;
        uint32_t result;
        uint32_t count;
        int32_t interfaceId;
        std::vector<int32_t> channels;
    };
    const Case cases[] = {
        {{0x18, 0x01, 0x82}, 1, 0, 1, 5, {2}},                          // basic rate, B2 on the entity's line
        {{0x18, 0x01, 0x81}, 1, 0, 1, 5, {1}},
        {{0x18, 0x01, 0x80}, 1, 0, 0, -1, {}},                          // no channel
        {{0x18, 0x01, 0x83}, 1, 0, 0, -1, {}},                          // any channel
        {{0x18, 0x01, 0x81}, 0, 0xE0090017, 0, -1, {}},                 // basic rate on a single-link line
        {{0x18, 0x03, 0xA1, 0x83, 0x85}, 0, 0, 1, 5, {5}},              // channel number 5
        {{0x18, 0x04, 0xE1, 0x81, 0x83, 0x85}, 0, 0, 1, 1, {5}},        // interface 1 named
        {{0x18, 0x04, 0xA1, 0x93, 0x00, 0x81}, 0, 0, 2, 5, {8, 1}},     // slot map of two bytes
        {{0x18, 0x03, 0xA1, 0x93, 0x00}, 0, 0xE0090019, 0, -1, {}},     // empty slot map
        {{0x18, 0x03, 0xA1, 0x84, 0x85}, 0, 0xE0090018, 0, -1, {}},     // not B-channel units
        {{0x18, 0x02, 0xA1, 0x83}, 0, 0xE009001A, 0, -1, {}},           // channel number missing
        {{0x18, 0x02, 0xE1, 0x81}, 0, 0xE009001A, 0, -1, {}},           // only the interface
        {{0x18, 0x00}, 1, kTooShort, 0, -1, {}},
        {{0x19, 0x01, 0x81}, 1, kMissing, 0, -1, {}},
    };
    for (const Case& c : cases) {
        ChannelIdentification channel;
        EXPECT_EQ(ISDNPT_DecodeChanId(c.element.data(), c.mode, 5, channel), c.result) << isdntest::Hex(c.element);
        EXPECT_EQ(channel.channelCount, c.count) << isdntest::Hex(c.element);
        EXPECT_EQ(channel.interfaceId, c.interfaceId) << isdntest::Hex(c.element);
        for (size_t i = 0; i < c.channels.size(); ++i) {
            EXPECT_EQ(channel.channels[i], c.channels[i]) << isdntest::Hex(c.element);
        }
    }
}

TEST(ChannelIdentification, CountsEveryChannelOfALongSlotMap)
{
    Bytes element{0x18, 0x07, 0xA1, 0x93};
    for (int i = 0; i < 5; ++i) {
        element.push_back(0xFF);
    }
    ChannelIdentification channel;
    ASSERT_EQ(ISDNPT_DecodeChanId(element.data(), 0, 0, channel), 0u);
    EXPECT_EQ(channel.channelCount, 40u);
    EXPECT_EQ(channel.channels[0], 40);
    EXPECT_EQ(channel.channels[31], 9);
}

TEST(PartyNumber, TakesTypePlanAndDigits)
{
    struct Case {
        Bytes element;
        uint32_t result;
        uint32_t type;
        uint32_t plan;
        std::string digits;
    };
    const Case cases[] = {
        {Bytes{0x6C, 0x0B, 0x01, 0x81} + Text("123456789"), 0, 0, 1, "123456789"},  // octet 3a
        {Bytes{0x70, 0x05, 0x80} + Text("1234"), 0, 0, 0, "1234"},
        {Bytes{0x70, 0x04, 0xA1, 0xB1, 0xB2, 0xB3}, 0, 2, 1, "123"},                // bit 8 cleared
        {Bytes{0x4C, 0x03, 0x11, 0x80, 0x35}, 0, 1, 1, "5"},
        {Bytes{0x0C, 0x02, 0x80, 0x39}, 0, 0, 0, "9"},
        {Bytes{0x74, 0x01, 0x80}, 0, 0, 0, ""},
        {Bytes{0x6C, 0x01, 0x01}, kTooShort, 7, 7, "old"},                          // octet 3a missing
        {Bytes{0x6C, 0x00}, kTooShort, 7, 7, "old"},
        {Bytes{0x6D, 0x02, 0x80, 0x31}, kMissing, 7, 7, "old"},
    };
    for (const Case& c : cases) {
        ZAQ16_PARTY_NUMBER number{7, 7, 3, "old"};
        EXPECT_EQ(ISDNPT_DecodePartyNum(c.element.data(), number), c.result) << isdntest::Hex(c.element);
        EXPECT_EQ(number.typeOfNumber, c.type) << isdntest::Hex(c.element);
        EXPECT_EQ(number.numberingPlan, c.plan) << isdntest::Hex(c.element);
        EXPECT_EQ(DigitsOf(number), c.digits) << isdntest::Hex(c.element);
        EXPECT_EQ(number.digitCount, c.digits.size()) << isdntest::Hex(c.element);
    }
}

TEST(PartyNumber, KeepsThirtyTwoDigitsOfALongerNumber)
{
    const std::string digits(40, '7');
    const Bytes element = Bytes{0x70, 41, 0x80} + Text(digits);
    ZAQ16_PARTY_NUMBER number{};
    ASSERT_EQ(ISDNPT_DecodePartyNum(element.data(), number), 0u);
    EXPECT_EQ(number.digitCount, 32u);
    EXPECT_EQ(std::string(number.digits, 32), std::string(32, '7'));
}

TEST(Subaddress, TakesTypeIndicatorAndAtMostTwentyBytes)
{
    ZAQ16_SUBADDRESS subaddress{};
    const Bytes element{0x6D, 0x04, 0xA8, 0x50, 0x31, 0x32};
    ASSERT_EQ(ISDNPT_DecodeSubAddr(element.data(), subaddress), 0u);
    EXPECT_EQ(subaddress.typeOfSubaddress, 2u);
    EXPECT_EQ(subaddress.oddEven, 1u);
    EXPECT_EQ(subaddress.byteCount, 3u);
    EXPECT_EQ(std::memcmp(subaddress.bytes, "\x50\x31\x32", 4), 0);

    const Bytes longer = Bytes{0x71, 26, 0x80} + Bytes(25, 0x33);
    ASSERT_EQ(ISDNPT_DecodeSubAddr(longer.data(), subaddress), 0u);
    EXPECT_EQ(subaddress.byteCount, 20u);
    EXPECT_EQ(subaddress.oddEven, 0u);

    const Bytes notSubaddress{0x70, 0x02, 0x80, 0x31};
    EXPECT_EQ(ISDNPT_DecodeSubAddr(notSubaddress.data(), subaddress), kMissing);
}

TEST(Cause, SkipsTheLocationGroup)
{
    struct Case {
        Bytes element;
        uint32_t result;
        uint32_t cause;
    };
    const Case cases[] = {
        {{0x08, 0x02, 0x80, 0x90}, 0, 16},
        {{0x08, 0x03, 0x00, 0x80, 0xA2}, 0, 34},  // octet 3a present
        {{0x08, 0x01, 0x80}, kTooShort, 99},      // no cause value
        {{0x08, 0x00}, kTooShort, 99},
    };
    for (const Case& c : cases) {
        uint32_t cause = 99;
        EXPECT_EQ(ISDNPT_DecodeCause(c.element.data(), cause), c.result) << isdntest::Hex(c.element);
        EXPECT_EQ(cause, c.cause) << isdntest::Hex(c.element);
    }
}

TEST(CountedElements, CopyWithinTheirFields)
{
    CallIdentity identity;
    const Bytes shortIdentity{0x10, 0x03, 'a', 'b', 'c'};
    ASSERT_EQ(ISDNPT_DecodeCallIdentity(shortIdentity.data(), identity), 0u);
    EXPECT_EQ(identity.count, 3u);
    EXPECT_STREQ(reinterpret_cast<const char*>(identity.bytes), "abc");
    const Bytes longIdentity = Bytes{0x10, 20} + Bytes(20, 'x');
    ASSERT_EQ(ISDNPT_DecodeCallIdentity(longIdentity.data(), identity), 0u);
    EXPECT_EQ(identity.count, 16u);

    CountedText text;
    const Bytes display = Bytes{0x28, 5} + Text("Alice");
    ASSERT_EQ(ISDNPT_DecodeDisplay(display.data(), text), 0u);
    EXPECT_EQ(text.count, 5u);
    EXPECT_STREQ(reinterpret_cast<const char*>(text.bytes), "Alice");
    const Bytes keypad = Bytes{0x2C, 2} + Text("*7");
    ASSERT_EQ(ISDNPT_DecodeKeypad(keypad.data(), text), 0u);
    EXPECT_STREQ(reinterpret_cast<const char*>(text.bytes), "*7");
    const Bytes userUser{0x7E, 0x04, 0x04, 'h', 'i', '!'};
    ASSERT_EQ(ISDNPT_DecodeUser2User(userUser.data(), text), 0u);
    EXPECT_EQ(text.count, 3u);
    EXPECT_STREQ(reinterpret_cast<const char*>(text.bytes), "hi!");
    const Bytes discriminatorOnly{0x7E, 0x01, 0x04};
    ASSERT_EQ(ISDNPT_DecodeUser2User(discriminatorOnly.data(), text), 0u);
    EXPECT_EQ(text.count, 0u);
    EXPECT_EQ(text.bytes[0], 0);
    const Bytes longest = Bytes{0x28, 255} + Bytes(255, 'z');
    ASSERT_EQ(ISDNPT_DecodeDisplay(longest.data(), text), 0u);
    EXPECT_EQ(text.count, 255u);
    EXPECT_EQ(text.bytes[255], 0);
    EXPECT_EQ(ISDNPT_DecodeDisplay(keypad.data(), text), kMissing);
}

TEST(OneOctetElements, ReadOctetThree)
{
    uint32_t value = 0;
    const Bytes restart{0x79, 0x01, 0x87};
    ASSERT_EQ(ISDNPT_DecodeRestartInd(restart.data(), value), 0u);
    EXPECT_EQ(value, 7u);
    const Bytes callState{0x14, 0x01, 0xCA};
    ASSERT_EQ(ISDNPT_DecodeCallState(callState.data(), value), 0u);
    EXPECT_EQ(value, 0x0Au);
    const Bytes empty{0x14, 0x00};
    EXPECT_EQ(ISDNPT_DecodeCallState(empty.data(), value), kTooShort);
    EXPECT_EQ(ISDNPT_DecodeCallState(nullptr, value), kMissing);

    SegmentedMessage segment;
    const Bytes segmented{0x00, 0x02, 0x82, 0x05};
    ASSERT_EQ(ISDNPT_DecodeSegmentedMsg(segmented.data(), segment), 0u);
    EXPECT_TRUE(segment.firstSegment);
    EXPECT_EQ(segment.segmentsToCome, 2u);
    EXPECT_EQ(segment.messageType, 0x05u);
    const Bytes truncated{0x00, 0x01, 0x82};
    EXPECT_EQ(ISDNPT_DecodeSegmentedMsg(truncated.data(), segment), kTooShort);
}

TEST(AppendDigits, StopsAtTheFieldsThirtyTwoDigits)
{
    ZAQ16_PARTY_NUMBER number{};
    CountedText keypad;
    keypad.count = 15;
    std::memset(keypad.bytes, '5', 15);
    for (int i = 0; i < 3; ++i) {
        AppendDigits(number, keypad);
    }
    EXPECT_EQ(number.digitCount, 32u);
    EXPECT_EQ(std::string(number.digits, 32), std::string(32, '5'));
    keypad.count = 2;
    number.digitCount = 3;
    std::memcpy(number.digits, "123", 3);
    AppendDigits(number, keypad);
    EXPECT_EQ(number.digitCount, 5u);
    EXPECT_STREQ(number.digits, "12355");
}
