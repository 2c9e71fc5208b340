// MERLINMAGIXD driven packet by packet: every message pattern, the key
// releases, the audio reports and the hook they imply, the display text with
// its timer, the flush before a following event, and packets that are cut
// short or overrun the display.
#include <gtest/gtest.h>

#include "PacketDriver.h"
#include "decoders/MERLINMAGIXD.h"
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

// The packet without its last byte.
Bytes CutShort(Bytes packet)
{
    packet.pop_back();
    return packet;
}

Bytes Lamp(uint8_t lamp, uint8_t states)
{
    return {0x02, 0x11, 0x00, 0x00, 0x08, 0x00, 0x7B, 0x96, 0x50, 0x03, 0x00, lamp, states};
}

Bytes Text(const Bytes& text)
{
    return Cat({0x02, 0x11, 0x00, 0x00, 0x08, 0x00, 0x7B, 0x96, 0x6B, static_cast<uint8_t>(text.size())}, text);
}

Bytes Text(const std::string& text)
{
    return Text(Bytes(text.begin(), text.end()));
}

Bytes Tone(uint8_t tone)
{
    return {0x02, 0x11, 0x00, 0x00, 0x08, 0x01, 0x00, 0x00, 0x08, 0x02, 0x82,
            tone, 0x1E, 0x02, 0x82, 0x88, 0x34, 0x01};
}

const Bytes kRingOff = {0x02, 0x11, 0x00, 0x00, 0x08, 0x00, 0x7B, 0x96, 0x10, 0x02, 0x00, 0x81};
const Bytes kRingOn = {0x02, 0x11, 0x00, 0x00, 0x08, 0x01, 0x00, 0x00, 0x04, 0x03, 0x80, 0x90, 0xA2, 0x18, 0x01, 0x89};
const Bytes kDisconnected = {0x02, 0x11, 0x00, 0x00, 0x08, 0x01, 0x00, 0x00, 0x08, 0x02, 0x81};
const Bytes kConnected = {0x02, 0x11, 0x00, 0x00, 0x08, 0x01, 0x00, 0x00, 0x18, 0x01, 0x89};

Bytes Digit(uint8_t digit)
{
    return {0x00, 0x11, 0x00, 0x00, 0x08, 0x01, 0x00, 0x7B, 0x2C, 0x01, digit};
}

Bytes Key(uint8_t key)
{
    return {0x00, 0x11, 0x00, 0x00, 0x08, 0x00, 0x7B, 0x96, 0x57, 0x01, key};
}

// A set's audio report: the pattern in the last nine bytes, after any head.
Bytes Audio(uint8_t mode, const Bytes& head = {0x00, 0x12, 0x00})
{
    return Cat(head, {0x36, 0x01, 0x00, 0x96, 0x04, 0x01, mode, 0x00, 0x00});
}

Posted On(uint32_t code, uint32_t param = 0, uint32_t channel = 1)
{
    return {code, param, channel};
}

// ---------------------------------------------------------------- PBX messages

struct PbxCase {
    const char* name;
    Bytes packet;
    Events events;
};

void PrintTo(const PbxCase& row, std::ostream* out)
{
    *out << row.name;
}

class MerlinPbxMessages : public testing::TestWithParam<PbxCase> {};

TEST_P(MerlinPbxMessages, GiveTheirEvents)
{
    PacketDriver<MERLINMAGIXD> driver;
    driver.Send(0, X, GetParam().packet);
    EXPECT_EQ(driver.Take(), GetParam().events);
}

