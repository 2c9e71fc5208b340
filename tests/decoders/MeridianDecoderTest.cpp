// DMERIDIAN: lamps, audio, ringer, display modes and feature indications from
// the PBX, keys and digits from the set, the two-row display with its timer,
// the call-forward number, the PBX's date and time, and the posting rule.
#include <gtest/gtest.h>

#include <cstring>

#include "PacketDriver.h"
#include "decoders/DMERIDIAN.h"
#include "support/TraceCapture.h"

namespace {

constexpr uint32_t kStart = 33;  // board 2
constexpr uint8_t kLine = 5;
constexpr uint32_t kChannel = kStart + kLine;
constexpr uint8_t kX = 0x58;
constexpr uint8_t kH = 0x48;

Posted Event(uint32_t code, uint32_t param = 0)
{
    return {code, param, kChannel};
}

std::vector<uint8_t> Bytes(const std::string& text)
{
    return std::vector<uint8_t>(text.begin(), text.end());
}

std::vector<uint8_t> Join(std::vector<uint8_t> head, const std::vector<uint8_t>& tail)
{
    head.insert(head.end(), tail.begin(), tail.end());
    return head;
}

class Meridian : public testing::Test {
protected:
    uint8_t Pbx(const std::vector<uint8_t>& message) { return driver.Send(kLine, kX, message); }
    uint8_t Set(const std::vector<uint8_t>& message) { return driver.Send(kLine, kH, message); }
    // Text on row 1 (row 0 selector 1) or row 2 at a column.
    void Positioned(bool row2, uint8_t column, const std::string& text)
    {
        Pbx(Join({0x42, 0x02, 0x03, static_cast<uint8_t>(row2 ? 0 : 1), column}, Bytes(text)));
    }
    std::string Text(size_t length) const { return driver.Text(kLine, length); }
    const DisplayRecord& Record() const { return driver.Record(kLine); }
    const MeridianDisplay& Display() const { return driver.decoder.Display(); }

