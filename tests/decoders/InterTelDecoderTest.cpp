// INTERTELD driven packet by packet: the checksum and the repeated-packet
// drop, every key and PBX message, the display with its 400 ms timer and the
// flush before an event, plain text lines, and messages cut at the end of a
// packet, stowed and completed by the next one (or dropped past 300 bytes).
#include <gtest/gtest.h>

#include <numeric>

#include "PacketDriver.h"
#include "decoders/INTERTELD.h"
#include "support/TraceCapture.h"

namespace {

constexpr uint8_t X = 0x58;
constexpr uint8_t H = 0x48;

using Bytes = std::vector<uint8_t>;
using Events = std::vector<Posted>;

Bytes Cat(Bytes head, const Bytes& tail)
{
    head.insert(head.end(), tail.begin(), tail.end());
    return head;
}

Bytes Chars(const std::string& text)
{
    return Bytes(text.begin(), text.end());
}

// A packet as the unit hands it over: frame byte, count, messages, and the
// byte that makes the sum of all but the frame byte 0xAA. The frame byte
// tells packets with the same messages apart (an identical packet is a repeat).
Bytes Framed(const Bytes& messages, uint8_t frame = 0x10)
{
    Bytes packet = Cat({frame, static_cast<uint8_t>(messages.size())}, messages);
    const uint8_t sum = static_cast<uint8_t>(std::accumulate(packet.begin() + 1, packet.end(), 0u));
    packet.push_back(static_cast<uint8_t>(0xAA - sum));
    return packet;
}

Posted On(uint32_t code, uint32_t param = 0, uint32_t channel = 1)
{
    return {code, param, channel};
}

// Sends each packet with a frame byte of its own, so that none is a repeat.
class InterTel {
public:
    explicit InterTel(uint32_t startChannel = 1) : driver(startChannel) {}
    uint8_t Send(uint8_t channel, uint8_t type, const Bytes& messages)
    {
        return driver.Send(channel, type, Framed(messages, ++frame_));
    }
    Events Take() { return driver.Take(); }