INSTANTIATE_TEST_SUITE_P(
    Table, MerlinPbxMessages,
    testing::Values(
        PbxCase{"GreenOnRedOff", Lamp(0x05, 0x10), {On(QXEVT_LIGHT_ON, 0x105), On(QXEVT_LIGHT_OFF, 0x205)}},
        PbxCase{"FlashingAndFastFlashing", Lamp(0xF3, 0x46),
                {On(QXEVT_LIGHT_FLASHING, 0x103), On(QXEVT_LIGHT_FASTFLASHING, 0x203)}},
        PbxCase{"StatesWithoutAnEvent", Lamp(0x03, 0x23), {}},
        PbxCase{"RedOnly", Lamp(0x02, 0x71), {On(QXEVT_LIGHT_ON, 0x202)}},
        PbxCase{"RingOff", kRingOff, {On(QXEVT_RING_OFF, 1)}},
        PbxCase{"RingOn", kRingOn, {On(QXEVT_RING_ON, 1)}},
        PbxCase{"Reorder", Tone(0x81), {On(QXEVT_REORDER)}},
        PbxCase{"DestinationBusy", Tone(0x91), {On(QXEVT_DESTINATION_BUSY)}},
        PbxCase{"OtherTone", Tone(0x99), {}},
        PbxCase{"Disconnected", kDisconnected, {On(QXEVT_DISCONNECTED)}},
        PbxCase{"Connected", kConnected, {On(QXEVT_CONNECTED)}},
        PbxCase{"PrintableText", Text("Hi"), {On(QXEVT_MESSAGE_CHANGE, 3)}},
        PbxCase{"IgnoredKind79", [] { Bytes p = Lamp(0x05, 0x10); p[4] = 0x79; return p; }(), {}},
        PbxCase{"IgnoredKindB0", [] { Bytes p = kConnected; p[4] = 0xB0; return p; }(), {}},
        PbxCase{"OtherHead", [] { Bytes p = kConnected; p[0] = 0x00; return p; }(), {}},
        PbxCase{"LampCutBeforeItsStates", CutShort(Lamp(0x05, 0x10)), {}},
        PbxCase{"RingOnCutShort", CutShort(kRingOn), {}},
        PbxCase{"ToneCutShort", CutShort(Tone(0x81)), {}},
        PbxCase{"HeadOnly", Bytes{0x02, 0x11}, {}},
        PbxCase{"Empty", Bytes{}, {}}),
    [](const testing::TestParamInfo<PbxCase>& info) { return info.param.name; });

TEST(MerlinDecoder, LampsAreKeptInTheirColoursEntries)
{
    PacketDriver<MERLINMAGIXD> driver;
    driver.Send(2, X, Lamp(0x07, 0x14));
    const ZAQ16_PHONE_STATUS status = driver.Status(2);
    EXPECT_EQ(status.lamps[7].state, QXEVT_LIGHT_ON);
    EXPECT_EQ(status.lamps[7].param, 0x107u);
    EXPECT_EQ(status.lamps[7 + 255].state, QXEVT_LIGHT_FLASHING);
    EXPECT_EQ(status.lamps[7 + 255].param, 0x207u);
}

TEST(MerlinDecoder, UnchangedStatesArePostedOnlyWithEventUpdates)
{
    for (const bool updates : {false, true}) {
        SCOPED_TRACE(updates ? "updates on" : "updates off");
        PacketDriver<MERLINMAGIXD> driver;
        driver.EventUpdates(updates);
        driver.Send(0, X, Lamp(0x01, 0x41));
        driver.Send(0, X, kRingOn);
        driver.Send(0, X, kConnected);
        driver.Take();
        driver.Send(0, X, Lamp(0x01, 0x41));  // both colours as they were
        driver.Send(0, X, Lamp(0x01, 0x44));  // red changes only
        driver.Send(0, X, kRingOn);
        driver.Send(0, X, kConnected);        // no state: always posted
        Events expected;
        if (updates) {
            expected = {On(QXEVT_LIGHT_FLASHING, 0x101), On(QXEVT_LIGHT_ON, 0x201), On(QXEVT_LIGHT_FLASHING, 0x101),
                        On(QXEVT_LIGHT_FLASHING, 0x201), On(QXEVT_RING_ON, 1), On(QXEVT_CONNECTED)};
        } else {
            expected = {On(QXEVT_LIGHT_FLASHING, 0x201), On(QXEVT_CONNECTED)};
        }
        EXPECT_EQ(driver.Take(), expected);
    }
}