    PacketDriver<DMERIDIAN> driver{kStart};
};

struct MessageCase {
    const char* name;
    uint8_t type;
    std::vector<uint8_t> message;
    std::vector<Posted> events;
    uint8_t result;
};

const MessageCase kMessageCases[] = {
    {"LampBank0", kX, {0x10, 0xF3}, {Event(QXEVT_LIGHT_ON, 3)}, 1},
    {"LampBank1", kX, {0x20, 0xF3}, {Event(QXEVT_LIGHT_ON, 19)}, 1},
    {"LampBank2Flashing", kX, {0x24, 0x51}, {Event(QXEVT_LIGHT_FLASHING, 33)}, 1},
    {"LampBank3FastFlashing", kX, {0x28, 0xAF}, {Event(QXEVT_LIGHT_FASTFLASHING, 63)}, 1},
    {"LampOff", kX, {0x10, 0x02}, {Event(QXEVT_LIGHT_OFF, 2)}, 1},
    {"LampOfOtherStateIsIgnored", kX, {0x10, 0x32}, {}, 1},
    {"HandsetAudioOn", kX, {0x14, 0xC1}, {Event(QXEVT_AUDIO_ON, 1)}, 1},
    {"SpeakerMonitorAudioOff", kX, {0x14, 0x04}, {Event(QXEVT_AUDIO_OFF, 4)}, 1},
    {"HandsfreeAudioOn", kX, {0x14, 0xC2}, {Event(QXEVT_AUDIO_ON, 2)}, 1},
    {"AudioPath3IsIgnored", kX, {0x14, 0xC3}, {}, 1},
    {"AudioOfOtherStateIsIgnored", kX, {0x14, 0x51}, {}, 1},
    {"RingOn", kX, {0x18, 0xD0}, {Event(QXEVT_RING_ON)}, 1},
    {"RingOff", kX, {0x18, 0x10}, {Event(QXEVT_RING_OFF)}, 1},
    {"OtherRingerByteIsIgnored", kX, {0x18, 0x11}, {}, 1},
    {"DisplayClock", kX, {0x40, 0x14, 0}, {Event(QXEVT_DISPLAY_CLOCK)}, 1},
    {"DisplayClear1", kX, {0x40, 0x14, 1}, {Event(QXEVT_DISPLAY_CLEAR)}, 1},
    {"DisplayClear3", kX, {0x40, 0x14, 3}, {Event(QXEVT_DISPLAY_CLEAR)}, 1},
    {"DisplayTimer", kX, {0x40, 0x14, 8}, {Event(QXEVT_DISPLAY_TIMER)}, 1},
    {"OtherDisplayModeIsIgnored", kX, {0x40, 0x14, 2}, {}, 1},
    {"CallForwardCancelled", kX, {0x40, 0x2A, 1}, {Event(QXEVT_CFWD_CANCELED)}, 1},
    {"AutoAnswer", kX, {0x40, 0x2A, 3}, {Event(QXEVT_AUTO_ANSWER)}, 1},
    {"AutoAnswerCancelled", kX, {0x40, 0x2A, 6}, {Event(QXEVT_AUTO_ANSWER_CANCELED)}, 1},
    {"SetBusy", kX, {0x40, 0x2A, 4}, {Event(QXEVT_SET_BUSY)}, 1},
    {"SetBusyCancelled", kX, {0x40, 0x2A, 7}, {Event(QXEVT_SET_BUSY_CANCELED)}, 1},
    {"OtherFeatureIsIgnored", kX, {0x40, 0x2A, 2}, {}, 1},
    {"DisplayMessageWithoutItsArgument", kX, {0x40, 0x14}, {}, 1},
    {"UnknownPbxMessage", kX, {0x30, 0x01}, {}, 0},
    {"PbxMessageOfOneByte", kX, {0x10}, {}, 1},
    {"EmptyPbxMessage", kX, {}, {}, 1},
    {"DigitStarPressed", kH, {0x11, 0xDA}, {Event(QXEVT_DIGIT_PRESSED, '*')}, 1},
    {"DigitHashReleased", kH, {0x11, 0x1B}, {Event(QXEVT_DIGIT_RELEASED, '#')}, 1},
    {"Digit0Pressed", kH, {0x11, 0xD0}, {Event(QXEVT_DIGIT_PRESSED, '0')}, 1},
    {"Digit7Pressed", kH, {0x11, 0xD7}, {Event(QXEVT_DIGIT_PRESSED, '7')}, 1},
    {"DigitKey0xCPressed", kH, {0x11, 0xDC}, {Event(QXEVT_DIGIT_PRESSED, 0x3C)}, 1},
    {"HoldReleased", kH, {0x11, 0x32}, {Event(QXEVT_HOLD_BUTTON_RELEASED)}, 1},
    {"SpeakerReleased", kH, {0x11, 0x33}, {Event(QXEVT_SPEAKER_BUTTON_RELEASED)}, 1},
    {"ReleaseReleased", kH, {0x11, 0x35}, {Event(QXEVT_RELEASE_BUTTON_RELEASED)}, 1},
    {"HoldPressed", kH, {0x11, 0xF2}, {Event(QXEVT_HOLD_BUTTON_PRESSED)}, 1},
    {"SpeakerPressed", kH, {0x11, 0xF3}, {Event(QXEVT_SPEAKER_BUTTON_PRESSED)}, 1},
    {"ReleasePressed", kH, {0x11, 0xF5}, {Event(QXEVT_RELEASE_BUTTON_PRESSED)}, 1},
    {"OnHook", kH, {0x11, 0x3F}, {Event(QXEVT_ONHOOK)}, 1},
    {"OffHook", kH, {0x11, 0xFF}, {Event(QXEVT_OFFHOOK)}, 1},
    {"FunctionKeyReleased", kH, {0x11, 0x07}, {Event(QXEVT_FUNCTION_BUTTON_RELEASED, 7)}, 1},
    {"FunctionKeyPressed", kH, {0x11, 0xC7}, {Event(QXEVT_FUNCTION_BUTTON_PRESSED, 7)}, 1},
    {"KeyOfOtherStateIsIgnored", kH, {0x11, 0x57}, {}, 1},
    {"Bank1KeyPressed", kH, {0x21, 0xC3}, {Event(QXEVT_FUNCTION_BUTTON_PRESSED, 19)}, 1},
    {"Bank2KeyReleased", kH, {0x25, 0x03}, {Event(QXEVT_FUNCTION_BUTTON_RELEASED, 35)}, 1},
    {"Bank3KeyPressed", kH, {0x29, 0xCF}, {Event(QXEVT_FUNCTION_BUTTON_PRESSED, 63)}, 1},
    {"BankKeyOfOtherStateIsIgnored", kH, {0x29, 0x5F}, {}, 1},
    {"KeyWithoutItsByte", kH, {0x11}, {}, 1},
    {"UnknownSetMessage", kH, {0x12, 0xC1}, {}, 0},
    {"OtherPacketType", 0x41, {0x10, 0xF3}, {}, 1},
};

class MeridianMessages : public testing::TestWithParam<MessageCase> {};

TEST_P(MeridianMessages, PostExactlyTheirEvents)
{
    PacketDriver<DMERIDIAN> driver{kStart};
    const MessageCase& c = GetParam();
    EXPECT_EQ(driver.Send(kLine, c.type, c.message), c.result);
    driver.Advance(1000);
    EXPECT_EQ(driver.Take(), c.events);
}

INSTANTIATE_TEST_SUITE_P(Meridian, MeridianMessages, testing::ValuesIn(kMessageCases),
                         [](const testing::TestParamInfo<MessageCase>& info) { return info.param.name; });

// ---------------------------------------------------------------- state

TEST_F(Meridian, InitialStateHasEveryLampOffWithItsColour)
{
    const ZAQ16_PHONE_STATUS status = driver.Status(kLine);
    EXPECT_EQ(status.lamps[0].state, QXEVT_LIGHT_OFF);
    EXPECT_EQ(status.lamps[0].param, 0x100u);
    EXPECT_EQ(status.lamps[254].param, 0x100u | 254);
    EXPECT_EQ(status.lamps[255].param, 0x200u);
    EXPECT_EQ(status.lamps[509].param, 0x200u | 254);
    EXPECT_EQ(status.ringState, QXEVT_RING_OFF);
    EXPECT_EQ(status.handsetAudio, QXEVT_AUDIO_OFF);
    EXPECT_EQ(Text(51), std::string(24, ' ') + "\n" + std::string(25, ' ') + std::string(1, '\0'));
    EXPECT_EQ(Record().offset, 50u);
    EXPECT_EQ(Record().length, 50u);
}

TEST_F(Meridian, StatesAreStoredInThePhoneStatus)
{
    Pbx({0x20, 0xF3});
    Pbx({0x14, 0xC1});
    Pbx({0x14, 0xC4});
    Pbx({0x14, 0xC2});
    Pbx({0x18, 0xD0});
    Pbx({0x40, 0x14, 8});
    Pbx({0x40, 0x2A, 1});
    Pbx({0x40, 0x2A, 3});
    Pbx({0x40, 0x2A, 4});
    Set({0x11, 0xFF});
    const ZAQ16_PHONE_STATUS status = driver.Status(kLine);
    EXPECT_EQ(status.lamps[19].state, QXEVT_LIGHT_ON);
    EXPECT_EQ(status.lamps[19].param, 0x113u);  // only the state is kept
    EXPECT_EQ(status.handsetAudio, QXEVT_AUDIO_ON);
    EXPECT_EQ(status.speakerMonitorAudio, QXEVT_AUDIO_ON);
    EXPECT_EQ(status.handsfreeAudio, QXEVT_AUDIO_ON);
    EXPECT_EQ(status.handsetReceiverAudio, QXEVT_AUDIO_OFF);
    EXPECT_EQ(status.ringState, QXEVT_RING_ON);
    EXPECT_EQ(status.displayState, QXEVT_DISPLAY_TIMER);
    EXPECT_EQ(status.callForwardState, QXEVT_CFWD_CANCELED);
    EXPECT_EQ(status.autoAnswerState, QXEVT_AUTO_ANSWER);
    EXPECT_EQ(status.setBusyState, QXEVT_SET_BUSY);
    EXPECT_EQ(status.hookState, QXEVT_OFFHOOK);
}

// ---------------------------------------------------------------- posting rule

struct RuleCase {
    const char* name;
    uint8_t type;
    std::vector<uint8_t> message;
    bool repeatPostedWithUpdatesOff;
};

const RuleCase kRuleCases[] = {
    {"Lamp", kX, {0x20, 0xF3}, false},
    {"Audio", kX, {0x14, 0xC1}, false},
    {"Ringer", kX, {0x18, 0xD0}, false},
    {"DisplayMode", kX, {0x40, 0x14, 8}, false},
    {"Feature", kX, {0x40, 0x2A, 4}, false},
    {"Hook", kH, {0x11, 0xFF}, false},
    {"Digit", kH, {0x11, 0xD5}, true},
    {"Key", kH, {0x21, 0xC3}, true},
};

class MeridianPostingRule : public testing::TestWithParam<RuleCase> {};

TEST_P(MeridianPostingRule, RepeatsFollowTheEventUpdateSwitch)
{
    const RuleCase& c = GetParam();
    for (const bool updates : {false, true}) {
        const size_t expected = updates || c.repeatPostedWithUpdatesOff ? 2 : 1;
        EXPECT_EQ(PacketDriver<DMERIDIAN>::EventsOfARepeat(updates, c.type, c.message), expected) << "event updates " << updates;
    }
}

INSTANTIATE_TEST_SUITE_P(Meridian, MeridianPostingRule, testing::ValuesIn(kRuleCases),
                         [](const testing::TestParamInfo<RuleCase>& info) { return info.param.name; });

TEST_F(Meridian, InitialLampOffIsARepeat)
{
    driver.EventUpdates(false);
    Pbx({0x10, 0x03});
    Pbx({0x18, 0x10});
    EXPECT_EQ(driver.Take(), std::vector<Posted>{});
}

TEST_F(Meridian, AutoAnswerCancelledAfterAutoAnswerIsAChangeThenARepeat)
{
    driver.EventUpdates(false);
    Pbx({0x40, 0x2A, 3});
    Pbx({0x40, 0x2A, 6});
    Pbx({0x40, 0x2A, 6});
    EXPECT_EQ(driver.Take(), (std::vector<Posted>{Event(QXEVT_AUTO_ANSWER), Event(QXEVT_AUTO_ANSWER_CANCELED)}));
}

// Posting a display leaves the display-mode word alone: the mode the set
// already shows is not posted again.
TEST_F(Meridian, ClockAgainAfterDisplayTextIsARepeat)
{
    driver.EventUpdates(false);
    Pbx({0x40, 0x14, 0});
    Pbx({0x40, 0x11, 'A'});
    driver.Advance(600);
    Pbx({0x40, 0x14, 0});
    EXPECT_EQ(driver.Take(), (std::vector<Posted>{Event(QXEVT_DISPLAY_CLOCK), Event(QXEVT_MESSAGE_CHANGE, 52)}));
    EXPECT_EQ(driver.Status(kLine).displayState, QXEVT_DISPLAY_CLOCK);
    driver.EventUpdates(true);
    Pbx({0x40, 0x14, 0});
    EXPECT_EQ(driver.Take(), std::vector<Posted>{Event(QXEVT_DISPLAY_CLOCK)});
}

TEST_F(Meridian, OtherDisplayModeAfterDisplayTextIsAChange)
{
    driver.EventUpdates(false);
    Pbx({0x40, 0x14, 0});
    Positioned(false, 0, "Hello");
    driver.Advance(500);
    Pbx({0x40, 0x14, 1});
    EXPECT_EQ(driver.Take(), (std::vector<Posted>{Event(QXEVT_DISPLAY_CLOCK), Event(QXEVT_MESSAGE_CHANGE, 52),
                                                  Event(QXEVT_DISPLAY_CLEAR)}));
}

// ---------------------------------------------------------------- display and timer

TEST_F(Meridian, DialledDigitsArePostedAfterTheQuietTime)
{
    Pbx({0x42, 0x02, 0x05, 0x21, 0x0A});
    EXPECT_EQ(Text(4), "120 ");
    driver.Advance(499);
    EXPECT_EQ(driver.Take(), std::vector<Posted>{});
    driver.Advance(1);
    EXPECT_EQ(driver.Take(), std::vector<Posted>{Event(QXEVT_MESSAGE_CHANGE, 51)});
    EXPECT_EQ(Record().offset, 51u);
    EXPECT_EQ(Record().pending, 0u);
    EXPECT_EQ(driver.Status(kLine).displayState, 0u) << "a posted display is not a display mode";
}

TEST_F(Meridian, PackedDigitNibblesAboveTenAreCharacters)
{
    Pbx({0x42, 0x02, 0x05, 0xBC, 0xFD, 0xE0});
    EXPECT_EQ(Text(6), "<;=?> ");
}

TEST_F(Meridian, PiecesWithinTheDelayPostOnce)
{
    TraceCapture trace;
    Positioned(false, 0, "Call ");
    driver.Advance(300);
    Pbx(Join({0x43}, Bytes("from ")));
    driver.Advance(300);
    Pbx({0x40, 0x06, '2'});
    driver.Advance(499);
    EXPECT_EQ(driver.Take(), std::vector<Posted>{});
    driver.Advance(1);
    // Text is posted through the offset (51) and its terminator.
    EXPECT_EQ(driver.Take(), std::vector<Posted>{Event(QXEVT_MESSAGE_CHANGE, 52)});
    EXPECT_EQ(Text(11), "Call from 2");
    EXPECT_EQ(trace.Count("TIMER CREATED for 500 ms for 38"), 1u) << trace.Text();
    EXPECT_EQ(trace.Count("TIMER SET for 500 ms for 5"), 3u);
    EXPECT_TRUE(trace.Contains("DEBUG  -TimerCompletionDMERIDIAN TIMER FIRED after 500 ms for 5"));
}

TEST_F(Meridian, PendingDisplayIsPostedBeforeTheLampThatFollows)
{
    Positioned(false, 0, "Call 2001");
    Pbx({0x20, 0x51});
    EXPECT_EQ(driver.Take(), (std::vector<Posted>{Event(QXEVT_MESSAGE_CHANGE, 51), Event(QXEVT_LIGHT_FLASHING, 17)}));
    driver.Advance(1000);
    EXPECT_EQ(driver.Take(), std::vector<Posted>{});
    EXPECT_EQ(driver.timers.ArmedCount(), 0u);
}

TEST_F(Meridian, SetMessagesDoNotFlushTheDisplay)
{
    Positioned(false, 0, "Call 2001");
    Set({0x11, 0xD5});
    EXPECT_EQ(driver.Take(), std::vector<Posted>{Event(QXEVT_DIGIT_PRESSED, '5')});
    driver.Advance(500);
    EXPECT_EQ(driver.Take(), std::vector<Posted>{Event(QXEVT_MESSAGE_CHANGE, 52)});
}

TEST_F(Meridian, TextSequencePostsAtItsClosingMark)
{
    Pbx({0x40, 0x11, 0x1C});
    for (const char c : std::string("Hi")) {
        Pbx({0x40, 0x11, static_cast<uint8_t>(c)});
    }
    Pbx({0x40, 0x11, 0x1C});
    EXPECT_EQ(driver.Take(), std::vector<Posted>{Event(QXEVT_MESSAGE_CHANGE, 51)});
    EXPECT_EQ(Text(3), "Hi ");
    EXPECT_EQ(driver.timers.ArmedCount(), 0u);
    EXPECT_EQ(Display().Cursor(kLine), 0u);
    driver.Advance(1000);
    EXPECT_EQ(driver.Take(), std::vector<Posted>{});
}

// A clear that leaves the display as it was posts nothing, whatever the
// event-update switch says.
TEST_F(Meridian, ClearDisplayPostsOnlyWhenItChangedTheDisplay)
{
    for (const bool updates : {true, false}) {
        driver.EventUpdates(updates);
        Positioned(true, 2, "2001");
        driver.Advance(500);
        driver.Take();
        Pbx({0x40, 0x05});
        EXPECT_EQ(driver.Take(), std::vector<Posted>{Event(QXEVT_MESSAGE_CHANGE, 51)}) << "updates " << updates;
        EXPECT_EQ(Text(50), std::string(24, ' ') + "\n" + std::string(25, ' '));
        Pbx({0x40, 0x05});
        EXPECT_EQ(driver.Take(), std::vector<Posted>{}) << "updates " << updates;
    }
}

TEST_F(Meridian, ClearOnAFreshPortPostsNothing)
{
    driver.EventUpdates(true);
    EXPECT_EQ(Pbx({0x40, 0x05}), 1);
    EXPECT_EQ(driver.Take(), std::vector<Posted>{});
    EXPECT_EQ(driver.Status(kLine).displayState, 0u);
}

TEST_F(Meridian, ClearDisplayDropsTheTextWaiting)
{
    Positioned(false, 0, "Call 2001");
    Pbx({0x40, 0x05});
    EXPECT_EQ(driver.Take(), std::vector<Posted>{Event(QXEVT_MESSAGE_CHANGE, 51)});
    driver.Advance(1000);
    EXPECT_EQ(driver.Take(), std::vector<Posted>{});
}

TEST_F(Meridian, WritingPastColumn23OnRow1MovesTheSplitAndKeepsRow2)
{
    Positioned(true, 0, "ROW2");
    Positioned(false, 20, "ABCDEFGH");
    EXPECT_EQ(Display().RowSplit(kLine), 28u);
    EXPECT_EQ(Text(34), std::string(20, ' ') + "ABCDEFGH\nROW2 ");
    EXPECT_EQ(Record().length, 54u);
    driver.Advance(500);
    EXPECT_EQ(driver.Take(), std::vector<Posted>{Event(QXEVT_MESSAGE_CHANGE, 55)});
}

TEST_F(Meridian, ClearingRow1MovesRow2BackBehindTheSplit)
{
    Positioned(true, 0, "ROW2");
    Positioned(false, 20, "ABCDEFGH");
    Pbx({0x40, 0x12, 2});
    EXPECT_EQ(Display().RowSplit(kLine), 24u);
    EXPECT_EQ(Text(29), std::string(24, ' ') + "\nROW2");
    EXPECT_EQ(Record().pending, 0u);
    driver.Advance(1000);
    EXPECT_EQ(driver.Take(), std::vector<Posted>{});
}

TEST_F(Meridian, ClearingRow2BlanksItAndPutsTheCursorThere)
{
    Positioned(false, 0, "Row1");
    Positioned(true, 0, "Row2 text");
    Pbx({0x40, 0x12, 1});
    EXPECT_EQ(Text(50), "Row1" + std::string(20, ' ') + "\n" + std::string(25, ' '));
    EXPECT_EQ(Display().Cursor(kLine), 25u);
    EXPECT_FALSE(Display().OnFirstRow(kLine));
    EXPECT_EQ(Record().length, 50u);
}

TEST_F(Meridian, ClearingAllBlanksBothRows)
{
    Positioned(false, 0, "Row1");
    Positioned(true, 0, "Row2");
    Pbx({0x40, 0x12, 3});
    EXPECT_EQ(Text(51), std::string(24, ' ') + "\n" + std::string(25, ' ') + std::string(1, '\0'));
    EXPECT_EQ(Display().Cursor(kLine), 25u);
}

TEST_F(Meridian, CursorToRow2)
{
    Pbx({0x40, 0x13, 0x20});
    Pbx({0x40, 0x11, 'Z'});
    EXPECT_EQ(Text(26), std::string(24, ' ') + "\nZ");
}

TEST_F(Meridian, ClockModeBlanksTheDisplayAndDropsTheTextWaiting)
{
    Positioned(false, 0, "Call 2001");
    Pbx({0x40, 0x14, 0});
    driver.Advance(1000);
    EXPECT_EQ(driver.Take(), std::vector<Posted>{Event(QXEVT_DISPLAY_CLOCK)});
    EXPECT_EQ(Text(51), std::string(24, ' ') + "\n" + std::string(25, ' ') + std::string(1, '\0'));
    EXPECT_EQ(Display().Cursor(kLine), 25u);
}

TEST_F(Meridian, TimerModeKeepsTheDisplayAndFlushesIt)
{
    Positioned(false, 0, "Call 2001");
    Pbx({0x40, 0x14, 8});
    EXPECT_EQ(driver.Take(), (std::vector<Posted>{Event(QXEVT_MESSAGE_CHANGE, 51), Event(QXEVT_DISPLAY_TIMER)}));
    EXPECT_EQ(Text(9), "Call 2001");
}

// ---------------------------------------------------------------- call-forward number

TEST_F(Meridian, CallForwardNumberIsCollectedAndPostedWithItsLength)
{
    Pbx({0x42, 0x0C, 0x1B, 0x21, 0x43});
    Pbx({0x43, 0x05});
    EXPECT_EQ(std::string(Record().auxText), "12345");
    EXPECT_EQ(Record().auxCount, 5u);
    driver.Advance(500);
    EXPECT_EQ(driver.Take(), std::vector<Posted>{Event(QXEVT_CFWD, 6)});
    EXPECT_EQ(Record().auxCount, 0u);
    EXPECT_EQ(Record().auxText[0], '\0');
    EXPECT_EQ(driver.Status(kLine).callForwardState, QXEVT_CFWD);
}

TEST_F(Meridian, CallForwardNumberRepeatFollowsTheSwitch)
{
    driver.EventUpdates(false);
    for (int i = 0; i < 2; ++i) {
        Pbx({0x42, 0x0C, 0x1B, 0x21});
        driver.Advance(500);
    }
    EXPECT_EQ(driver.Take(), std::vector<Posted>{Event(QXEVT_CFWD, 3)});
}

TEST_F(Meridian, CallForwardNumberIsPostedBeforeALamp)
{
    Pbx({0x42, 0x0C, 0x1B, 0x21});
    Pbx({0x40, 0x06, 0x03});
    Pbx({0x10, 0xF1});
    EXPECT_EQ(driver.Take(), (std::vector<Posted>{Event(QXEVT_CFWD, 4), Event(QXEVT_LIGHT_ON, 1)}));
}

// ---------------------------------------------------------------- date and time

class MeridianClock : public Meridian {
protected:
    void SetUp() override
    {
        driver.decoder.SetCalendar([this] { return now; });
    }
    int64_t now = 1700000000;
};

TEST_F(MeridianClock, NoDateYetIsNotReady)
{
    int32_t time[9] = {};
    EXPECT_EQ(driver.decoder.GetPBXDateTime(time), ZAQ16_RET_NOT_READY);
}

TEST_F(MeridianClock, DateWithItsSecondsRunsOnWithTheLocalClock)
{
    TraceCapture trace;
    // 2003-12-31 23:59, then the seconds (30).
    Pbx({0x42, 0x0C, 0x29, 3, 12, 31, 23, 59});
    Pbx({0x40, 0x06, 30});
    EXPECT_EQ(Record().pending, 0u);
    int32_t time[9] = {};
    ASSERT_EQ(driver.decoder.GetPBXDateTime(time), ZAQ16_RET_SUCCESS);
    EXPECT_EQ(std::vector<int32_t>(time, time + 6), (std::vector<int32_t>{30, 59, 23, 31, 12, 2003}));
    EXPECT_TRUE(trace.Contains("INFO   -GetPBXDateTime  12-31-2003 23:59:30")) << trace.Text();
    now += 45;
    ASSERT_EQ(driver.decoder.GetPBXDateTime(time), ZAQ16_RET_SUCCESS);
    EXPECT_EQ(std::vector<int32_t>(time, time + 6), (std::vector<int32_t>{15, 0, 0, 1, 1, 2004}));
    EXPECT_EQ(driver.Take(), std::vector<Posted>{});
}

TEST_F(MeridianClock, ShortDateMessageIsIgnored)
{
    Pbx({0x42, 0x0C, 0x29, 3, 12, 31, 23});
    int32_t time[9] = {};
    EXPECT_EQ(driver.decoder.GetPBXDateTime(time), ZAQ16_RET_NOT_READY);
}

// ---------------------------------------------------------------- read-back

TEST_F(Meridian, GetMessageCopiesUpToItsSizeAndTracesTheText)
{
    TraceCapture trace(4);
    Positioned(false, 0, "Hello");
    driver.Advance(500);
    char text[64];
    std::memset(text, '#', sizeof text);
    EXPECT_EQ(driver.decoder.GetMessageOfChannel(kChannel, text, 52), ZAQ16_RET_SUCCESS);
    EXPECT_EQ(std::string(text, 52), "Hello" + std::string(19, ' ') + "\n" + std::string(25, ' ') + std::string(2, '\0'));
    EXPECT_EQ(text[52], '#');
    EXPECT_TRUE(trace.Contains("FATAL  -GetMessage      channel = 38 start_channel = 33")) << trace.Text();
    EXPECT_TRUE(trace.Contains("TRACE  -GetMessage      Hello"));
    EXPECT_EQ(driver.decoder.GetMessageOfChannel(kChannel, text, 20), ZAQ16_RET_TRUNCATED);
    EXPECT_EQ(driver.decoder.GetMessageOfChannel(kStart + 16, text, 20), ZAQ16_RET_INVALID_PARAM);
    EXPECT_EQ(driver.decoder.GetMessageOfChannel(kChannel, nullptr, 20), ZAQ16_RET_INVALID_PARAM);
}

// ---------------------------------------------------------------- limits

TEST_F(Meridian, EndlessRow1TextStaysInsideTheBuffers)
{
    Positioned(true, 0, "ROW2");
    Positioned(false, 0, "");
    for (int i = 0; i < 20; ++i) {
        Pbx(Join({0x43}, std::vector<uint8_t>(200, static_cast<uint8_t>('a' + i % 26))));
    }
    EXPECT_LT(Display().RowSplit(kLine), DisplayRecord::kTextSize - 1);
    EXPECT_LT(Record().length, DisplayRecord::kTextSize);
    EXPECT_LT(Display().Cursor(kLine), DisplayRecord::kTextSize);
    driver.Advance(500);
    const std::vector<Posted> events = driver.Take();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_LE(events[0].param, DisplayRecord::kTextSize);
}

TEST_F(Meridian, Row2ColumnPastTheBufferIsClamped)
{
    for (int i = 0; i < 6; ++i) {
        Positioned(false, 20, std::string(200, 'x'));
    }
    Positioned(true, 255, "tail");
    Pbx({0x40, 0x12, 1});
    Pbx({0x40, 0x05});
    EXPECT_LT(Record().length, DisplayRecord::kTextSize);
    EXPECT_LT(Display().Cursor(kLine), DisplayRecord::kTextSize);
}

TEST_F(Meridian, LongCallForwardNumberStaysInsideItsBuffer)
{
    for (int i = 0; i < 10; ++i) {
        Pbx(Join({0x42, 0x0C, 0x1B}, std::vector<uint8_t>(250, 0x99)));
    }
    EXPECT_EQ(Record().auxCount, DisplayRecord::kTextSize - 2);
    driver.Advance(500);
    EXPECT_EQ(driver.Take(), std::vector<Posted>{Event(QXEVT_CFWD, DisplayRecord::kTextSize - 1)});
}

}  // namespace