    PacketDriver<INTERTELD> driver;

private:
    uint8_t frame_ = 0;
};

// The display as GetMessage returns it after a post: 90 characters and the terminator.
std::string Shown(const std::string& text)
{
    std::string shown = text + std::string(90 - text.size(), ' ');
    shown.push_back('\0');
    return shown;
}

// ---------------------------------------------------------------- packet checks

TEST(InterTelDecoder, APacketWhoseSumIsNotAAIsRejectedWithItsSum)
{
    TraceCapture trace;
    PacketDriver<INTERTELD> driver;
    Bytes packet = Framed({0x85, 0x01, 0x07});
    packet.back() += 1;  // bytes 1 on sum to 0xAB
    EXPECT_EQ(driver.Send(0, X, packet), 1);
    EXPECT_EQ(driver.Take(), Events{});
    EXPECT_TRUE(trace.Contains("CHECK SUM INTERTEL") && trace.Contains("0xab rejecting packet"));
}

TEST(InterTelDecoder, PacketsTooShortForTheirChecksumAreRejectedBeforeAnyByteIsRead)
{
    TraceCapture trace;
    PacketDriver<INTERTELD> driver;
    driver.Send(0, X, {});
    driver.Send(0, H, {0xAA});
    EXPECT_EQ(driver.Take(), Events{});
    EXPECT_EQ(trace.Count("0x00 rejecting packet"), 2u);
    // The shortest good packets carry nothing to decode.
    driver.Send(0, X, {0x00, 0xAA});
    driver.Send(0, H, {0x00, 0x2A, 0x80});
    EXPECT_EQ(driver.Take(), Events{});
    EXPECT_EQ(trace.Count("rejecting packet"), 2u);
}

TEST(InterTelDecoder, ARepeatedPacketIsDecodedOnce)
{
    PacketDriver<INTERTELD> driver;
    const Bytes digit = Framed({0x3C});
    const Bytes other = Framed({0x24});
    Bytes bad = digit;
    bad.back() ^= 0x01;
    driver.Send(0, H, digit);
    driver.Send(0, H, digit);  // a repeat
    driver.Send(1, H, digit);  // another channel's first
    driver.Send(0, H, other);
    driver.Send(0, H, digit);  // not the previous one
    driver.Send(0, H, bad);    // rejected: the previous packet is forgotten
    driver.Send(0, H, digit);
    EXPECT_EQ(driver.Take(), (Events{On(QXEVT_DIGIT_PRESSED, '7'), On(QXEVT_DIGIT_PRESSED, '7', 2),
                                     On(QXEVT_DIGIT_PRESSED, '1'), On(QXEVT_DIGIT_PRESSED, '7'),
                                     On(QXEVT_DIGIT_PRESSED, '7')}));
}

TEST(InterTelDecoder, APbxPacketOfMoreThanAHundredBytesIsDropped)
{
    for (const size_t length : {100u, 101u}) {
        SCOPED_TRACE(length);
        InterTel set;
        // frame, count and checksum around them
        const Bytes messages = Cat(Bytes(length - 6, 0x81), {0x85, 0x03, 0x07});
        ASSERT_EQ(Framed(messages).size(), length);
        set.Send(0, X, messages);
        EXPECT_EQ(set.Take().size(), length == 100 ? 1u : 0u);
    }
}

// ---------------------------------------------------------------- keys

struct KeyCase {
    uint8_t key;
    Events events;
};

void PrintTo(const KeyCase& row, std::ostream* out)
{
    *out << "key 0x" << std::hex << int(row.key);
}

class InterTelKeys : public testing::TestWithParam<KeyCase> {};

TEST_P(InterTelKeys, GiveTheirEvents)
{
    InterTel set;
    set.Send(0, H, {GetParam().key});
    EXPECT_EQ(set.Take(), GetParam().events);
}

INSTANTIATE_TEST_SUITE_P(
    Table, InterTelKeys,
    testing::Values(KeyCase{0x20, {On(QXEVT_FUNCTION_BUTTON_PRESSED, 0)}},
                    KeyCase{0x21, {On(QXEVT_FUNCTION_BUTTON_PRESSED, 1)}},
                    KeyCase{0x38, {On(QXEVT_FUNCTION_BUTTON_PRESSED, 6)}},
                    KeyCase{0x49, {On(QXEVT_FUNCTION_BUTTON_PRESSED, 11)}},
                    KeyCase{0x24, {On(QXEVT_DIGIT_PRESSED, '1')}}, KeyCase{0x3C, {On(QXEVT_DIGIT_PRESSED, '7')}},
                    KeyCase{0x45, {On(QXEVT_DIGIT_PRESSED, '0')}}, KeyCase{0x4C, {On(QXEVT_DIGIT_PRESSED, '*')}},
                    KeyCase{0x4D, {On(QXEVT_DIGIT_PRESSED, '#')}},
                    KeyCase{0x23, {On(QXEVT_TRANSFER_BUTTON_PRESSED)}},
                    KeyCase{0x50, {On(QXEVT_SPEAKER_BUTTON_PRESSED)}}, KeyCase{0x52, {On(QXEVT_HOLD_BUTTON_PRESSED)}},
                    KeyCase{0x75, {On(QXEVT_OFFHOOK), On(QXEVT_AUDIO_ON, 1), On(QXEVT_AUDIO_OFF, 2)}},
                    KeyCase{0x74, {On(QXEVT_ONHOOK), On(QXEVT_AUDIO_OFF, 1)}}, KeyCase{0x22, {}},
                    KeyCase{0xFF, {}}));

TEST(InterTelDecoder, TheHookIsPostedEveryTimeAndItsAudioByThePostingRule)
{
    InterTel set;
    set.driver.EventUpdates(false);
    set.Send(0, H, {0x74});  // the set starts on hook
    set.Send(0, H, {0x75});
    set.Send(0, H, {0x75});
    EXPECT_EQ(set.Take(), (Events{On(QXEVT_ONHOOK), On(QXEVT_OFFHOOK), On(QXEVT_AUDIO_ON, 1), On(QXEVT_OFFHOOK)}));
    const ZAQ16_PHONE_STATUS status = set.driver.Status(0);
    EXPECT_EQ(status.hookState, QXEVT_OFFHOOK);
    EXPECT_EQ(status.handsetAudio, QXEVT_AUDIO_ON);
}

// ---------------------------------------------------------------- PBX messages

struct PbxCase {
    const char* name;
    Bytes messages;
    Events events;
};

void PrintTo(const PbxCase& row, std::ostream* out)
{
    *out << row.name;
}

class InterTelPbxMessages : public testing::TestWithParam<PbxCase> {};

TEST_P(InterTelPbxMessages, GiveTheirEvents)
{
    InterTel set;
    set.Send(0, X, GetParam().messages);
    EXPECT_EQ(set.Take(), GetParam().events);
}

const Bytes kLampOn = {0x85, 0x01, 0x07};

INSTANTIATE_TEST_SUITE_P(
    Table, InterTelPbxMessages,
    testing::Values(
        PbxCase{"SpeakerLampOn", {0x85, 0x0C, 0x07},
                {On(QXEVT_LIGHT_ON, 0x10C), On(QXEVT_AUDIO_ON, 2), On(QXEVT_AUDIO_OFF, 1)}},
        PbxCase{"SpeakerLampOff", {0x85, 0x0C, 0x00}, {On(QXEVT_LIGHT_OFF, 0x10C), On(QXEVT_AUDIO_OFF, 2)}},
        PbxCase{"LampOnByItsLowBits", {0x85, 0x05, 0xFF}, {On(QXEVT_LIGHT_ON, 0x105)}},
        PbxCase{"Flashing", {0x85, 0x05, 0x01}, {On(QXEVT_LIGHT_FLASHING, 0x105)}},
        PbxCase{"FastFlashing3", {0x85, 0x05, 0x03}, {On(QXEVT_LIGHT_FASTFLASHING, 0x105)}},
        PbxCase{"FastFlashing4", {0x85, 0x05, 0x04}, {On(QXEVT_LIGHT_FASTFLASHING, 0x105)}},
        PbxCase{"VeryFastFlashing", {0x85, 0xFF, 0x05}, {On(QXEVT_LIGHT_VERY_FASTFLASHING, 0x1FF)}},
        PbxCase{"LampState2", {0x85, 0x05, 0x02}, {}}, PbxCase{"LampState6", {0x85, 0x05, 0x06}, {}},
        PbxCase{"RingOn", {0x83, 0x11, 0x00}, {On(QXEVT_RING_ON, 1)}},
        PbxCase{"RingOff", {0x83, 0x10, 0x00}, {On(QXEVT_RING_OFF, 1)}},
        PbxCase{"RingQuiet", Cat({0x83, 0x19, 0x00}, kLampOn), {On(QXEVT_LIGHT_ON, 0x101)}},
        PbxCase{"RingLong", Cat({0x83, 0x20, 0x1D, 0x03, 0x03}, kLampOn), {On(QXEVT_LIGHT_ON, 0x101)}},
        PbxCase{"RingUnknownTakesTwoBytes", Cat({0x83, 0x55}, kLampOn), {On(QXEVT_LIGHT_ON, 0x101)}},
        PbxCase{"Nothing81", Cat({0x81}, kLampOn), {On(QXEVT_LIGHT_ON, 0x101)}},
        PbxCase{"Nothing82Short", Cat({0x82, 0x61}, kLampOn), {On(QXEVT_LIGHT_ON, 0x101)}},
        PbxCase{"Nothing82Long", Cat({0x82, 0x00, 0x85}, kLampOn), {On(QXEVT_LIGHT_ON, 0x101)}},
        PbxCase{"Nothing88", Cat({0x88, 0x85}, kLampOn), {On(QXEVT_LIGHT_ON, 0x101)}},
        PbxCase{"ControlBytes", Cat({0x01, 0x7F, 0x80}, kLampOn), {On(QXEVT_LIGHT_ON, 0x101)}},
        PbxCase{"End84", Cat({0x84}, kLampOn), {}}, PbxCase{"End87", Cat({0x87}, kLampOn), {}},
        PbxCase{"End89", Cat({0x89}, kLampOn), {}},
        PbxCase{"SeveralMessages", Cat({0x83, 0x11, 0x00, 0x85, 0x02, 0x01}, kLampOn),
                {On(QXEVT_RING_ON, 1), On(QXEVT_LIGHT_FLASHING, 0x102), On(QXEVT_LIGHT_ON, 0x101)}},
        PbxCase{"DisplayWithoutEffect", Cat({0x86, 0x13, 0x00}, kLampOn), {On(QXEVT_LIGHT_ON, 0x101)}}),
    [](const testing::TestParamInfo<PbxCase>& info) { return info.param.name; });

TEST(InterTelDecoder, ACountBeyondThePacketReadsOnlyItsMessages)
{
    PacketDriver<INTERTELD> driver;
    Bytes packet = Framed({0x85, 0x01, 0x07});
    packet[1] = 0xF0;  // announces more than the packet holds
    packet.back() = static_cast<uint8_t>(packet.back() - 0xED);
    driver.Send(0, X, packet);
    EXPECT_EQ(driver.Take(), (Events{On(QXEVT_LIGHT_ON, 0x101)}));
}

TEST(InterTelDecoder, LampsStartOffInBothBanksAndKeepTheirParameter)
{
    InterTel set;
    ZAQ16_PHONE_STATUS status = set.driver.Status(3);
    EXPECT_EQ(status.hookState, QXEVT_ONHOOK);
    EXPECT_EQ(status.ringState, QXEVT_RING_OFF);
    EXPECT_EQ(status.lamps[7].state, QXEVT_LIGHT_OFF);
    EXPECT_EQ(status.lamps[7].param, 0x107u);
    EXPECT_EQ(status.lamps[300].state, QXEVT_LIGHT_OFF);
    EXPECT_EQ(status.lamps[300].param, 45u | 0x200u);
    set.Send(3, X, {0x85, 0x07, 0x01});
    status = set.driver.Status(3);
    EXPECT_EQ(status.lamps[7].state, QXEVT_LIGHT_FLASHING);
    EXPECT_EQ(status.lamps[7].param, 0x107u);
}

TEST(InterTelDecoder, UnchangedStatesArePostedOnlyWithEventUpdates)
{
    for (const bool updates : {false, true}) {
        SCOPED_TRACE(updates ? "updates on" : "updates off");
        InterTel set;
        set.driver.EventUpdates(updates);
        set.Send(0, X, {0x85, 0x01, 0x00});  // off, as it started
        set.Send(0, X, {0x85, 0x01, 0x04});
        set.Send(0, X, {0x85, 0x01, 0x03});  // fast flashing again
        set.Send(0, X, {0x83, 0x10, 0x00});  // ring off, as it started
        const Events expected = updates ? Events{On(QXEVT_LIGHT_OFF, 0x101), On(QXEVT_LIGHT_FASTFLASHING, 0x101),
                                                 On(QXEVT_LIGHT_FASTFLASHING, 0x101), On(QXEVT_RING_OFF, 1)}
                                        : Events{On(QXEVT_LIGHT_FASTFLASHING, 0x101)};
        EXPECT_EQ(set.Take(), expected);
    }
}

TEST(InterTelDecoder, OddLampAndRingerStatesAreTraced)
{
    TraceCapture trace;
    InterTel set;
    set.Send(0, X, {0x85, 0x01, 0x0E, 0x83, 0x42});
    EXPECT_TRUE(trace.Contains("WHOOPSY Light") && trace.Contains("Resetting data 14"));
    EXPECT_TRUE(trace.Contains("WHOOPSY RING"));
}

// ---------------------------------------------------------------- display

TEST(InterTelDecoder, DisplayTextIsPostedOnceTheDisplayIsQuietFor400Ms)
{
    TraceCapture trace;
    InterTel set(17);
    set.Send(2, X, Cat({0x86, 0x31}, Chars("Carol 2001")));
    set.driver.Advance(399);
    EXPECT_EQ(set.Take(), Events{});
    EXPECT_EQ(set.driver.Display(2), "Carol 2001");  // what is written so far
    set.driver.Advance(1);
    EXPECT_EQ(set.Take(), (Events{On(QXEVT_MESSAGE_CHANGE, 91, 19)}));
    EXPECT_EQ(set.driver.Display(2), Shown("Carol 2001"));
    EXPECT_TRUE(trace.Contains("TIMER SET for 400 ms for 2"));
    EXPECT_TRUE(trace.Contains("TIMER FIRED after 400 ms for 3"));
    EXPECT_TRUE(trace.Contains("Channel 3 Offset = 10"));
}

struct DisplayCase {
    const char* name;
    std::vector<Bytes> messages;  // one packet each
    std::string shown;
};

void PrintTo(const DisplayCase& row, std::ostream* out)
{
    *out << row.name;
}

class InterTelDisplayMessages : public testing::TestWithParam<DisplayCase> {};

TEST_P(InterTelDisplayMessages, WriteTheDisplay)
{
    InterTel set;
    for (const Bytes& messages : GetParam().messages) {
        set.Send(0, X, messages);
    }
    set.driver.Advance(400);
    set.Take();
    // GetMessage returns up to the cursor, which may lie beyond the display.
    EXPECT_EQ(set.driver.Display(0).substr(0, 91), Shown(GetParam().shown));
}

INSTANTIATE_TEST_SUITE_P(
    Table, InterTelDisplayMessages,
    testing::Values(
        DisplayCase{"Clear", {Cat({0x86, 0x39}, Chars("Hi"))}, "Hi"},
        DisplayCase{"ClearRow2", {Cat({0x86, 0x31}, Chars("Row one")), Cat({0x86, 0x7D}, Chars("Row two"))},
                    "Row one" + std::string(25, ' ') + "Row two"},
        DisplayCase{"ClearRow2KeepsRow1", {Cat({0x86, 0x31}, Chars(std::string(40, 'a'))), Bytes{0x86, 0x7D}},
                    std::string(32, 'a')},
        DisplayCase{"Positioned", {Cat({0x86, 0x31}, Chars("AB")), Cat({0x86, 0x01, 0x05}, Chars("CD"))},
                    "AB   CD"},
        // Each display message first posts the one before it, which leaves the
        // cursor after the 90 characters when the display changed.
        DisplayCase{"TextAtTheCursor", {Bytes{0x86, 0x01, 0x05}, Cat({0x86}, Chars("CD"))}, "     CD"},
        DisplayCase{"TextAfterAPost", {Cat({0x86, 0x31}, Chars("AB")), Cat({0x86}, Chars("CD"))}, "AB"},
        DisplayCase{"ControlByteEndsTheText",
                    {Cat(Cat({0x86, 0x31}, Chars("AB")), {0x01, 0x86, 0x01, 0x05, 'C'})}, "AB   C"},
        DisplayCase{"PositionedPastTheDisplay", {Cat({0x86, 0x31}, Chars("AB")), Cat({0x86, 0x01, 0xFA}, Chars("Z"))},
                    "AB"}),
    [](const testing::TestParamInfo<DisplayCase>& info) { return info.param.name; });

TEST(InterTelDecoder, EachDisplayMessagePostsWhatTheOneBeforeItLeft)
{
    InterTel set;
    set.Send(0, X, Cat({0x86, 0x31}, Chars("Dial")));
    set.driver.Advance(100);
    set.Send(0, X, Cat({0x86, 0x01, 0x05}, Chars("21")));
    EXPECT_EQ(set.Take(), (Events{On(QXEVT_MESSAGE_CHANGE, 91)}));
    EXPECT_EQ(set.driver.Display(0).substr(0, 4), "Dial");
    set.driver.Advance(400);
    EXPECT_EQ(set.Take(), (Events{On(QXEVT_MESSAGE_CHANGE, 91)}));
    EXPECT_EQ(set.driver.Display(0), Shown("Dial 21"));
    // The same display again is not posted.
    set.Send(0, X, Cat({0x86, 0x31}, Chars("Dial 21")));
    set.driver.Advance(400);
    EXPECT_EQ(set.Take(), Events{});
}

TEST(InterTelDecoder, DisplayTextIsPostedBeforeAFollowingEventAndReadsBackWhole)
{
    TraceCapture trace;
    InterTel set;
    set.Send(0, X, Cat({0x86, 0x31}, Chars("Ann 4711")));
    set.driver.Advance(100);
    set.Send(0, X, {0x85, 0x02, 0x01});
    EXPECT_EQ(set.Take(), (Events{On(QXEVT_MESSAGE_CHANGE, 91), On(QXEVT_LIGHT_FLASHING, 0x102)}));
    EXPECT_TRUE(trace.Contains("(proceeding event) TIMER Cancelled for 400 ms for 1"));
    // GetMessage gives the 91 bytes the event announces, not the cursor's 8.
    EXPECT_EQ(set.driver.Display(0), Shown("Ann 4711"));
    set.driver.Advance(1000);
    EXPECT_EQ(set.Take(), Events{});
    // A lamp turned on flushes it too, and so does a key from the set.
    set.Send(0, X, Cat({0x86, 0x31}, Chars("Bob")));
    set.Send(0, X, kLampOn);
    set.Send(0, X, Cat({0x86, 0x31}, Chars("Carol")));
    set.Send(0, H, {0x24});
    EXPECT_EQ(set.Take(), (Events{On(QXEVT_MESSAGE_CHANGE, 91), On(QXEVT_LIGHT_ON, 0x101),
                                  On(QXEVT_MESSAGE_CHANGE, 91), On(QXEVT_DIGIT_PRESSED, '1')}));
}

TEST(InterTelDecoder, PlainTextLinesAreAppendedWhenTheyChange)
{
    InterTel set;
    set.Send(0, X, Cat({0x86, 0x31}, Chars("Call ")));
    set.Send(0, X, Chars("fwd"));
    set.Send(0, X, Cat(Chars("fwd"), {0x00, 0x41}));  // the same line: not appended again
    set.Send(0, X, Chars("ed"));
    set.driver.Advance(399);
    EXPECT_EQ(set.Take(), Events{});
    set.driver.Advance(1);
    EXPECT_EQ(set.Take(), (Events{On(QXEVT_MESSAGE_CHANGE, 91)}));
    EXPECT_EQ(set.driver.Display(0), Shown("Call fwded"));
}

TEST(InterTelDecoder, EndlessPlainTextLinesStopAtTheEndOfTheDisplayRecord)
{
    InterTel set;
    for (int i = 0; i < 40; ++i) {
        set.Send(0, X, Chars(std::string(95, static_cast<char>('A' + i % 26))));
    }
    EXPECT_EQ(set.driver.Record(0).offset, DisplayRecord::kTextSize);
    set.driver.Advance(400);
    EXPECT_EQ(set.Take(), (Events{On(QXEVT_MESSAGE_CHANGE, 91)}));
    EXPECT_EQ(set.driver.Display(0), Shown(std::string(90, 'A')));
}

// ---------------------------------------------------------------- cut messages

TEST(InterTelDecoder, ALampCutAtTheEndOfAPacketIsDecodedWithTheNext)
{
    TraceCapture trace;
    InterTel set;
    set.Send(0, X, {0x83, 0x11, 0x00, 0x85, 0x0C});
    EXPECT_EQ(set.Take(), (Events{On(QXEVT_RING_ON, 1)}));
    EXPECT_TRUE(trace.Contains("Stowdata 0x85"));
    // A packet without messages leaves the stow as it was.
    set.driver.Send(0, X, {0x00, 0xAA});
    EXPECT_EQ(set.Take(), Events{});
    set.Send(0, X, {0x07, 0x85, 0x01, 0x01});
    EXPECT_TRUE(trace.Contains("Stowdata 1"));
    EXPECT_EQ(set.Take(), (Events{On(QXEVT_LIGHT_ON, 0x10C), On(QXEVT_AUDIO_ON, 2), On(QXEVT_AUDIO_OFF, 1),
                                  On(QXEVT_LIGHT_FLASHING, 0x101)}));
    // Set packets leave a stow alone.
    set.Send(1, X, {0x85});
    set.Send(1, H, {0x24});
    set.Send(1, X, {0x02, 0x07});
    EXPECT_EQ(set.Take(), (Events{On(QXEVT_DIGIT_PRESSED, '1', 2), On(QXEVT_LIGHT_ON, 0x102, 2)}));
}

struct CutCase {
    Bytes first;   // ends with the cut message
    Bytes second;  // its rest, then a lamp
    const char* line;
    Events events;
};

void PrintTo(const CutCase& row, std::ostream* out)
{
    *out << row.line;
}

class InterTelCutMessages : public testing::TestWithParam<CutCase> {};

TEST_P(InterTelCutMessages, AreStowedAndCompleted)
{
    TraceCapture trace;
    InterTel set;
    set.Send(0, X, GetParam().first);
    EXPECT_TRUE(trace.Contains(GetParam().line)) << GetParam().line;
    set.Send(0, X, Cat(GetParam().second, kLampOn));
    set.driver.Advance(400);
    EXPECT_EQ(set.Take(), GetParam().events);
}

const Events kJustTheLamp = {On(QXEVT_LIGHT_ON, 0x101)};

INSTANTIATE_TEST_SUITE_P(
    Table, InterTelCutMessages,
    testing::Values(CutCase{{0x82}, {0x61}, "Stowdata 0x82", kJustTheLamp},
                    CutCase{{0x82, 0x00}, {0x00}, "Stowdata 0x82", kJustTheLamp},
                    CutCase{{0x83}, {0x11, 0x00}, "Stowdata 0x83", {On(QXEVT_RING_ON, 1), On(QXEVT_LIGHT_ON, 0x101)}},
                    CutCase{{0x83, 0x10}, {0x00}, "Stowdata 0x83", {On(QXEVT_RING_OFF, 1), On(QXEVT_LIGHT_ON, 0x101)}},
                    CutCase{{0x83, 0x20, 0x1D}, {0x03, 0x03}, "Stowdata 0x83 0x20 0x1d 0x03 0x03", kJustTheLamp},
                    CutCase{{0x85, 0x01}, {0x04}, "Stowdata 0x85",
                            {On(QXEVT_LIGHT_FASTFLASHING, 0x101), On(QXEVT_LIGHT_ON, 0x101)}},
                    CutCase{{0x86}, {0x31, 'H', 'i', 0x00}, "Stowdata 0x86 less than 2 bytes",
                            {On(QXEVT_MESSAGE_CHANGE, 91), On(QXEVT_LIGHT_ON, 0x101)}},
                    CutCase{{0x86, 0x13}, {0x00}, "Stowdata 0x86 0x13", kJustTheLamp},
                    CutCase{{0x86, 0x02}, {0x03, 'H', 'i', 0x00}, "Stowdata 0x86 positioning command",
                            {On(QXEVT_MESSAGE_CHANGE, 91), On(QXEVT_LIGHT_ON, 0x101)}},
                    CutCase{{0x86, 0x31, 'H', 'i', 0x85, 0x01}, {0x01}, "Stowdata 0x86 leftover non ascii",
                            {On(QXEVT_MESSAGE_CHANGE, 91), On(QXEVT_LIGHT_FLASHING, 0x101), On(QXEVT_LIGHT_ON, 0x101)}},
                    CutCase{{0x88}, {0x00}, "Stowdata 0x87", kJustTheLamp},
                    CutCase{{0x8A, 0x00}, {}, "Stowdata default case", {}}));

TEST(InterTelDecoder, AStowThatWouldPass300BytesIsDroppedAndTheChannelRecovers)
{
    TraceCapture trace;
    InterTel set;
    // An unknown message stows the rest of its run, and every packet after it
    // joins the stow: 97 bytes each, until the next would pass 298.
    set.Send(0, X, Cat({0x8A}, Bytes(96, 0x20)));
    for (int i = 0; i < 3; ++i) {
        set.Send(0, X, Cat(kLampOn, Bytes(94, 0x20)));
    }
    EXPECT_EQ(set.Take(), Events{});
    EXPECT_EQ(trace.Count("Stowdata 1"), 3u);
    EXPECT_TRUE(trace.Contains("Stowdata dropped"));
    set.Send(0, X, kLampOn);
    EXPECT_EQ(set.Take(), kJustTheLamp);
    EXPECT_EQ(trace.Count("Stowdata 1"), 3u);
}

// ---------------------------------------------------------------- lifetime and callbacks

TEST(InterTelDecoder, ADecoderWithATimerAndAStowGoesAwayCleanly)
{
    auto set = std::make_unique<InterTel>();
    set->Send(0, X, {0x86, 0x31, 'A', 0x85});
    EXPECT_EQ(set->driver.timers.ArmedCount(), 1u);
    TraceCapture trace;
    set.reset();
    EXPECT_TRUE(trace.Contains("INTERTELD::~INTERTELD") && trace.Contains("Port DELETED"));
}

class ReadingSink final : public EventSink {
public:
    uint32_t Post(const ZAQ16_EVENT& event) override
    {
        const uint8_t local = static_cast<uint8_t>(event.channel - 1);
        std::string shown;
        if (event.eventCode == QXEVT_MESSAGE_CHANGE) {
            std::vector<char> text(event.param);
            decoder->GetMessage(local, text.data(), event.param);
            shown.assign(text.data(), 4);
        }
        ZAQ16_PHONE_STATUS status{};
        decoder->Context().CopyPhoneStatus(local, &status);
        seen.push_back(shown + "/" + std::to_string(status.ringState));
        return 0;
    }
    Decoder* decoder = nullptr;
    std::vector<std::string> seen;
};

TEST(InterTelDecoder, ACallbackMayReadThePortFromInsideAnEvent)
{
    InterTel set;
    ReadingSink sink;
    sink.decoder = &set.driver.decoder;
    set.driver.context.SetEventSink(sink);
    const auto start = std::chrono::steady_clock::now();
    set.Send(0, X, Cat({0x86, 0x31}, Chars("Dave")));
    set.Send(0, X, {0x83, 0x11, 0x00});
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));  // no lock wait ran out
    ASSERT_EQ(sink.seen.size(), 2u);
    // The ring message is decoded (and its state kept) before the display it follows is posted.
    EXPECT_EQ(sink.seen[0], "Dave/" + std::to_string(QXEVT_RING_ON));
    EXPECT_EQ(sink.seen[1], "/" + std::to_string(QXEVT_RING_ON));
}

}  // namespace