TEST(MerlinDecoder, EachLampColourWritesItsTraceLine)
{
    TraceCapture trace;
    PacketDriver<MERLINMAGIXD> driver;
    driver.EventUpdates(false);
    driver.Send(0, X, Lamp(0x01, 0x10));
    driver.Send(0, X, Lamp(0x01, 0x10));
    EXPECT_EQ(trace.Count("GREEN LIGHT STUFF"), 2u);
    EXPECT_TRUE(trace.Contains("bSendEvent = 1 m_EventUpdateFlag = 0"));
    EXPECT_TRUE(trace.Contains("bSendEvent = 0 m_EventUpdateFlag = 0"));
    EXPECT_EQ(trace.Count("RED LIGHT STUFF"), 2u);
}

// ---------------------------------------------------------------- set messages

struct SetCase {
    const char* name;
    std::vector<Bytes> packets;
    Events events;
};

void PrintTo(const SetCase& row, std::ostream* out)
{
    *out << row.name;
}

class MerlinSetMessages : public testing::TestWithParam<SetCase> {};

TEST_P(MerlinSetMessages, GiveTheirEvents)
{
    PacketDriver<MERLINMAGIXD> driver;
    for (const Bytes& packet : GetParam().packets) {
        driver.Send(0, H, packet);
    }
    EXPECT_EQ(driver.Take(), GetParam().events);
}

INSTANTIATE_TEST_SUITE_P(
    Table, MerlinSetMessages,
    testing::Values(
        SetCase{"DigitPressedAndReleased", {Digit(0x35), Key(0x00)},
                {On(QXEVT_DIGIT_PRESSED, 0x35), On(QXEVT_DIGIT_RELEASED, 0x35)}},
        SetCase{"FunctionKey", {Key(0x1A), Key(0x00)},
                {On(QXEVT_FUNCTION_BUTTON_PRESSED, 0x0A), On(QXEVT_FUNCTION_BUTTON_RELEASED, 0x0A)}},
        SetCase{"Transfer", {Key(0x0C), Key(0x00)},
                {On(QXEVT_TRANSFER_BUTTON_PRESSED), On(QXEVT_TRANSFER_BUTTON_RELEASED)}},
        SetCase{"Hold", {Key(0x0D), Key(0x00)}, {On(QXEVT_HOLD_BUTTON_PRESSED), On(QXEVT_HOLD_BUTTON_RELEASED)}},
        SetCase{"Conference", {Key(0x0E), Key(0x00)},
                {On(QXEVT_CONF_BUTTON_PRESSED), On(QXEVT_CONF_BUTTON_RELEASED)}},
        SetCase{"Redial", {Key(0x37), Key(0x00)},
                {On(QXEVT_REDIAL_BUTTON_PRESSED), On(QXEVT_REDIAL_BUTTON_RELEASED)}},
        SetCase{"ReleaseRepeatsTheLastKey", {Digit('7'), Key(0x00), Key(0x00)},
                {On(QXEVT_DIGIT_PRESSED, '7'), On(QXEVT_DIGIT_RELEASED, '7'), On(QXEVT_DIGIT_RELEASED, '7')}},
        SetCase{"AnUnknownKeyKeepsTheLastKind", {Key(0x0D), Key(0x40), Key(0x00)},
                {On(QXEVT_HOLD_BUTTON_PRESSED), On(QXEVT_HOLD_BUTTON_RELEASED)}},
        SetCase{"ReleaseBeforeAnyKey", {Key(0x00)}, {}},
        SetCase{"EchoOfThePbx", {[] { Bytes p = Digit('1'); p[0] = 0x02; return p; }()}, {}},
        SetCase{"DigitCutBeforeItsKey", {Bytes(10, 0)}, {}},
        SetCase{"Empty", {Bytes{}}, {}}),
    [](const testing::TestParamInfo<SetCase>& info) { return info.param.name; });

