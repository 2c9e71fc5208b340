// ERRICSOND driven packet by packet: the checksum, every message kind of both
// directions, the display layouts by set type, the posting rule and the
// 500 ms deferred display.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "EricssonFrames.h"
#include "PacketDriver.h"
#include "decoders/ERRICSOND.h"
#include "support/TraceCapture.h"

using md110_test::Frame;
using md110_test::kFromPbx;
using md110_test::kFromSet;

namespace {

struct ChecksumError {
    uint16_t sum;
    uint16_t received;
    bool operator==(const ChecksumError&) const = default;
};

class Md110 : public testing::Test {
protected:
    Md110()
    {
        driver.decoder.SetChecksumReport(
            [this](uint16_t sum, uint16_t received) { checksumErrors.push_back({sum, received}); });
    }

    uint8_t FromPbx(const std::vector<uint8_t>& messages, uint8_t channel = 2)
    {
        return driver.Send(channel, kFromPbx, Frame(messages));
    }
    uint8_t FromSet(const std::vector<uint8_t>& messages, uint8_t channel = 2)
    {
        return driver.Send(channel, kFromSet, Frame(messages));
    }
    // The display as the application reads it after a display change.
    std::string Shown(uint8_t channel = 2)
    {
        std::string text(DisplayRecord::kTextSize, '\0');
        driver.decoder.GetMessage(channel, text.data(), static_cast<uint32_t>(text.size()));
        return text.substr(0, driver.Record(channel).length);
    }

