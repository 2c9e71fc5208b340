// FUJITSU: the two-row display (clear, write at a position, write at the
// cursor), lamps, audio paths and the ringer from the PBX, hook and keys from
// the set; states posted only on change; and packets that would take the
// decoder outside the packet or the display.
#include <gtest/gtest.h>

#include <random>

#include "PacketDriver.h"
#include "decoders/FUJITSU.h"
#include "support/TraceCapture.h"

namespace {

constexpr uint32_t kStart = 65;  // board 4
constexpr uint8_t kLine = 2;
constexpr uint32_t kChannel = kStart + kLine;
constexpr uint8_t kX = 0x58;
constexpr uint8_t kH = 0x48;
constexpr uint32_t kShown = 42;

Posted Event(uint32_t code, uint32_t param = 0)
{
    return {code, param, kChannel};
}

std::string Blank(size_t count)
{
    return std::string(count, ' ');
}

// The display as GetMessage returns it.
std::string Rows(const std::string& first, const std::string& second)
{
    return first + Blank(20 - first.size()) + "\n" + second + Blank(20 - second.size()) + std::string(1, '\0');
}

std::vector<uint8_t> WriteAt(uint8_t position, const std::string& text)
{
    std::vector<uint8_t> message{0x0E, 0x00, position};
    message.insert(message.end(), text.begin(), text.end());
    return message;
}

std::vector<uint8_t> WriteOn(const std::string& text)
{
    std::vector<uint8_t> message{0x0F, 0x00};
    message.insert(message.end(), text.begin(), text.end());
    return message;
}

class Fujitsu : public testing::Test {
protected:
    uint8_t Pbx(const std::vector<uint8_t>& message) { return driver.Send(kLine, kX, message); }
    uint8_t Set(const std::vector<uint8_t>& message) { return driver.Send(kLine, kH, message); }
    ZAQ16_PHONE_STATUS Status() { return driver.Status(kLine); }
    std::string Shown() { return driver.Display(kLine); }