// ---------------------------------------------------------------- audio and hook

struct AudioCase {
    uint8_t mode;
    Events events;
};

void PrintTo(const AudioCase& row, std::ostream* out)
{
    *out << "mode " << int(row.mode);
}

class MerlinAudioModes : public testing::TestWithParam<AudioCase> {};

TEST_P(MerlinAudioModes, PostTheirPathsThenTheHook)
{
    PacketDriver<MERLINMAGIXD> driver;
    driver.Send(0, H, Audio(GetParam().mode));
    EXPECT_EQ(driver.Take(), GetParam().events);
}

constexpr uint32_t kOn = QXEVT_AUDIO_ON;
constexpr uint32_t kOff = QXEVT_AUDIO_OFF;

INSTANTIATE_TEST_SUITE_P(
    Table, MerlinAudioModes,
    testing::Values(
        // From the idle set, with event updates on: every path, and the hook when it changes.
        AudioCase{0, {On(kOff, 1), On(kOff, 2), On(kOff, 3), On(kOff, 4)}},
        AudioCase{1, {On(kOn, 3), On(kOff, 1), On(kOff, 2), On(kOff, 4), On(QXEVT_OFFHOOK)}},
        AudioCase{4, {On(kOn, 4), On(kOff, 2), On(kOff, 1), On(kOff, 3), On(QXEVT_OFFHOOK)}},
        AudioCase{5, {On(kOn, 3), On(kOn, 4), On(kOff, 1), On(kOff, 2), On(QXEVT_OFFHOOK)}},
        AudioCase{9, {On(kOn, 1), On(kOff, 3), On(kOff, 2), On(kOff, 4), On(QXEVT_OFFHOOK)}},
        AudioCase{0x1C, {On(kOn, 2), On(kOff, 4), On(kOff, 1), On(kOff, 3), On(QXEVT_OFFHOOK)}},
        AudioCase{13, {On(kOff, 1), On(kOff, 2), On(kOff, 3), On(kOff, 4), On(QXEVT_OFFHOOK)}},
        AudioCase{2, {}}, AudioCase{15, {}}),
    [](const testing::TestParamInfo<AudioCase>& info) { return "Mode" + std::to_string(info.param.mode); });

TEST(MerlinDecoder, OnHookIsPostedOnceHoweverOftenModeZeroComes)
{
    for (const bool updates : {false, true}) {
        SCOPED_TRACE(updates ? "updates on" : "updates off");
        PacketDriver<MERLINMAGIXD> driver;
        driver.EventUpdates(updates);
        driver.Send(0, H, Audio(9));
        driver.Take();
        driver.Send(0, H, Audio(0));
        const Events first = driver.Take();
        if (updates) {
            EXPECT_EQ(first, (Events{On(kOff, 1), On(kOff, 2), On(kOff, 3), On(kOff, 4), On(QXEVT_ONHOOK)}));
        } else {
            EXPECT_EQ(first, (Events{On(kOff, 1), On(QXEVT_ONHOOK)}));
        }
        driver.Send(0, H, Audio(0));
        const Events second = driver.Take();
        EXPECT_EQ(second, updates ? (Events{On(kOff, 1), On(kOff, 2), On(kOff, 3), On(kOff, 4)}) : Events{});
        EXPECT_EQ(driver.Status(0).hookState, QXEVT_ONHOOK);
    }
}