    PacketDriver<ERRICSOND> driver{17};
    std::vector<ChecksumError> checksumErrors;
};

// ---------------------------------------------------------------- checksum and framing

TEST_F(Md110, ChecksumCoversTheDataAndItsCount)
{
    EXPECT_EQ(driver.Send(0, kFromPbx, {0x00, 0x91, 0x05, 0x9A}), 1);
    EXPECT_EQ(driver.Take(), (std::vector<Posted>{{QXEVT_LIGHT_ON, 5, 17}}));
    EXPECT_TRUE(checksumErrors.empty());

    for (const uint8_t wrong : {0x00, 0x99, 0x9B, 0xFF}) {
        EXPECT_EQ(driver.Send(0, kFromPbx, {0x00, 0x91, 0x05, wrong}), 0) << int(wrong);
    }
    EXPECT_TRUE(driver.Take().empty());
    EXPECT_EQ(checksumErrors, (std::vector<ChecksumError>{{0x9A, 0x00}, {0x9A, 0x99}, {0x9A, 0x9B}, {0x9A, 0xFF}}));
}

TEST_F(Md110, PacketsTooShortForAMessageAreDroppedWithoutReadingOutside)
{
    TraceCapture trace(1);
    struct Case {
        std::vector<uint8_t> data;
        uint8_t result;
        size_t checksumErrors;
    };
    const Case cases[] = {
        {{}, 0, 0},            // nothing to check: traced and dropped
        {{0x01}, 1, 0},        // its own count is its checksum: no message
        {{0x05}, 0, 1},        // a wrong one
        {{0x91, 0x93}, 1, 0},  // header and checksum only
    };
    for (const Case& c : cases) {
        checksumErrors.clear();
        EXPECT_EQ(driver.Send(0, kFromPbx, c.data), c.result) << c.data.size();
        EXPECT_EQ(checksumErrors.size(), c.checksumErrors) << c.data.size();
    }
    EXPECT_TRUE(driver.Take().empty());
    EXPECT_TRUE(trace.Contains("Empty packet for 17"));
}

TEST_F(Md110, MessagesCutOffByTheEndOfTheRunYieldNothing)
{
    const std::vector<std::vector<uint8_t>> cut = {
        {0x90}, {0x84}, {0x86}, {0x95}, {0x99, 0x00}, {0x9A},
    };
    for (const std::vector<uint8_t>& messages : cut) {
        EXPECT_EQ(FromPbx(messages), 1);
    }
    for (const std::vector<uint8_t>& messages : std::vector<std::vector<uint8_t>>{{0x02}, {0x04}, {0x01, 0x0E, 0x02}}) {
        EXPECT_EQ(FromSet(messages), 1);
    }
    EXPECT_TRUE(driver.Take().empty());
    EXPECT_EQ(driver.decoder.SetType(2), 0);
    driver.Advance(1000);
    EXPECT_TRUE(driver.Take().empty());
}

TEST_F(Md110, OtherPacketTypesDecodeNothing)
{
    EXPECT_EQ(driver.Send(0, 0x41, Frame({0x91, 0x05})), 1);
    EXPECT_TRUE(driver.Take().empty());
}

// ---------------------------------------------------------------- messages from the PBX

TEST_F(Md110, PbxMessagesAndTheirEvents)
{
    struct Case {
        std::vector<uint8_t> messages;
        std::vector<Posted> events;
    };
    const Case cases[] = {
        {{0x90, 0x07}, {{QXEVT_LIGHT_OFF, 7, 19}}},
        {{0x91, 0x07}, {{QXEVT_LIGHT_ON, 7, 19}}},
        {{0x92, 0x07}, {{QXEVT_LIGHT_QUICKFLASH, 7, 19}}},
        {{0x93, 0x07}, {{QXEVT_LIGHT_FLASHING, 7, 19}}},
        {{0x94, 0xFE}, {{QXEVT_LIGHT_FASTFLASHING, 0xFE, 19}}},
        {{0x88}, {{QXEVT_RING_ON, 1, 19}}},
        {{0x89}, {{QXEVT_RING_ON, 2, 19}}},
        {{0x8A}, {{QXEVT_RING_ON, 3, 19}}},
        {{0x8E}, {{QXEVT_RING_OFF, 0, 19}}},
        {{0x85}, {{QXEVT_DISPLAY_CLEAR, 0, 19}}},
        {{0x84, 0x00}, {{QXEVT_AUDIO_OFF, 1, 19}, {QXEVT_AUDIO_OFF, 2, 19}}},
        {{0x84, 0x01}, {{QXEVT_AUDIO_ON, 1, 19}, {QXEVT_AUDIO_OFF, 2, 19}}},
        {{0x84, 0x02}, {{QXEVT_AUDIO_ON, 2, 19}, {QXEVT_AUDIO_OFF, 1, 19}}},
        {{0x84, 0x03}, {}},
        {{0x9A, 0x91}, {}},                      // its argument is not a message
        {{0x80, 0x91, 0x05}, {{QXEVT_LIGHT_ON, 5, 19}}},  // an unknown code takes one byte
        {{0x91, 0x05, 0x90, 0x05}, {{QXEVT_LIGHT_ON, 5, 19}, {QXEVT_LIGHT_OFF, 5, 19}}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FromPbx(c.messages), 1);
        EXPECT_EQ(driver.Take(), c.events) << testing::PrintToString(c.messages);
    }
}

TEST_F(Md110, LampsAreKeptInThePhoneStatus)
{
    FromPbx({0x93, 0x21});
    EXPECT_EQ(driver.Status(2).lamps[0x21].state, QXEVT_LIGHT_FLASHING);
    EXPECT_EQ(driver.Status(2).lamps[0x21].param, 0x21u);
    EXPECT_EQ(driver.Status(2).lamps[0x20].state, 0u);
}

TEST_F(Md110, AudioPathsAreKeptInThePhoneStatus)
{
    FromPbx({0x84, 0x01});
    EXPECT_EQ(driver.Status(2).handsetAudio, QXEVT_AUDIO_ON);
    EXPECT_EQ(driver.Status(2).handsfreeAudio, QXEVT_AUDIO_OFF);
    FromPbx({0x84, 0x02});
    EXPECT_EQ(driver.Status(2).handsetAudio, QXEVT_AUDIO_OFF);
    EXPECT_EQ(driver.Status(2).handsfreeAudio, QXEVT_AUDIO_ON);
}

TEST_F(Md110, RepeatsArePostedOnlyWhileEventUpdatesAreOn)
{
    struct Case {
        uint8_t type;
        std::vector<uint8_t> messages;
        size_t eventsOfTheRepeat;  // with updates off
    };
    const Case cases[] = {
        {kFromPbx, {0x84, 0x01}, 0},
        {kFromPbx, {0x91, 0x05}, 0},
        {kFromPbx, {0x89}, 0},
        {kFromPbx, {0x8E}, 0},
        {kFromSet, {0x04, 0x10}, 0},   // off hook
        {kFromSet, {0x04, 0x05}, 1},   // a digit has no state
        {kFromSet, {0x02, 0x03}, 1},   // nor a key
        {kFromPbx, {0x85}, 1},         // the display clear is always posted
    };
    for (const bool updates : {false, true}) {
        for (const Case& c : cases) {
            PacketDriver<ERRICSOND> fresh;
            fresh.EventUpdates(updates);
            fresh.Send(0, c.type, Frame(c.messages));
            const size_t first = fresh.Take().size();
            fresh.Send(0, c.type, Frame(c.messages));
            EXPECT_EQ(fresh.Take().size(), updates ? first : c.eventsOfTheRepeat)
                << "updates " << updates << " " << testing::PrintToString(c.messages);
        }
    }
}

TEST_F(Md110, HookAndRingAreKeptWhileEventUpdatesAreOn)
{
    driver.EventUpdates(true);
    FromSet({0x04, 0x10});
    FromPbx({0x88});
    EXPECT_EQ(driver.Status(2).hookState, QXEVT_OFFHOOK);
    EXPECT_EQ(driver.Status(2).ringState, QXEVT_RING_ON);
    driver.Take();
    driver.EventUpdates(false);
    FromSet({0x04, 0x10});
    EXPECT_TRUE(driver.Take().empty());
}

// ---------------------------------------------------------------- messages from the set

TEST_F(Md110, SetKeys)
{
    struct Case {
        std::vector<uint8_t> messages;
        std::vector<Posted> events;
    };
    const Case cases[] = {
        {{0x04, 0x00}, {{QXEVT_DIGIT_PRESSED, '0', 19}}},
        {{0x04, 0x09}, {{QXEVT_DIGIT_PRESSED, '9', 19}}},
        {{0x04, 0x0A}, {{QXEVT_DIGIT_PRESSED, '*', 19}}},
        {{0x04, 0x0B}, {{QXEVT_DIGIT_PRESSED, 0x23, 19}}},
        {{0x04, 0x0C}, {{QXEVT_TRANSFER_BUTTON_PRESSED, 0, 19}}},
        {{0x04, 0x0D}, {{QXEVT_RELEASE_BUTTON_PRESSED, 0, 19}}},
        {{0x04, 0x0E}, {{QXEVT_SPEAKER_BUTTON_PRESSED, 0, 19}}},
        {{0x04, 0x0F}, {{QXEVT_ONHOOK, 0, 19}}},
        {{0x04, 0x10}, {{QXEVT_OFFHOOK, 0, 19}}},
        {{0x04, 0x11}, {}},
        {{0x02, 0x2A}, {{QXEVT_FUNCTION_BUTTON_PRESSED, 0x2A, 19}}},
        {{0x07, 0x04, 0x01}, {{QXEVT_DIGIT_PRESSED, '1', 19}}},  // an unknown code takes one byte
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FromSet(c.messages), 1);
        EXPECT_EQ(driver.Take(), c.events) << testing::PrintToString(c.messages);
    }
}

