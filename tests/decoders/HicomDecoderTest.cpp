// HICOMD: the message after the first 0xBD; lamps, display, audio paths and
// the ringer from the PBX, hook and keys from the set; the posting rule; and
// packets that would take the decoder outside the packet or the display.
#include <gtest/gtest.h>

#include <random>

#include "PacketDriver.h"
#include "decoders/HICOMD.h"
#include "support/TraceCapture.h"

namespace {

constexpr uint32_t kStart = 49;  // board 3
constexpr uint8_t kLine = 6;
constexpr uint32_t kChannel = kStart + kLine;
constexpr uint8_t kX = 0x58;
constexpr uint8_t kH = 0x48;
constexpr uint32_t kShown = 51;

Posted Event(uint32_t code, uint32_t param = 0)
{
    return {code, param, kChannel};
}

// A message as the unit hands it over: two bytes, the start byte, the message.
std::vector<uint8_t> Framed(std::vector<uint8_t> message)
{
    message.insert(message.begin(), {0x00, 0x11, 0xBD});
    return message;
}

std::vector<uint8_t> DisplayWrite(uint8_t row, uint8_t column, uint8_t blanks, const std::string& text)
{
    std::vector<uint8_t> message{0x43, row, column, blanks};
    message.insert(message.end(), text.begin(), text.end());
    return Framed(message);
}

std::string Blank(size_t count)
{
    return std::string(count, ' ');
}

// The display as GetMessage returns it after a display message.
std::string Rows(const std::string& first, const std::string& second)
{
    return first + Blank(24 - first.size()) + "\n" + second + Blank(24 - second.size()) + "\n" + std::string(1, '\0');
}

class Hicom : public testing::Test {
protected:
    uint8_t Pbx(const std::vector<uint8_t>& message) { return driver.Send(kLine, kX, Framed(message)); }
    uint8_t Set(const std::vector<uint8_t>& message) { return driver.Send(kLine, kH, Framed(message)); }
    ZAQ16_PHONE_STATUS Status() { return driver.Status(kLine); }