TEST(MerlinDecoder, ModeNineAfterModeZeroGoesOffHook)
{
    for (const bool updates : {false, true}) {
        SCOPED_TRACE(updates ? "updates on" : "updates off");
        PacketDriver<MERLINMAGIXD> driver;
        driver.EventUpdates(updates);
        driver.Send(0, H, Audio(0));
        driver.Take();
        driver.Send(0, H, Audio(9));
        const Events expected = updates ? Events{On(kOn, 1), On(kOff, 3), On(kOff, 2), On(kOff, 4), On(QXEVT_OFFHOOK)}
                                        : Events{On(kOn, 1), On(QXEVT_OFFHOOK)};
        EXPECT_EQ(driver.Take(), expected);
        const ZAQ16_PHONE_STATUS status = driver.Status(0);
        EXPECT_EQ(status.hookState, QXEVT_OFFHOOK);
        EXPECT_EQ(status.handsetAudio, QXEVT_AUDIO_ON);
        EXPECT_EQ(status.handsetReceiverAudio, QXEVT_AUDIO_OFF);
    }
}

TEST(MerlinDecoder, AnAudioReportIsFoundAfterAnyHeadAndNeverBeforeThePacket)
{
    PacketDriver<MERLINMAGIXD> driver;
    driver.EventUpdates(false);
    // The key head with an unknown key row: still read as an audio report.
    driver.Send(0, H, Audio(9, {0x00, 0x11, 0x00, 0x00, 0x08, 0x00, 0x00}));
    EXPECT_EQ(driver.Take(), (Events{On(kOn, 1), On(QXEVT_OFFHOOK)}));
    // Shorter than the report's nine bytes: the check would read before the packet.
    const Bytes whole = Audio(0, {});
    for (size_t cut = 1; cut < whole.size(); ++cut) {
        driver.Send(0, H, Bytes(whole.begin() + cut, whole.end()));
    }
    EXPECT_EQ(driver.Take(), Events{});
}

// ---------------------------------------------------------------- display

TEST(MerlinDecoder, PrintableTextIsPostedAtOnceWithItsTerminator)
{
    TraceCapture trace;
    PacketDriver<MERLINMAGIXD> driver(17);
    driver.Send(3, X, Text("Call 4711"));
    EXPECT_EQ(driver.Take(), (Events{On(QXEVT_MESSAGE_CHANGE, 10, 20)}));
    EXPECT_EQ(driver.Display(3), std::string("Call 4711\0", 10));
    EXPECT_TRUE(trace.Contains("MERLINMAGIX TIMER Cancelled for 300 ms for 20"));
    EXPECT_TRUE(trace.Contains("channel 20 offset = 10"));
    driver.Advance(1000);
    EXPECT_EQ(driver.Take(), Events{});
    // The next text starts a new display.
    driver.Send(3, X, Text("Bob"));
    EXPECT_EQ(driver.Display(3), std::string("Bob\0", 4));
}

TEST(MerlinDecoder, TextThatStartsWithAControlByteWaitsUntilTheDisplayIsQuiet)
{
    TraceCapture trace;
    PacketDriver<MERLINMAGIXD> driver;
    driver.Send(1, X, Text(Bytes{0x13, 'A', 'n', 'n'}));
    driver.Advance(200);
    driver.Send(1, X, Text(Bytes{0x13, ' ', '4', '7'}));
    driver.Advance(299);
    EXPECT_EQ(driver.Take(), Events{});
    driver.Advance(1);
    EXPECT_EQ(driver.Take(), (Events{On(QXEVT_MESSAGE_CHANGE, 7, 2)}));
    EXPECT_EQ(driver.Display(1), std::string("Ann 47\0", 7));
    EXPECT_TRUE(trace.Contains("TIMER SET for 300 ms for 1"));
    EXPECT_TRUE(trace.Contains("TIMER FIRED after 300 ms for 2"));
    EXPECT_TRUE(trace.Contains("Channel 2 Offset = 6"));
    driver.Advance(1000);
    EXPECT_EQ(driver.Take(), Events{});
}

TEST(MerlinDecoder, ATabAfterPrintableTextDefersIt)
{
    PacketDriver<MERLINMAGIXD> driver;
    driver.Send(0, X, Text(Bytes{'A', 0x09, 'B'}));
    EXPECT_EQ(driver.Take(), Events{});
    driver.Advance(300);
    EXPECT_EQ(driver.Take(), (Events{On(QXEVT_MESSAGE_CHANGE, 3)}));
    EXPECT_EQ(driver.Display(0), std::string("AB\0", 3));
}