TEST_F(Md110, SetMessagesDoNotFlushThePendingDisplay)
{
    FromPbx({0x95, 0x00, 'H', 'i'});
    FromSet({0x04, 0x01});
    EXPECT_EQ(driver.Take(), (std::vector<Posted>{{QXEVT_DIGIT_PRESSED, '1', 19}}));
    driver.Advance(500);
    EXPECT_EQ(driver.Take(), (std::vector<Posted>{{QXEVT_MESSAGE_CHANGE, 84, 19}}));
}

// ---------------------------------------------------------------- display layouts

TEST_F(Md110, PositionCodesByLayout)
{
    struct Case {
        std::vector<uint8_t> announcement;  // empty: none
        uint8_t position;
        uint32_t cursor;
        uint32_t length;
    };
    const Case cases[] = {
        {{}, 0x23, 3 * 21 + 10, 83},
        {{}, 0x02, 42, 83},
        {{}, 0x13, 63, 83},
        {{0x01, 0x01, 0x00, 0, 0, 0, 0, 0, 0}, 0x23, 0, 17},
        {{0x01, 0x0E, 0x02, 0, 0, 0, 0, 0, 0}, 0x23, 102, 122},
        {{0x01, 0x0E, 0x02, 0, 0, 0, 0, 0, 0}, 0x72, 112, 122},
        {{0x01, 0x0E, 0x02, 0, 0, 0, 0, 0, 0}, 0x12, 82, 122},
        {{0x01, 0x0E, 0x02, 0, 0, 0, 0, 0, 0}, 0x44, 0, 122},
        {{0x01, 0x0E, 0x02, 0, 0, 0, 0, 0}, 0x01, 41, 122},  // eight bytes are enough
    };
    for (const Case& c : cases) {
        PacketDriver<ERRICSOND> fresh;
        if (!c.announcement.empty()) {
            fresh.Send(0, kFromSet, Frame(c.announcement));
        }
        fresh.Send(0, kFromPbx, Frame({0x86, c.position}));
        EXPECT_EQ(fresh.Record(0).offset, c.cursor + 10) << std::hex << int(c.position);
        EXPECT_EQ(fresh.Record(0).length, c.length) << std::hex << int(c.position);
    }
}