    PacketDriver<FUJITSU> driver{kStart};
};

// ---------------------------------------------------------------- messages

struct MessageCase {
    const char* name;
    uint8_t type;
    std::vector<uint8_t> message;
    std::vector<Posted> events;  // from the starting state, event updates on
};

const MessageCase kMessageCases[] = {
    {"OffHook", kH, {0x08, 0x08}, {Event(QXEVT_OFFHOOK)}},
    {"OnHookWhenAlreadyOnHook", kH, {0x08, 0x00}, {}},
    {"OtherHookValue", kH, {0x08, 0x01}, {}},
    {"Digit1", kH, {0x0C, 1}, {Event(QXEVT_DIGIT_PRESSED, '1')}},
    {"Digit9", kH, {0x0C, 9}, {Event(QXEVT_DIGIT_PRESSED, '9')}},
    {"Digit0", kH, {0x0C, 10}, {Event(QXEVT_DIGIT_PRESSED, '0')}},
    {"Star", kH, {0x0C, 11}, {Event(QXEVT_DIGIT_PRESSED, '*')}},
    {"Hash", kH, {0x0C, 12}, {Event(QXEVT_DIGIT_PRESSED, '#')}},
    {"Transfer", kH, {0x0C, 18}, {Event(QXEVT_TRANSFER_BUTTON_PRESSED)}},
    {"Hold", kH, {0x0C, 19}, {Event(QXEVT_HOLD_BUTTON_PRESSED)}},
    {"Speaker", kH, {0x0C, 23}, {Event(QXEVT_SPEAKER_BUTTON_PRESSED)}},
    {"FirstFunctionKey", kH, {0x0C, 32}, {Event(QXEVT_FUNCTION_BUTTON_PRESSED, 0)}},
    {"LastFunctionKey", kH, {0x0C, 63}, {Event(QXEVT_FUNCTION_BUTTON_PRESSED, 31)}},
    {"Key0", kH, {0x0C, 0}, {}},
    {"Key22", kH, {0x0C, 22}, {}},
    {"Key64", kH, {0x0C, 64}, {}},
    {"KeyWithoutItsByte", kH, {0x0C}, {}},
    {"OtherSetMessage", kH, {0x13, 40}, {}},
    {"LampItem40FastFlashing", kX, {0x13, 40, 1}, {Event(QXEVT_LIGHT_FASTFLASHING, 0x108)}},
    {"LampState7IsFastFlashing", kX, {0x13, 32, 7}, {Event(QXEVT_LIGHT_FASTFLASHING, 0x100)}},
    {"LampOn", kX, {0x13, 64, 2}, {Event(QXEVT_LIGHT_ON, 0x120)}},
    {"LampFlashingFromTheLowThreeBits", kX, {0x13, 33, 0xFB}, {Event(QXEVT_LIGHT_FLASHING, 0x101)}},
    {"LampItem20IsLamp244", kX, {0x13, 20, 2}, {Event(QXEVT_LIGHT_ON, 0x1F4)}},
    {"LampItem23IsLamp247", kX, {0x13, 23, 3}, {Event(QXEVT_LIGHT_FLASHING, 0x1F7)}},
    {"LampOffAsItStartsIsARepeat", kX, {0x13, 40, 0}, {Event(QXEVT_LIGHT_OFF, 0x108)}},
    {"LampOfOtherState", kX, {0x13, 40, 4}, {}},
    {"Item19IsNoLamp", kX, {0x13, 19, 2}, {}},
    {"Item24IsNoLamp", kX, {0x13, 24, 2}, {}},
    {"Item31IsNoLamp", kX, {0x13, 31, 2}, {}},
    {"Item65IsNoLamp", kX, {0x13, 65, 2}, {}},
    {"Item15IsNoLamp", kX, {0x13, 15, 2}, {}},
    {"LampWithoutItsState", kX, {0x13, 40}, {}},
    {"RingerOn", kX, {0x14, 0, 1}, {Event(QXEVT_RING_ON, 1)}},
    {"RingerOffWhenAlreadyOff", kX, {0x14, 0, 0}, {}},
    {"RingerOfOtherValue", kX, {0x14, 0, 2}, {}},
    {"RingerWithoutItsState", kX, {0x14, 0}, {}},
    {"AudioWithoutItsConfiguration", kX, {0x13, 16, 0}, {}},
    {"AudioOfOtherState", kX, {0x13, 16, 1, 0x40}, {}},
    {"ClearWithoutItsCount", kX, {0x0D, 1, 0, 0}, {}},
    {"WriteWithoutItsPosition", kX, {0x0E, 0}, {}},
    {"WriteAtCursorOfOneByte", kX, {0x0F}, {}},
    {"OtherPbxMessage", kX, {0x10, 0, 1}, {}},
    {"OtherPacketType", 0x41, {0x08, 0x08}, {}},
    {"EmptyPacket", kX, {}, {}},
};

class FujitsuMessages : public testing::TestWithParam<MessageCase> {};

TEST_P(FujitsuMessages, PostExactlyTheirEvents)
{
    PacketDriver<FUJITSU> driver{kStart};
    const MessageCase& c = GetParam();
    EXPECT_EQ(driver.Send(kLine, c.type, c.message), 1);
    EXPECT_EQ(driver.Take(), c.events);
}

INSTANTIATE_TEST_SUITE_P(Fujitsu, FujitsuMessages, testing::ValuesIn(kMessageCases),
                         [](const testing::TestParamInfo<MessageCase>& info) { return info.param.name; });

TEST_F(Fujitsu, APacketForAChannelBeyondTheUnitIsRefused)
{
    EXPECT_EQ(driver.Send(16, kH, {0x08, 0x08}), 0);
    EXPECT_EQ(driver.Take(), std::vector<Posted>{});
}

// ---------------------------------------------------------------- state and posting

TEST_F(Fujitsu, StartsOnHookIdleWithEveryLampOffAndABlankDisplay)
{
    TraceCapture trace(3);
    PacketDriver<FUJITSU> fresh{kStart};
    EXPECT_EQ(trace.Count("FUJITSU::FUJITSU"), 1u) << trace.Text();
    EXPECT_TRUE(trace.Contains("Port created for 65")) << trace.Text();
    const ZAQ16_PHONE_STATUS status = fresh.Status(kLine);
    EXPECT_EQ(status.hookState, QXEVT_ONHOOK);
    EXPECT_EQ(status.ringState, QXEVT_RING_OFF);
    EXPECT_EQ(status.lamps[0].state, QXEVT_LIGHT_OFF);
    EXPECT_EQ(status.lamps[0].param, 0x100u);
    EXPECT_EQ(status.lamps[254].param, 0x100u | 254);
    EXPECT_EQ(status.lamps[255].param, 0x200u);
    EXPECT_EQ(status.lamps[509].state, QXEVT_LIGHT_OFF);
    EXPECT_EQ(status.lamps[509].param, 0x200u | 254);
    EXPECT_EQ(status.handsetAudio, QXEVT_AUDIO_OFF);
    EXPECT_EQ(status.handsfreeAudio, QXEVT_AUDIO_OFF);
    EXPECT_EQ(status.speakerMonitorAudio, QXEVT_AUDIO_OFF);
    EXPECT_EQ(fresh.Display(kLine), Rows("", ""));
    EXPECT_EQ(std::string(fresh.Record(kLine).text + 42, 78), Blank(78));
}

TEST_F(Fujitsu, HookAndRingerArePostedOnlyWhenTheyChangeEvenWithEventUpdatesOn)
{
    Set({0x08, 0x08});
    Set({0x08, 0x08});
    Pbx({0x14, 0, 1});
    Pbx({0x14, 0, 1});
    EXPECT_EQ(Status().ringState, QXEVT_RING_ON);
    Pbx({0x14, 0, 0});
    Set({0x08, 0x00});
    Set({0x08, 0x00});
    EXPECT_EQ(driver.Take(), (std::vector<Posted>{Event(QXEVT_OFFHOOK), Event(QXEVT_RING_ON, 1),
                                                  Event(QXEVT_RING_OFF, 1), Event(QXEVT_ONHOOK)}));
    EXPECT_EQ(Status().hookState, QXEVT_ONHOOK);
    EXPECT_EQ(Status().ringState, QXEVT_RING_OFF);
}

TEST_F(Fujitsu, ARepeatedLampIsPostedOnlyWhileEventUpdatesAreOn)
{
    Pbx({0x13, 40, 2});
    Pbx({0x13, 40, 2});
    EXPECT_EQ(driver.Take(), (std::vector<Posted>{Event(QXEVT_LIGHT_ON, 0x108), Event(QXEVT_LIGHT_ON, 0x108)}));
    driver.EventUpdates(false);
    Pbx({0x13, 40, 2});
    Pbx({0x13, 41, 0});
    EXPECT_EQ(driver.Take(), std::vector<Posted>{});
    Pbx({0x13, 40, 3});
    EXPECT_EQ(driver.Take(), std::vector<Posted>{Event(QXEVT_LIGHT_FLASHING, 0x108)});
    EXPECT_EQ(Status().lamps[8].state, QXEVT_LIGHT_FLASHING);
}

// ---------------------------------------------------------------- audio

struct AudioCase {
    const char* name;
    uint8_t configuration;
    std::vector<Posted> events;  // from handset and speaker monitor on, handsfree off
};

const AudioCase kAudioCases[] = {
    {"Exactly40", 0x40, {Event(QXEVT_AUDIO_OFF, 4)}},
    {"Bits6And2And0", 0x45, {Event(QXEVT_AUDIO_OFF, 1)}},
    {"Bits6And2", 0x44, {}},
    {"Bits6And0", 0x41, {Event(QXEVT_AUDIO_ON, 2), Event(QXEVT_AUDIO_OFF, 1), Event(QXEVT_AUDIO_OFF, 4)}},
    {"Bit6Otherwise", 0x60, {}},
    {"Bit6WithBit7", 0xC0, {}},
    {"Exactly80", 0x80, {Event(QXEVT_AUDIO_OFF, 1), Event(QXEVT_AUDIO_OFF, 4)}},
    {"Bits7And2And0", 0x85, {Event(QXEVT_AUDIO_OFF, 1)}},
    {"Bits7And2", 0x84, {Event(QXEVT_AUDIO_OFF, 1)}},
    {"Bits7And0", 0x81, {Event(QXEVT_AUDIO_OFF, 1), Event(QXEVT_AUDIO_OFF, 4)}},
    {"Bit7Otherwise", 0x90, {}},
    {"NeitherBit", 0x05, {}},
};

class FujitsuAudio : public testing::TestWithParam<AudioCase> {};

TEST_P(FujitsuAudio, TheFirstMatchingRowSetsThePathsThatChange)
{
    PacketDriver<FUJITSU> driver{kStart};
    driver.Send(kLine, kX, {0x13, 16, 2, 0x44});  // handset and speaker monitor on
    ASSERT_EQ(driver.Take(), (std::vector<Posted>{Event(QXEVT_AUDIO_ON, 4), Event(QXEVT_AUDIO_ON, 1)}));
    driver.Send(kLine, kX, {0x13, 16, 0, GetParam().configuration});
    EXPECT_EQ(driver.Take(), GetParam().events);
}

INSTANTIATE_TEST_SUITE_P(Fujitsu, FujitsuAudio, testing::ValuesIn(kAudioCases),
                         [](const testing::TestParamInfo<AudioCase>& info) { return info.param.name; });

TEST_F(Fujitsu, HandsetConfigurationTakesOverFromHandsfree)
{
    Pbx({0x13, 16, 2, 0x41});
    driver.Take();
    Pbx({0x13, 16, 2, 0x40});
    EXPECT_EQ(driver.Take(), (std::vector<Posted>{Event(QXEVT_AUDIO_ON, 1), Event(QXEVT_AUDIO_OFF, 2)}));
    const ZAQ16_PHONE_STATUS status = Status();
    EXPECT_EQ(status.handsetAudio, QXEVT_AUDIO_ON);
    EXPECT_EQ(status.handsfreeAudio, QXEVT_AUDIO_OFF);
    EXPECT_EQ(status.speakerMonitorAudio, QXEVT_AUDIO_OFF);
}

TEST_F(Fujitsu, TheSpeakerLampMovesTheAudioPathsBeforeItsOwnEvent)
{
    Pbx({0x13, 16, 2, 0x41});  // handsfree on
    driver.Take();
    Pbx({0x13, 22, 2});
    EXPECT_EQ(driver.Take(), (std::vector<Posted>{Event(QXEVT_AUDIO_OFF, 2), Event(QXEVT_AUDIO_ON, 4),
                                                  Event(QXEVT_LIGHT_ON, 0x1F6)}));
    Pbx({0x13, 22, 2});
    EXPECT_EQ(driver.Take(), std::vector<Posted>{Event(QXEVT_LIGHT_ON, 0x1F6)});
    Pbx({0x13, 22, 0});
    EXPECT_EQ(driver.Take(), (std::vector<Posted>{Event(QXEVT_AUDIO_OFF, 4), Event(QXEVT_LIGHT_OFF, 0x1F6)}));
    Pbx({0x13, 22, 3});
    EXPECT_EQ(driver.Take(), std::vector<Posted>{Event(QXEVT_LIGHT_FLASHING, 0x1F6)});
}

// ---------------------------------------------------------------- display

TEST_F(Fujitsu, PositionsOfTheSecondRowLandAfterTheLineFeed)
{
    Pbx(WriteAt(25, "abc"));
    EXPECT_EQ(driver.Take(), std::vector<Posted>{Event(QXEVT_MESSAGE_CHANGE, kShown)});
    EXPECT_EQ(std::string(driver.Record(kLine).text + 26, 3), "abc");
    EXPECT_EQ(Shown(), Rows("", "     abc"));
    EXPECT_EQ(driver.decoder.Display().Cursor(kLine), 29u);
}

TEST_F(Fujitsu, PositionsPastTheSecondRowSkipTheTerminator)
{
    EXPECT_EQ(FujitsuDisplay::TextIndex(19), 19u);
    EXPECT_EQ(FujitsuDisplay::TextIndex(20), 21u);
    EXPECT_EQ(FujitsuDisplay::TextIndex(40), 41u);
    EXPECT_EQ(FujitsuDisplay::TextIndex(41), 43u);
    EXPECT_EQ(FujitsuDisplay::TextIndex(255), 257u);
}

TEST_F(Fujitsu, WritingTheSameCharactersTwicePostsOnlyTheFirstTime)
{
    Pbx(WriteAt(0, "Ext 5001"));
    Pbx(WriteAt(0, "Ext 5001"));
    EXPECT_EQ(driver.Take(), std::vector<Posted>{Event(QXEVT_MESSAGE_CHANGE, kShown)});
}

TEST_F(Fujitsu, WritesAtTheCursorFollowTheLastWrite)
{
    Pbx(WriteAt(20, "5002"));
    Pbx(WriteOn(" RING"));
    EXPECT_EQ(Shown(), Rows("", "5002 RING"));
    EXPECT_EQ(driver.Take(), (std::vector<Posted>{Event(QXEVT_MESSAGE_CHANGE, kShown),
                                                  Event(QXEVT_MESSAGE_CHANGE, kShown)}));
}

TEST_F(Fujitsu, AClearBlanksItsAreaAndSendsTheCursorHome)
{
    Pbx(WriteAt(0, "Ext 5001 CALL"));
    Pbx(WriteAt(20, "Bob 5002"));
    driver.Take();
    Pbx({0x0D, 1, 0, 4, 9});
    EXPECT_EQ(driver.Take(), std::vector<Posted>{Event(QXEVT_MESSAGE_CHANGE, kShown)});
    EXPECT_EQ(Shown(), Rows("Ext", "Bob 5002"));
    EXPECT_EQ(driver.decoder.Display().Cursor(kLine), 0u);
    Pbx(WriteOn("Ann"));
    EXPECT_EQ(Shown(), Rows("Ann", "Bob 5002"));
    EXPECT_EQ(driver.Take(), std::vector<Posted>{Event(QXEVT_MESSAGE_CHANGE, kShown)});
    // The same clear again changes nothing.
    Pbx({0x0D, 1, 0, 4, 9});
    EXPECT_EQ(driver.Take(), std::vector<Posted>{});
}

TEST_F(Fujitsu, AClearIntoTheSecondRowKeepsTheLineFeedAndBlanksTheByteAfterIt)
{
    Pbx(WriteAt(0, std::string(20, 'a')));
    Pbx(WriteAt(20, std::string(20, 'b')));
    driver.Take();
    // Text indexes 10 to 29, the line feed restored, then index 31.
    Pbx({0x0D, 1, 0, 10, 20});
    EXPECT_EQ(Shown(), Rows(std::string(10, 'a'), "         b " + std::string(9, 'b')));
}

struct IdleClearCase {
    const char* name;
    std::vector<uint8_t> message;
    bool clears;
};

const IdleClearCase kIdleClearCases[] = {
    {"Row2Area", {0x0D, 2, 0, 20, 20}, false},
    {"Area40", {0x0D, 2, 0, 40, 40}, false},
    {"Row2AreaWithOtherFirstByte", {0x0D, 1, 0, 20, 20}, true},
    {"Row2AreaWithOtherSecondByte", {0x0D, 2, 1, 20, 20}, true},
    {"OtherArea", {0x0D, 2, 0, 20, 19}, true},
};

class FujitsuIdleClear : public testing::TestWithParam<IdleClearCase> {};

TEST_P(FujitsuIdleClear, OnlyTheIdleClearsAreIgnored)
{
    PacketDriver<FUJITSU> driver{kStart};
    driver.Send(kLine, kX, WriteAt(20, "Bob"));
    driver.Take();
    driver.Send(kLine, kX, GetParam().message);
    const std::vector<Posted> expected =
        GetParam().clears ? std::vector<Posted>{Event(QXEVT_MESSAGE_CHANGE, kShown)} : std::vector<Posted>{};
    EXPECT_EQ(driver.Take(), expected);
    EXPECT_EQ(driver.Display(kLine), Rows("", GetParam().clears ? "" : "Bob"));
}

INSTANTIATE_TEST_SUITE_P(Fujitsu, FujitsuIdleClear, testing::ValuesIn(kIdleClearCases),
                         [](const testing::TestParamInfo<IdleClearCase>& info) { return info.param.name; });

TEST_F(Fujitsu, AfterAClearTheReadBackStillEndsInItsTerminator)
{
    Pbx(WriteAt(0, "x"));
    Pbx({0x0D, 1, 0, 0, 20});
    EXPECT_EQ(driver.Take(), (std::vector<Posted>{Event(QXEVT_MESSAGE_CHANGE, kShown),
                                                  Event(QXEVT_MESSAGE_CHANGE, kShown)}));
    EXPECT_EQ(driver.Record(kLine).offset, kShown);
    EXPECT_EQ(Shown(), Rows("", ""));
}

TEST_F(Fujitsu, WritesPastTheRowsKeepTheTerminatorAndStopAtTheEndOfTheText)
{
    Pbx(WriteAt(39, "xyz"));
    EXPECT_EQ(Shown(), Rows("", std::string(19, ' ') + "x"));
    // Write on at the cursor until far past the end of the text.
    const std::string chunk(250, 'w');
    for (int i = 0; i < 6; ++i) {
        Pbx(WriteOn(chunk));
    }
    EXPECT_EQ(driver.decoder.Display().Cursor(kLine), DisplayRecord::kTextSize);
    EXPECT_EQ(driver.Record(kLine).text[DisplayRecord::kTextSize - 1], 'w');
    EXPECT_EQ(Shown().back(), '\0');
}

// ---------------------------------------------------------------- malformed packets

TEST(FujitsuMalformed, CutAndRandomPacketsStayWithinThePacketAndTheDisplay)
{
    PacketDriver<FUJITSU> driver{kStart};
    std::mt19937 random(9600);
    constexpr uint8_t kCodes[] = {0x0D, 0x0E, 0x0F, 0x13, 0x14, 0x08, 0x0C};
    for (int i = 0; i < 20000; ++i) {
        std::vector<uint8_t> data(random() % 24);
        for (uint8_t& byte : data) {
            byte = static_cast<uint8_t>(random());
        }
        if (!data.empty()) {
            data[0] = kCodes[random() % std::size(kCodes)];
        }
        driver.EventUpdates(random() % 2 == 0);
        const uint8_t type = random() % 3 == 0 ? kH : kX;
        EXPECT_EQ(driver.Send(static_cast<uint8_t>(random() % 16), type, data), 1);
    }
    for (uint8_t line = 0; line < 16; ++line) {
        const DisplayRecord& record = driver.Record(line);
        EXPECT_EQ(record.offset, kShown);
        EXPECT_EQ(record.text[kShown - 1], '\0');
        EXPECT_LE(driver.decoder.Display().Cursor(line), DisplayRecord::kTextSize);
    }
}

}  // namespace