struct TextCase {
    const char* name;
    Bytes text;
    std::string shown;  // without the terminator
};

void PrintTo(const TextCase& row, std::ostream* out)
{
    *out << row.name;
}

class MerlinTextBytes : public testing::TestWithParam<TextCase> {};

TEST_P(MerlinTextBytes, WriteTheDisplay)
{
    PacketDriver<MERLINMAGIXD> driver;
    driver.Send(0, X, Text(GetParam().text));
    driver.Advance(300);
    const std::string shown = GetParam().shown + std::string(1, '\0');
    EXPECT_EQ(driver.Display(0), shown);
    EXPECT_EQ(driver.Take(), (Events{On(QXEVT_MESSAGE_CHANGE, static_cast<uint32_t>(shown.size()))}));
}

INSTANTIATE_TEST_SUITE_P(
    Table, MerlinTextBytes,
    testing::Values(
        // 10 a b: a - 1 line feeds and b spaces; b is then read as a byte of its own.
        TextCase{"LinesAndSpaces", {0x13, 'A', 0x10, 0x03, 0x02, 'B'}, "A\n\n  B"},
        TextCase{"SpacesCountThatIsPrintable", {0x13, 0x10, 0x01, 0x21, 'B'}, std::string(33, ' ') + "!B"},
        TextCase{"NoLineFeedForACountOfZero", {0x13, 0x10, 0x00, 0x01, 'B'}, " B"},
        TextCase{"RepeatCountsCutOff", {0x13, 'A', 0x10, 0x02}, "A"},
        TextCase{"SkipTwo", {0x13, 0x12, 'X', 'Y'}, "Y"},
        TextCase{"OtherControlBytesSkipped", {0x13, 0x01, 'Q', 0x1F}, "Q"}),
    [](const testing::TestParamInfo<TextCase>& info) { return info.param.name; });

TEST(MerlinDecoder, TextCountIsBoundByThePacket)
{
    PacketDriver<MERLINMAGIXD> driver;
    Bytes packet = Text("ABC");
    packet[9] = 0xFF;  // announces more text than the packet holds
    driver.Send(0, X, packet);
    EXPECT_EQ(driver.Display(0), std::string("ABC\0", 4));
}

TEST(MerlinDecoder, LineFeedsAndSpacesStopAtTheEndOfTheDisplayRecord)
{
    PacketDriver<MERLINMAGIXD> driver;
    Bytes runs = {0x13};
    for (int i = 0; i < 5; ++i) {
        runs.insert(runs.end(), {0x10, 0xFF, 0xFF});
    }
    for (int i = 0; i < 3; ++i) {
        driver.Send(0, X, Text(runs));
    }
    driver.Send(0, X, Text("end"));  // printable: posted at once
    const Events posted = driver.Take();
    ASSERT_EQ(posted.size(), 1u);
    EXPECT_EQ(posted[0].param, DisplayRecord::kTextSize);
    EXPECT_EQ(driver.Record(0).offset, DisplayRecord::kTextSize);
    EXPECT_EQ(driver.Record(0).text[DisplayRecord::kTextSize - 1], '\0');
    EXPECT_EQ(driver.Record(0).text[DisplayRecord::kTextSize - 2], '\n');
}