TEST_F(Md110, LayoutsPutTheirLineFeeds)
{
    FromPbx({0x95, 0x20, 'A'});
    driver.Advance(500);
    EXPECT_EQ(Shown(), std::string(10, ' ') + "A" + std::string(9, ' ') + "\n" + std::string(20, ' ') + "\n" +
                           std::string(20, ' ') + "\n" + std::string(20, ' '));
    FromSet({0x01, 0x0E, 0x02, 0, 0, 0, 0, 0, 0});
    FromPbx({0x95, 0x01, 'B'});
    driver.Advance(500);
    const std::string shown = Shown();
    EXPECT_EQ(shown.size(), 122u);
    EXPECT_EQ(shown[40], '\n');
    EXPECT_EQ(shown[81], '\n');
    EXPECT_EQ(shown[41], 'B');
}

TEST_F(Md110, TextMessagesWriteAtTheirPositions)
{
    FromPbx({0x87, 'H', 'e', 'l', 'l', 'o'});  // from position 0: the cursor at 0
    FromPbx({0x99, 0x01, 0x77, 'W', 'o'});      // the byte after the position is skipped
    FromPbx({0x86, 0x02});                      // ten blanks at row 3
    driver.Advance(500);
    const std::string shown = Shown();
    EXPECT_EQ(shown.substr(0, 5), "Hello");
    EXPECT_EQ(shown.substr(21, 3), "Wo ");
    EXPECT_EQ(driver.Status(2).displayState, QXEVT_MESSAGE_CHANGE);
}

TEST_F(Md110, TextStopsAtTheEndOfTheDisplayBuffer)
{
    std::vector<uint8_t> messages{0x95, 0x0F};
    messages.insert(messages.end(), 1500, 'x');
    EXPECT_EQ(driver.Send(2, kFromPbx, Frame(messages)), 1);
    EXPECT_EQ(driver.Record(2).offset, DisplayRecord::kTextSize);
    driver.Advance(500);
    EXPECT_EQ(driver.Take(), (std::vector<Posted>{{QXEVT_MESSAGE_CHANGE, 84, 19}}));
}

TEST_F(Md110, SwitchingToTheThreeRowSetBlanksTheDisplay)
{
    FromPbx({0x95, 0x00, 'O', 'l', 'd'});
    driver.Advance(500);
    driver.Take();
    FromSet({0x01, 0x0E, 0x02, 0, 0, 0, 0, 0, 0});
    EXPECT_EQ(driver.decoder.SetType(2), 0x020E);
    driver.Advance(500);
    EXPECT_EQ(driver.Take(), (std::vector<Posted>{{QXEVT_MESSAGE_CHANGE, 84, 19}}));
    EXPECT_EQ(Shown().find('O'), std::string::npos);
    // Announcing the same type again blanks nothing.
    FromPbx({0x95, 0x00, 'N'});
    driver.Advance(500);
    driver.Take();
    FromSet({0x01, 0x0E, 0x02, 0, 0, 0, 0, 0, 0});
    driver.Advance(500);
    EXPECT_TRUE(driver.Take().empty());
    EXPECT_EQ(Shown()[10], 'N');
}

TEST_F(Md110, ClearDisplayBlanksTextAndPostedCopy)
{
    FromPbx({0x95, 0x00, 'A', 'B'});
    driver.Advance(500);
    driver.Take();
    FromPbx({0x85});
    EXPECT_EQ(driver.Take(), (std::vector<Posted>{{QXEVT_DISPLAY_CLEAR, 0, 19}}));
    EXPECT_EQ(driver.Record(2).offset, 0u);
    EXPECT_EQ(driver.Status(2).displayState, QXEVT_DISPLAY_CLEAR);
    EXPECT_EQ(Shown().find_first_not_of(' '), std::string::npos);
    // The same text again is a change after the clear.
    FromPbx({0x95, 0x00, 'A', 'B'});
    driver.Advance(500);
    EXPECT_EQ(driver.Take().size(), 1u);
}

// ---------------------------------------------------------------- the deferred display