    PacketDriver<HICOMD> driver{kStart};
};

// ---------------------------------------------------------------- messages

struct MessageCase {
    const char* name;
    uint8_t type;
    std::vector<uint8_t> message;  // after the start byte
    std::vector<Posted> events;
};

const MessageCase kMessageCases[] = {
    {"OffHook", kH, {0x41}, {Event(QXEVT_OFFHOOK)}},
    {"OnHook", kH, {0x42}, {Event(QXEVT_ONHOOK)}},
    {"FirstFunctionKeyReleased", kH, {0x40, 0x12}, {Event(QXEVT_FUNCTION_BUTTON_RELEASED, 0)}},
    {"LastFunctionKeyReleased", kH, {0x40, 0x1D}, {Event(QXEVT_FUNCTION_BUTTON_RELEASED, 11)}},
    {"FirstFunctionKeyPressed", kH, {0x40, 0x52}, {Event(QXEVT_FUNCTION_BUTTON_PRESSED, 0)}},
    {"LastFunctionKeyPressed", kH, {0x40, 0x5D}, {Event(QXEVT_FUNCTION_BUTTON_PRESSED, 11)}},
    {"FunctionKeyWithTopBit", kH, {0x40, 0xD3}, {Event(QXEVT_FUNCTION_BUTTON_PRESSED, 1)}},
    {"Digit1", kH, {0x40, 0x41}, {Event(QXEVT_DIGIT_PRESSED, '1')}},
    {"Digit5WithTopBit", kH, {0x40, 0xC5}, {Event(QXEVT_DIGIT_PRESSED, '5')}},
    {"Digit9", kH, {0x40, 0x49}, {Event(QXEVT_DIGIT_PRESSED, '9')}},
    {"Digit0", kH, {0x40, 0x4A}, {Event(QXEVT_DIGIT_PRESSED, '0')}},
    {"Star", kH, {0x40, 0x4B}, {Event(QXEVT_DIGIT_PRESSED, '*')}},
    {"Hash", kH, {0x40, 0x4C}, {Event(QXEVT_DIGIT_PRESSED, '#')}},
    {"KeyBelowTheFunctionKeys", kH, {0x40, 0x11}, {}},
    {"KeyBetweenFunctionKeysAndDigits", kH, {0x40, 0x1E}, {}},
    {"KeyAfterHash", kH, {0x40, 0x4D}, {}},
    {"KeyAfterTheLastFunctionKey", kH, {0x40, 0x5E}, {}},
    {"KeyMessageWithoutItsKey", kH, {0x40}, {}},
    {"OtherSetMessage", kH, {0x43, 0x41}, {}},
    {"LampOn", kX, {0x40, 0x02, 1}, {Event(QXEVT_LIGHT_ON, 0x100)}},
    {"LampVeryFastFlashing", kX, {0x40, 0x05, 3}, {Event(QXEVT_LIGHT_VERY_FASTFLASHING, 0x103)}},
    {"LampFastFlashing", kX, {0x40, 0x0F, 5}, {Event(QXEVT_LIGHT_FASTFLASHING, 0x10D)}},
    {"LampFlashingHighNibbleIgnored", kX, {0x40, 0x74, 7}, {Event(QXEVT_LIGHT_FLASHING, 0x102)}},
    {"LampOffFromTheStartingTable", kX, {0x40, 0x03, 0}, {Event(QXEVT_LIGHT_OFF, 0x101)}},
    {"LampOfOtherStateIsIgnored", kX, {0x40, 0x02, 2}, {}},
    {"LampNibbleBelowTwoIsIgnored", kX, {0x40, 0x01, 1}, {}},
    {"LampWithoutItsState", kX, {0x40, 0x02}, {}},
    {"RingOnCadence5", kX, {0x55, 0, 0, 0, 5}, {Event(QXEVT_RING_ON, 3)}},
    {"RingOnCadence10", kX, {0x55, 0, 0, 0, 10}, {Event(QXEVT_RING_ON, 2)}},
    {"RingOnCadence60", kX, {0x55, 0, 0, 0, 0x3C}, {Event(QXEVT_RING_ON, 1)}},
    {"RingOnOtherCadence", kX, {0x55, 0, 0, 0, 7}, {Event(QXEVT_RING_ON, 0)}},
    {"RingOnCutBeforeItsCadence", kX, {0x55, 0, 0, 0}, {Event(QXEVT_RING_ON, 0)}},
    {"RingOffBeforeAnyRing", kX, {0x56}, {Event(QXEVT_RING_OFF, 0)}},
    {"AudioWithoutItsConfiguration", kX, {0x54}, {}},
    {"AudioConfigurationThatSetsNothing", kX, {0x54, 4}, {}},
    {"AudioConfigurationBeyondTheTable", kX, {0x54, 21}, {}},
    {"DisplayWithoutItsCount", kX, {0x43, 0, 0}, {}},
    {"PbxMessageBelowTheTable", kX, {0x3F, 0x02, 1}, {}},
    {"PbxMessageNotInTheTable", kX, {0x44, 0x02, 1}, {}},
    {"PbxMessageAboveTheTable", kX, {0x57}, {}},
    {"SetMessageFromThePbx", kX, {0x41}, {}},
    {"OtherPacketType", 0x41, {0x41}, {}},
};

class HicomMessages : public testing::TestWithParam<MessageCase> {};

TEST_P(HicomMessages, PostExactlyTheirEvents)
{
    PacketDriver<HICOMD> driver{kStart};
    const MessageCase& c = GetParam();
    EXPECT_EQ(driver.Send(kLine, c.type, Framed(c.message)), 1);
    EXPECT_EQ(driver.Take(), c.events);
}

INSTANTIATE_TEST_SUITE_P(Hicom, HicomMessages, testing::ValuesIn(kMessageCases),
                         [](const testing::TestParamInfo<MessageCase>& info) { return info.param.name; });

// ---------------------------------------------------------------- the message start

struct StartCase {
    const char* name;
    std::vector<uint8_t> data;
    std::vector<Posted> events;
};

const StartCase kStartCases[] = {
    {"NoStartByte", {0x41, 0x42, 0x41}, {}},
    {"NothingAfterTheStart", {0x00, 0x41, 0xBD}, {}},
    {"EmptyPacket", {}, {}},
    {"StartAtTheFirstByte", {0xBD, 0x41}, {Event(QXEVT_OFFHOOK)}},
    {"StartAfterFourBytes", {0x41, 0x41, 0x41, 0x41, 0xBD, 0x42}, {Event(QXEVT_ONHOOK)}},
    {"OnlyTheFirstStartCounts", {0x00, 0xBD, 0x42, 0xBD, 0x41}, {Event(QXEVT_ONHOOK)}},
    {"AStartByteAsTheMessageCode", {0xBD, 0xBD, 0x41}, {}},
};

class HicomMessageStart : public testing::TestWithParam<StartCase> {};

TEST_P(HicomMessageStart, TheMessageBeginsAfterTheFirstStartByte)
{
    PacketDriver<HICOMD> driver{kStart};
    EXPECT_EQ(driver.Send(kLine, kH, GetParam().data), 1);
    EXPECT_EQ(driver.Take(), GetParam().events);
}

INSTANTIATE_TEST_SUITE_P(Hicom, HicomMessageStart, testing::ValuesIn(kStartCases),
                         [](const testing::TestParamInfo<StartCase>& info) { return info.param.name; });

TEST_F(Hicom, APacketForAChannelBeyondTheUnitIsRefused)
{
    EXPECT_EQ(driver.Send(16, kH, Framed({0x41})), 0);
    EXPECT_EQ(driver.Take(), std::vector<Posted>{});
}

// ---------------------------------------------------------------- state and posting

TEST_F(Hicom, StartsIdleWithItsDisplayBlankAndNothingToRead)
{
    const ZAQ16_PHONE_STATUS status = Status();
    EXPECT_EQ(status.ringState, QXEVT_RING_OFF);
    EXPECT_EQ(status.handsetAudio, QXEVT_AUDIO_OFF);
    EXPECT_EQ(status.handsfreeAudio, QXEVT_AUDIO_OFF);
    EXPECT_EQ(status.handsetReceiverAudio, QXEVT_AUDIO_OFF);
    EXPECT_EQ(status.speakerMonitorAudio, QXEVT_AUDIO_OFF);
    EXPECT_EQ(driver.Display(kLine), "");
    const DisplayRecord& record = driver.Record(kLine);
    EXPECT_EQ(std::string(record.text, 120), Blank(24) + "\n" + Blank(24) + "\n" + Blank(70));
}

TEST_F(Hicom, ARepeatedLampIsPostedOnlyWhileEventUpdatesAreOn)
{
    Pbx({0x40, 0x04, 7});
    EXPECT_EQ(driver.Take(), std::vector<Posted>{Event(QXEVT_LIGHT_FLASHING, 0x102)});
    Pbx({0x40, 0x04, 7});
    EXPECT_EQ(driver.Take(), std::vector<Posted>{Event(QXEVT_LIGHT_FLASHING, 0x102)});
    driver.EventUpdates(false);
    Pbx({0x40, 0x04, 7});
    EXPECT_EQ(driver.Take(), std::vector<Posted>{});
    Pbx({0x40, 0x04, 1});
    EXPECT_EQ(driver.Take(), std::vector<Posted>{Event(QXEVT_LIGHT_ON, 0x102)});
    const ZAQ16_LAMP_STATE lamp = Status().lamps[2];
    EXPECT_EQ(lamp.state, QXEVT_LIGHT_ON);
    EXPECT_EQ(lamp.param, 0x102u);
}

TEST_F(Hicom, HookAndRingerArePostedEveryTimeAndOnlyTheRingIsStored)
{
    driver.EventUpdates(false);
    Set({0x41});
    Set({0x41});
    Pbx({0x55, 0, 0, 0, 10});
    Pbx({0x55, 0, 0, 0, 10});
    EXPECT_EQ(Status().ringState, QXEVT_RING_ON);
    Pbx({0x56});
    EXPECT_EQ(driver.Take(), (std::vector<Posted>{Event(QXEVT_OFFHOOK), Event(QXEVT_OFFHOOK), Event(QXEVT_RING_ON, 2),
                                                  Event(QXEVT_RING_ON, 2), Event(QXEVT_RING_OFF, 2)}));
    const ZAQ16_PHONE_STATUS status = Status();
    EXPECT_EQ(status.ringState, QXEVT_RING_OFF);
    EXPECT_EQ(status.hookState, 0u);
}

TEST_F(Hicom, RingOffRepeatsTheLastRingOnParameterOfItsOwnChannel)
{
    Pbx({0x55, 0, 0, 0, 5});
    driver.Send(kLine + 1, kX, Framed({0x55, 0, 0, 0, 0x3C}));
    Pbx({0x56});
    driver.Send(kLine + 1, kX, Framed({0x56}));
    EXPECT_EQ(driver.Take(),
              (std::vector<Posted>{Event(QXEVT_RING_ON, 3), {QXEVT_RING_ON, 1, kChannel + 1}, Event(QXEVT_RING_OFF, 3),
                                   {QXEVT_RING_OFF, 1, kChannel + 1}}));
}

// ---------------------------------------------------------------- audio

struct AudioCase {
    uint8_t configuration;
    std::vector<Posted> events;  // from all paths off, event updates on
};

const AudioCase kAudioCases[] = {
    {0, {Event(QXEVT_AUDIO_OFF, 2), Event(QXEVT_AUDIO_OFF, 3), Event(QXEVT_AUDIO_OFF, 1), Event(QXEVT_AUDIO_OFF, 4)}},
    {1, {Event(QXEVT_AUDIO_ON, 3), Event(QXEVT_AUDIO_OFF, 1), Event(QXEVT_AUDIO_OFF, 2), Event(QXEVT_AUDIO_OFF, 4)}},
    {2, {Event(QXEVT_AUDIO_ON, 4), Event(QXEVT_AUDIO_OFF, 2), Event(QXEVT_AUDIO_OFF, 3), Event(QXEVT_AUDIO_OFF, 1)}},
    {3, {Event(QXEVT_AUDIO_ON, 4), Event(QXEVT_AUDIO_OFF, 2), Event(QXEVT_AUDIO_OFF, 3), Event(QXEVT_AUDIO_OFF, 1)}},
    {20, {Event(QXEVT_AUDIO_ON, 4), Event(QXEVT_AUDIO_OFF, 2), Event(QXEVT_AUDIO_OFF, 3), Event(QXEVT_AUDIO_OFF, 1)}},
    {17, {Event(QXEVT_AUDIO_ON, 1), Event(QXEVT_AUDIO_OFF, 3), Event(QXEVT_AUDIO_OFF, 2), Event(QXEVT_AUDIO_OFF, 4)}},
    {18, {Event(QXEVT_AUDIO_ON, 2), Event(QXEVT_AUDIO_OFF, 3), Event(QXEVT_AUDIO_OFF, 1), Event(QXEVT_AUDIO_OFF, 4)}},
    {19, {Event(QXEVT_AUDIO_ON, 2), Event(QXEVT_AUDIO_OFF, 3), Event(QXEVT_AUDIO_OFF, 1), Event(QXEVT_AUDIO_OFF, 4)}},
    {16, {}},
};

class HicomAudio : public testing::TestWithParam<AudioCase> {};

TEST_P(HicomAudio, AConfigurationSetsTheFourPathsInItsOrder)
{
    PacketDriver<HICOMD> driver{kStart};
    driver.Send(kLine, kX, Framed({0x54, GetParam().configuration}));
    EXPECT_EQ(driver.Take(), GetParam().events);
}

INSTANTIATE_TEST_SUITE_P(Hicom, HicomAudio, testing::ValuesIn(kAudioCases),
                         [](const testing::TestParamInfo<AudioCase>& info) {
                             return "Configuration" + std::to_string(info.param.configuration);
                         });

TEST_F(Hicom, WithEventUpdatesOffOnlyThePathsThatChangeArePosted)
{
    driver.EventUpdates(false);
    Pbx({0x54, 17});
    EXPECT_EQ(driver.Take(), std::vector<Posted>{Event(QXEVT_AUDIO_ON, 1)});
    Pbx({0x54, 17});
    EXPECT_EQ(driver.Take(), std::vector<Posted>{});
    Pbx({0x54, 18});
    EXPECT_EQ(driver.Take(), (std::vector<Posted>{Event(QXEVT_AUDIO_ON, 2), Event(QXEVT_AUDIO_OFF, 1)}));
    const ZAQ16_PHONE_STATUS status = Status();
    EXPECT_EQ(status.handsetAudio, QXEVT_AUDIO_OFF);
    EXPECT_EQ(status.handsfreeAudio, QXEVT_AUDIO_ON);
    EXPECT_EQ(status.handsetReceiverAudio, QXEVT_AUDIO_OFF);
    EXPECT_EQ(status.speakerMonitorAudio, QXEVT_AUDIO_OFF);
}

// ---------------------------------------------------------------- display

TEST_F(Hicom, AWriteOnTheSecondRowLandsAfterTheFirstRowsLineFeed)
{
    EXPECT_EQ(driver.Send(kLine, kX, DisplayWrite(1, 3, 0, "Bob")), 1);
    EXPECT_EQ(driver.Take(), std::vector<Posted>{Event(QXEVT_MESSAGE_CHANGE, kShown)});
    EXPECT_EQ(std::string(driver.Record(kLine).text + 28, 3), "Bob");
    EXPECT_EQ(driver.Display(kLine), Rows("", "   Bob"));
}

TEST_F(Hicom, TheClearCountBlanksPositionsBeforeTheTextIsWritten)
{
    driver.Send(kLine, kX, DisplayWrite(0, 0, 0, "Carol 2001 calling"));
    driver.Send(kLine, kX, DisplayWrite(0, 6, 12, "4711"));
    EXPECT_EQ(driver.Display(kLine), Rows("Carol 4711", ""));
    Pbx({0x45, 0, 0, 5});
    EXPECT_EQ(driver.Display(kLine), Rows("      4711", ""));
    EXPECT_EQ(driver.Take(), (std::vector<Posted>{Event(QXEVT_MESSAGE_CHANGE, kShown),
                                                  Event(QXEVT_MESSAGE_CHANGE, kShown),
                                                  Event(QXEVT_MESSAGE_CHANGE, kShown)}));
}

TEST_F(Hicom, ARowOtherThanTheSecondIsTheFirst)
{
    driver.Send(kLine, kX, DisplayWrite(7, 2, 0, "x"));
    EXPECT_EQ(driver.Display(kLine), Rows("  x", ""));
}

TEST_F(Hicom, AnUnchangedDisplayPostsNothingButIsTracedAndReadable)
{
    TraceCapture trace(3);
    driver.Send(kLine, kX, DisplayWrite(0, 0, 0, "Dave"));
    driver.Take();
    driver.Send(kLine, kX, DisplayWrite(0, 0, 4, "Dave"));
    Pbx({0x45, 1, 0, 24});
    EXPECT_EQ(driver.Take(), std::vector<Posted>{});
    EXPECT_EQ(trace.Count("-MESSAGE"), 3u) << trace.Text();
    EXPECT_TRUE(trace.Contains("Dave" + Blank(20) + "\n" + Blank(24) + "\n")) << trace.Text();
    EXPECT_EQ(driver.Record(kLine).offset, kShown);
}

TEST_F(Hicom, TheCountOfCharactersAssumesTwoBytesBeforeTheStart)
{
    // Start byte first: the last two bytes are not characters.
    driver.Send(kLine, kX, {0xBD, 0x43, 0, 0, 0, 'A', 'B', 'C', 'D'});
    EXPECT_EQ(driver.Display(kLine), Rows("AB", ""));
}

TEST_F(Hicom, CharactersAreNeverReadFromBeyondThePacket)
{
    // Start byte after four bytes: the count would run two bytes past the end.
    driver.Send(kLine, kX, {1, 2, 3, 4, 0xBD, 0x43, 1, 0, 0, 'E', 'F'});
    EXPECT_EQ(driver.Display(kLine), Rows("", "EF"));
}

TEST_F(Hicom, AChangeAnywhereOnTheSecondRowIsPosted)
{
    driver.Send(kLine, kX, DisplayWrite(1, 23, 0, "9"));
    EXPECT_EQ(driver.Take(), std::vector<Posted>{Event(QXEVT_MESSAGE_CHANGE, kShown)});
    EXPECT_EQ(driver.Display(kLine), Rows("", Blank(23) + "9"));
}

TEST_F(Hicom, WritesPastTheRowsStayInTheTextAndKeepItsTerminator)
{
    driver.Send(kLine, kX, DisplayWrite(1, 20, 255, "overflowing text"));
    driver.Send(kLine, kX, DisplayWrite(1, 255, 255, std::string(800, 'z')));
    const std::string shown = driver.Display(kLine);
    ASSERT_EQ(shown.size(), kShown);
    EXPECT_EQ(shown.back(), '\0');
    EXPECT_EQ(shown.substr(0, 25), Blank(24) + "\n");
    // The last of the 1024 bytes is written; nothing past it.
    EXPECT_EQ(driver.Record(kLine).text[DisplayRecord::kTextSize - 1], 'z');
}

// ---------------------------------------------------------------- malformed packets

TEST(HicomMalformed, CutAndRandomPacketsStayWithinThePacketAndTheDisplay)
{
    PacketDriver<HICOMD> driver{kStart};
    std::mt19937 random(12);
    for (int i = 0; i < 20000; ++i) {
        std::vector<uint8_t> data(random() % 40);
        for (uint8_t& byte : data) {
            byte = static_cast<uint8_t>(random());
        }
        if (!data.empty() && random() % 2 == 0) {
            data[random() % data.size()] = 0xBD;
        }
        driver.EventUpdates(random() % 2 == 0);
        const uint8_t type = random() % 3 == 0 ? kH : kX;
        EXPECT_EQ(driver.Send(static_cast<uint8_t>(random() % 16), type, data), 1);
    }
    for (uint8_t line = 0; line < 16; ++line) {
        const DisplayRecord& record = driver.Record(line);
        EXPECT_TRUE(record.offset == 0 || record.offset == kShown) << record.offset;
        if (record.offset == kShown) {
            EXPECT_EQ(record.text[kShown - 1], '\0');
        }
    }
}

}  // namespace