TEST(MerlinDecoder, APendingDisplayIsPostedBeforeTheNextEvent)
{
    TraceCapture trace;
    PacketDriver<MERLINMAGIXD> driver;
    driver.Send(0, X, Text(Bytes{0x13, 'B', 'o', 'b'}));
    driver.Advance(100);
    driver.Send(0, X, Lamp(0x00, 0x40));
    EXPECT_EQ(driver.Take(), (Events{On(QXEVT_MESSAGE_CHANGE, 4), On(QXEVT_LIGHT_FLASHING, 0x100),
                                     On(QXEVT_LIGHT_OFF, 0x200)}));
    EXPECT_TRUE(trace.Contains("(proceeding event) TIMER Cancelled for 300 ms for 1"));
    driver.Advance(1000);
    EXPECT_EQ(driver.Take(), Events{});
    // A message that sets no event leaves the display waiting.
    driver.Send(0, X, Text(Bytes{0x13, 'X'}));
    driver.Send(0, X, Tone(0x99));
    driver.Send(0, X, Lamp(0x00, 0x23));
    EXPECT_EQ(driver.Take(), Events{});
    // A key on the set posts it first too.
    driver.Send(0, H, Digit('5'));
    EXPECT_EQ(driver.Take(), (Events{On(QXEVT_MESSAGE_CHANGE, 2), On(QXEVT_DIGIT_PRESSED, '5')}));
}

TEST(MerlinDecoder, ChannelsKeepTheirOwnDisplaysAndTimers)
{
    PacketDriver<MERLINMAGIXD> driver;
    driver.Send(0, X, Text(Bytes{0x13, 'A'}));
    driver.Advance(150);
    driver.Send(15, X, Text(Bytes{0x13, 'P'}));
    driver.Advance(150);
    EXPECT_EQ(driver.Take(), (Events{On(QXEVT_MESSAGE_CHANGE, 2, 1)}));
    driver.Advance(150);
    EXPECT_EQ(driver.Take(), (Events{On(QXEVT_MESSAGE_CHANGE, 2, 16)}));
    EXPECT_EQ(driver.Display(15), std::string("P\0", 2));
}

TEST(MerlinDecoder, ADecoderWithATimerArmedGoesAwayCleanly)
{
    auto driver = std::make_unique<PacketDriver<MERLINMAGIXD>>();
    driver->Send(4, X, Text(Bytes{0x13, 'A'}));
    EXPECT_EQ(driver->timers.ArmedCount(), 1u);
    TraceCapture trace;
    driver.reset();
    EXPECT_TRUE(trace.Contains("Port DELETED"));
}

TEST(MerlinDecoder, PacketsOfOtherTypesOrChannelsAreIgnored)
{
    PacketDriver<MERLINMAGIXD> driver;
    EXPECT_EQ(driver.Send(0, 0x41, kConnected), 1);
    EXPECT_EQ(driver.Send(16, X, kConnected), 1);
    EXPECT_EQ(driver.Take(), Events{});
}

// An application's callback reads the display and the phone status of the
// port it is called for: no port lock is held while an event is posted.
class ReadingSink final : public EventSink {
public:
    uint32_t Post(const ZAQ16_EVENT& event) override
    {
        const uint8_t local = static_cast<uint8_t>(event.channel - 1);
        char text[64] = {};
        decoder->GetMessage(local, text, sizeof text);
        ZAQ16_PHONE_STATUS status{};
        context->CopyPhoneStatus(local, &status);
        seen.push_back(event.eventCode == QXEVT_MESSAGE_CHANGE ? std::string(text) : std::to_string(status.hookState));
        return 0;
    }
    Decoder* decoder = nullptr;
    DecoderContext* context = nullptr;
    std::vector<std::string> seen;
};

TEST(MerlinDecoder, ACallbackMayReadThePortFromInsideAnEvent)
{
    PacketDriver<MERLINMAGIXD> driver;
    ReadingSink sink;
    sink.decoder = &driver.decoder;
    sink.context = &driver.context;
    driver.context.SetEventSink(sink);
    const auto start = std::chrono::steady_clock::now();
    driver.Send(0, X, Text("Hello"));
    driver.Send(0, H, Audio(9));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));  // no lock wait ran out
    ASSERT_EQ(sink.seen.size(), 6u);
    EXPECT_EQ(sink.seen[0], "Hello");
    EXPECT_EQ(sink.seen[5], std::to_string(QXEVT_OFFHOOK));
}

}  // namespace