TEST_F(Md110, TextIsPostedAfterHalfASecondOfQuiet)
{
    FromPbx({0x95, 0x00, 'A'});
    driver.Advance(300);
    FromPbx({0x95, 0x01, 'B'});  // restarts the delay
    driver.Advance(499);
    EXPECT_TRUE(driver.Take().empty());
    driver.Advance(1);
    EXPECT_EQ(driver.Take(), (std::vector<Posted>{{QXEVT_MESSAGE_CHANGE, 84, 19}}));
    // The same text again posts nothing.
    FromPbx({0x95, 0x00, 'A'});
    driver.Advance(500);
    EXPECT_TRUE(driver.Take().empty());
}

TEST_F(Md110, ALampMessageFlushesTheDisplayFirst)
{
    FromPbx({0x95, 0x20, 'A', 0x91, 0x03});  // the text takes the rest: no lamp here
    EXPECT_TRUE(driver.Take().empty());
    FromPbx({0x91, 0x03});
    EXPECT_EQ(driver.Take(), (std::vector<Posted>{{QXEVT_MESSAGE_CHANGE, 84, 19}, {QXEVT_LIGHT_ON, 3, 19}}));
    EXPECT_EQ(Shown().substr(10, 5), "A\x91\x03  ");
    driver.Advance(1000);
    EXPECT_TRUE(driver.Take().empty());
}

TEST_F(Md110, AFlushOfAnUnchangedDisplayPostsOnlyTheEvent)
{
    FromPbx({0x95, 0x00, 'A'});
    driver.Advance(500);
    driver.Take();
    FromPbx({0x95, 0x00, 'A'});  // the same text over itself
    FromPbx({0x88});
    EXPECT_EQ(driver.Take(), (std::vector<Posted>{{QXEVT_RING_ON, 1, 19}}));
}

TEST_F(Md110, TimerTraceLinesNameTheirChannels)
{
    TraceCapture trace(5);
    FromPbx({0x95, 0x20, 'A'});
    driver.Advance(500);
    EXPECT_TRUE(trace.Contains("TIMER CREATED for 500 ms for 19"));
    EXPECT_TRUE(trace.Contains("TIMER SET for 500 ms for 2"));
    EXPECT_TRUE(trace.Contains("TIMER FIRED after 500 ms for 3"));
    EXPECT_TRUE(trace.Contains("Channel 3 Offset = 11"));
}

TEST(Md110Lifetime, DestroyingTheDecoderWithATimerArmedLeavesNoTimer)
{
    EventCollector events;
    FakeClock clock;
    platform::TimerQueue timers{clock};
    DecoderContext context(1, events, timers);
    auto decoder = std::make_unique<ERRICSOND>(context);
    const std::vector<uint8_t> data = Frame({0x95, 0x00, 'A'});
    decoder->Decode(Packet{0, kFromPbx, data.data(), static_cast<uint32_t>(data.size())});
    EXPECT_EQ(timers.ArmedCount(), 1u);
    decoder.reset();
    EXPECT_EQ(timers.ArmedCount(), 0u);
    AdvanceWithTimers(clock, timers, 1000);
    EXPECT_TRUE(events.Events().empty());
}

// ---------------------------------------------------------------- read-back

TEST_F(Md110, GetMessageChecksTheChannelAndTheSize)
{
    char buffer[200];
    EXPECT_EQ(driver.decoder.GetMessage(16, buffer, sizeof buffer), ZAQ16_RET_INVALID_PARAM);
    EXPECT_EQ(driver.decoder.GetMessage(2, nullptr, 10), ZAQ16_RET_INVALID_PARAM);
    EXPECT_EQ(driver.decoder.GetMessage(2, buffer, 120), ZAQ16_RET_SUCCESS);  // 120 before any layout
    FromPbx({0x95, 0x20, 'A'});
    EXPECT_EQ(driver.decoder.GetMessage(2, buffer, 83), ZAQ16_RET_SUCCESS);
    EXPECT_EQ(driver.decoder.GetMessage(2, buffer, 82), ZAQ16_RET_TRUNCATED);
    EXPECT_EQ(buffer[10], 'A');
}

TEST_F(Md110, ConstructorAndDestructorTraceLines)
{
    TraceCapture trace(3);
    { PacketDriver<ERRICSOND> other(33); }
    EXPECT_TRUE(trace.Contains("Port created for 33"));
    EXPECT_TRUE(trace.Contains("Port DELETED"));
}

}  // namespace
