// NORSTARD driven packet by packet: the set's keys, every PBX message kind,
// messages that end the packet (and lengths that used to loop or copy a
// negative count), the two-row display and its posting with event updates on
// and off.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "PacketDriver.h"
#include "decoders/NORSTARD.h"
#include "support/TraceCapture.h"

namespace {

constexpr uint8_t kFromPbx = 0x58;
constexpr uint8_t kFromSet = 0x48;

std::vector<uint8_t> RowText(uint8_t position, const std::string& text)
{
    std::vector<uint8_t> message;
    message.reserve(text.size() + 3);
    message.push_back(0x6A);
    message.push_back(static_cast<uint8_t>(text.size() + 3));
    message.push_back(position);
    for (const char c : text) {
        message.push_back(static_cast<uint8_t>(c));
    }
    return message;
}

class Norstar : public testing::Test {
protected:
    uint8_t FromPbx(const std::vector<uint8_t>& messages, uint8_t channel = 1)
    {
        return driver.Send(channel, kFromPbx, messages);
    }
    uint8_t FromSet(const std::vector<uint8_t>& messages, uint8_t channel = 1)
    {
        return driver.Send(channel, kFromSet, messages);
    }

    PacketDriver<NORSTARD> driver{33};
};

// ---------------------------------------------------------------- set to PBX

TEST_F(Norstar, SetKeys)
{
    struct Case {
        uint8_t key;
        std::vector<Posted> events;
    };
    const Case cases[] = {
        {0x81, {{QXEVT_DIGIT_PRESSED, '1', 34}}},
        {0x85, {{QXEVT_DIGIT_PRESSED, '5', 34}}},
        {0x89, {{QXEVT_DIGIT_PRESSED, '9', 34}}},
        {0x8A, {{QXEVT_DIGIT_PRESSED, '0', 34}}},
        {0x8B, {{QXEVT_DIGIT_PRESSED, '*', 34}}},
        {0x8C, {{QXEVT_DIGIT_PRESSED, '#', 34}}},
        {0x90, {{QXEVT_FUNCTION_BUTTON_PRESSED, 0, 34}}},
        {0x99, {{QXEVT_FUNCTION_BUTTON_PRESSED, 9, 34}}},
        {0xA0, {{QXEVT_FUNCTION_BUTTON_PRESSED, 10, 34}}},
        {0xA3, {{QXEVT_FUNCTION_BUTTON_PRESSED, 13, 34}}},
        {0xAB, {{QXEVT_FUNCTION_BUTTON_PRESSED, 21, 34}}},
        {0x9A, {{QXEVT_FEATURE_BUTTON_PRESSED, 0, 34}}},
        {0x9B, {{QXEVT_HOLD_BUTTON_PRESSED, 0, 34}}},
        {0x9C, {{QXEVT_RELEASE_BUTTON_PRESSED, 0, 34}}},
        {0x9D, {{QXEVT_SOFT_BUTTON_PRESSED, 0, 34}}},
        {0x9F, {{QXEVT_SOFT_BUTTON_PRESSED, 2, 34}}},
        {0xAE, {{0x1055, 0, 34}}},
        {0xCC, {{QXEVT_ONHOOK, 0, 34}}},
        {0xCD, {{QXEVT_OFFHOOK, 0, 34}}},
        {0xAF, {}},
        {0xBF, {}},
        {0xD3, {}},
        {0x80, {}},
        {0xAC, {}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FromSet({c.key}), 1);
        EXPECT_EQ(driver.Take(), c.events) << std::hex << int(c.key);
    }
}

TEST_F(Norstar, ASetPacketCarriesKeysUntilAnUnknownOne)
{
    FromSet({0x81, 0xB0, 0x82, 0x10, 0x83});
    EXPECT_EQ(driver.Take(), (std::vector<Posted>{{QXEVT_DIGIT_PRESSED, '1', 34}, {QXEVT_DIGIT_PRESSED, '2', 34}}));
}

TEST_F(Norstar, AnEmptyPacketIsRefused)
{
    EXPECT_EQ(FromPbx({}), 0);
    EXPECT_EQ(FromSet({}), 0);
    EXPECT_EQ(driver.Send(1, 0x41, {0x55}), 1);
    EXPECT_TRUE(driver.Take().empty());
}

// ---------------------------------------------------------------- PBX to set

TEST_F(Norstar, PbxMessagesAndTheirEvents)
{
    const std::vector<uint8_t> clock{0x72, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18};
    struct Case {
        std::vector<uint8_t> messages;
        std::vector<Posted> events;
    };
    const Case cases[] = {
        {{0x63, 0x25}, {{QXEVT_LIGHT_ON, 0x105, 34}}},
        {{0x63, 0x05}, {{QXEVT_LIGHT_OFF, 0x105, 34}}},
        {{0x63, 0x5F}, {{QXEVT_LIGHT_FLASHING, 0x11F, 34}}},
        {{0x63, 0x61}, {{QXEVT_LIGHT_FASTFLASHING, 0x101, 34}}},
        {{0x63, 0x81}, {{QXEVT_LIGHT_FASTFLASHING, 0x101, 34}}},
        {{0x63, 0xA1, 0x55}, {}},  // state 5 ends the packet
        {{0x63, 0xC1, 0x55}, {}},
        {{0x63, 0xE0, 0x01}, {{QXEVT_LIGHT_ON, 255, 34}}},
        {{0x63, 0xE0, 0x05}, {}},
        {{0x55}, {{QXEVT_RING_ON, 0, 34}}},
        {{0x54}, {{QXEVT_RING_OFF, 0, 34}}},
        {{0x5D}, {{QXEVT_DISPLAY_CLEAR, 0, 34}}},
        {clock, {{QXEVT_DISPLAY_CLOCK, 0, 34}}},
        {{0x72, 1, 2, 3}, {}},
        {{0x68, 0x05, 0x1B, 0x07, 0xA1}, {{QXEVT_LIGHT_ON, 0x107, 34}}},
        {{0x68, 0x05, 0x1B, 0x07, 0xC2}, {{QXEVT_LIGHT_FLASHING, 0x107, 34}}},
        {{0x68, 0x05, 0x1B, 0x07, 0x93}, {{QXEVT_LIGHT_FASTFLASHING, 0x107, 34}}},
        {{0x68, 0x05, 0x1B, 0x07, 0x00}, {{QXEVT_LIGHT_OFF, 0x107, 34}}},
        {{0x68, 0x05, 0x1B, 0x07, 0x80, 0x55}, {{QXEVT_RING_ON, 0, 34}}},
        {{0x68, 0x05, 0x1B, 0x07, 0x44, 0x55}, {}},
        {{0x68, 0x03, 0x0D, 0x55}, {{QXEVT_RING_ON, 0, 34}}},
        {{0x68, 0x04, 0x22, 0x00, 0x55}, {}},
        {{0x68, 0x09, 0x1B}, {}},  // longer than the packet
        {{0x60, 0x01, 0x02, 0x62, 0x03, 0x1F, 0x3F, 0x40, 0x41, 0x43, 0x45, 0x5B, 0x5C, 0x5E, 0x5F, 0xFF, 0x55},
         {{QXEVT_RING_ON, 0, 34}}},
        {{0x6B, 0x03, 0x00, 0x6C, 0x02, 0x6E, 0x02, 0x71, 0x02, 0x73, 0x02, 0x74, 0x02, 0x75, 0x02, 0x54},
         {{QXEVT_RING_OFF, 0, 34}}},
        {{0x6B, 0x09, 0x00, 0x54}, {}},  // longer than the packet
        {{0x54, 0x10, 0x55}, {{QXEVT_RING_OFF, 0, 34}}},
        {{0x54, 0x99, 0x55}, {{QXEVT_RING_OFF, 0, 34}}},
        {{0x60, 0x01}, {}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FromPbx(c.messages), 1);
        EXPECT_EQ(driver.Take(), c.events) << testing::PrintToString(c.messages);
    }
}

TEST_F(Norstar, AudioPathsSwitchedOffAreToldOnlyWhenTheyWereOn)
{
    struct Case {
        std::vector<uint8_t> messages;
        std::vector<Posted> events;
    };
    const Case cases[] = {
        {{0x4B}, {{QXEVT_AUDIO_ON, 1, 34}}},
        {{0x4D}, {{QXEVT_AUDIO_ON, 4, 34}, {QXEVT_AUDIO_OFF, 1, 34}}},
        {{0x50}, {{QXEVT_AUDIO_ON, 2, 34}}},
        {{0x4B}, {{QXEVT_AUDIO_ON, 1, 34}, {QXEVT_AUDIO_OFF, 2, 34}, {QXEVT_AUDIO_OFF, 4, 34}}},
        {{0x4B}, {{QXEVT_AUDIO_ON, 1, 34}}},  // a repeat: posted while event updates are on
        {{0x51, 0x00}, {{QXEVT_AUDIO_OFF, 1, 34}}},
        {{0x51, 0x00}, {}},
        {{0x51}, {}},
    };
    for (const Case& c : cases) {
        FromPbx(c.messages);
        EXPECT_EQ(driver.Take(), c.events) << testing::PrintToString(c.messages);
    }
    EXPECT_EQ(driver.Status(1).handsetAudio, QXEVT_AUDIO_OFF);
    driver.EventUpdates(false);
    FromPbx({0x4B});
    FromPbx({0x4B});
    EXPECT_EQ(driver.Take(), (std::vector<Posted>{{QXEVT_AUDIO_ON, 1, 34}}));
}

TEST_F(Norstar, EveryLampAtOnce)
{
    FromPbx({0x63, 0x25});
    FromPbx({0x63, 0xE0, 0x00});
    EXPECT_EQ(driver.Take(), (std::vector<Posted>{{QXEVT_LIGHT_ON, 0x105, 34}, {QXEVT_LIGHT_OFF, 255, 34}}));
    const ZAQ16_PHONE_STATUS status = driver.Status(1);
    for (uint32_t lamp = 0; lamp < 255; ++lamp) {
        ASSERT_EQ(status.lamps[lamp].state, QXEVT_LIGHT_OFF) << lamp;
        ASSERT_EQ(status.lamps[lamp].param, lamp | 0x100) << lamp;
    }
    // Lamp 5 lit again is a change, also with event updates off.
    driver.EventUpdates(false);
    FromPbx({0x63, 0x25});
    EXPECT_EQ(driver.Take(), (std::vector<Posted>{{QXEVT_LIGHT_ON, 0x105, 34}}));
    EXPECT_EQ(driver.Status(1).lamps[5].state, QXEVT_LIGHT_ON);
}

TEST_F(Norstar, RepeatsArePostedOnlyWhileEventUpdatesAreOn)
{
    struct Case {
        uint8_t type;
        std::vector<uint8_t> messages;
        size_t eventsOfTheRepeat;  // with updates off
    };
    const Case cases[] = {
        {kFromPbx, {0x54}, 0},
        {kFromPbx, {0x55}, 0},
        {kFromPbx, {0x63, 0x25}, 0},
        {kFromPbx, {0x68, 0x05, 0x1B, 0x07, 0xA1}, 0},
        {kFromSet, {0xCD}, 0},
        {kFromSet, {0x85}, 1},
        {kFromPbx, {0x63, 0xE0, 0x01}, 1},  // every lamp: posted at once
        {kFromPbx, {0x5D}, 1},
    };
    for (const bool updates : {false, true}) {
        for (const Case& c : cases) {
            PacketDriver<NORSTARD> fresh;
            fresh.EventUpdates(updates);
            fresh.Send(0, c.type, c.messages);
            const size_t first = fresh.Take().size();
            fresh.Send(0, c.type, c.messages);
            EXPECT_EQ(fresh.Take().size(), updates ? first : c.eventsOfTheRepeat)
                << "updates " << updates << " " << testing::PrintToString(c.messages);
        }
    }
}

TEST_F(Norstar, HookIsKeptInThePhoneStatusWhileEventUpdatesAreOn)
{
    FromSet({0xCD});
    EXPECT_EQ(driver.Status(1).hookState, QXEVT_OFFHOOK);
}

// ---------------------------------------------------------------- lengths that end the packet

TEST_F(Norstar, LengthsBelowAMessagesShortestFormEndThePacketWithATraceLine)
{
    TraceCapture trace(1);
    struct Case {
        std::vector<uint8_t> messages;
        const char* line;
    };
    const Case cases[] = {
        {{0x6B, 0x00, 0x55}, "Message 0x6B of length 0 ends the packet for 34"},
        {{0x75, 0x01, 0x55}, "Message 0x75 of length 1 ends the packet for 34"},
        {{0x6A, 0x00, 0x80, 0x55}, "Message 0x6A of length 0 ends the packet for 34"},
        {{0x6A, 0x02, 0x80, 0x55}, "Message 0x6A of length 2 ends the packet for 34"},
        {{0x68, 0x01, 0x1B, 0x55}, "Message 0x68 of length 1 ends the packet for 34"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FromPbx(c.messages), 1);
        EXPECT_TRUE(driver.Take().empty()) << testing::PrintToString(c.messages);
        EXPECT_TRUE(trace.Contains(c.line)) << c.line;
    }
}

// ---------------------------------------------------------------- the display

TEST_F(Norstar, RowTextWithEventUpdatesOnIsPostedAtOnce)
{
    FromPbx(RowText(0x80, "HELLO"));
    EXPECT_EQ(driver.Take(), (std::vector<Posted>{{QXEVT_MESSAGE_CHANGE, 6, 34}}));
    EXPECT_EQ(driver.Display(1), "HELLO");
    EXPECT_EQ(driver.Record(1).length, 5u);
}

TEST_F(Norstar, RowTextWithEventUpdatesOffWaits300Ms)
{
    driver.EventUpdates(false);
    FromPbx(RowText(0x80, "HELLO"));
    driver.Advance(299);
    EXPECT_TRUE(driver.Take().empty());
    driver.Advance(1);
    EXPECT_EQ(driver.Take(), (std::vector<Posted>{{QXEVT_MESSAGE_CHANGE, 6, 34}}));
    EXPECT_EQ(driver.Display(1), "HELLO");
}

TEST_F(Norstar, TwoShortRowsShareALine)
{
    FromPbx(RowText(0x80, "ABC"));
    FromPbx(RowText(0xC0, "DEF"));
    EXPECT_EQ(driver.Display(1), "ABC     DEF");
    FromPbx(RowText(0xC0, "LONGER ROW"));
    EXPECT_EQ(driver.Display(1), "ABC\nLONGER ROW");
    // A line feed row 1 holds already is not doubled.
    FromPbx(RowText(0x83, "\n"));
    EXPECT_EQ(driver.Display(1), "ABC\nLONGER ROW");
}

TEST_F(Norstar, RowPositionsAndSingleCharacters)
{
    FromPbx({0x65, 0x83, 0x66, 'X', 0x66, 'Y'});
    EXPECT_EQ(driver.Display(1), "   XY");
    EXPECT_EQ(driver.Take().size(), 2u);  // each character shows the display
    FromPbx({0x65, 0x81, 0x66, 'a'});
    EXPECT_EQ(driver.Display(1), " a XY");
    // A position byte that names no row ends the packet.
    FromPbx({0x65, 0x41, 0x66, 'b'});
    EXPECT_EQ(driver.Display(1), " a XY");
    FromPbx(RowText(0x45, "zz"));
    EXPECT_EQ(driver.Display(1), " a XY");
}

TEST_F(Norstar, RowsNeverGrowPastTheirEnds)
{
    // Row 1 takes single characters up to column 76.
    std::vector<uint8_t> characters{0x65, 0x80};
    for (int i = 0; i < 100; ++i) {
        characters.insert(characters.end(), {0x66, static_cast<uint8_t>('A' + i % 26)});
    }
    FromPbx(characters);
    EXPECT_EQ(driver.Display(1).find('\n'), 77u);
    // Row text that would reach column 78 (row 1) or 79 (row 2) is dropped whole.
    FromPbx(RowText(0xC0, std::string(78, 'r')));
    EXPECT_EQ(driver.Display(1).size(), 78u + 78u);
    FromPbx(RowText(0xC0, std::string(79, 's')));
    EXPECT_EQ(driver.Display(1).substr(78), std::string(78, 'r'));
    FromPbx(RowText(0x8F, std::string(63, 't')));
    EXPECT_EQ(driver.Display(1)[15], 'P');
}

TEST_F(Norstar, ClearDisplayEmptiesBothRows)
{
    FromPbx(RowText(0x80, "ABC"));
    FromPbx(RowText(0xC0, "DEF"));
    driver.Take();
    FromPbx({0x5D});
    EXPECT_EQ(driver.Take(), (std::vector<Posted>{{QXEVT_DISPLAY_CLEAR, 0, 34}}));
    EXPECT_EQ(driver.Status(1).displayState, QXEVT_DISPLAY_CLEAR);
    FromPbx(RowText(0xC0, "X"));
    EXPECT_EQ(driver.Display(1), "        X");
}

TEST_F(Norstar, APbxEventFlushesTheWaitingDisplayFirst)
{
    driver.EventUpdates(false);
    FromPbx(RowText(0x80, "CALL"));
    driver.Advance(100);
    FromPbx({0x55});
    EXPECT_EQ(driver.Take(), (std::vector<Posted>{{QXEVT_MESSAGE_CHANGE, 5, 34}, {QXEVT_RING_ON, 0, 34}}));
    driver.Advance(1000);
    EXPECT_TRUE(driver.Take().empty());
    // The same display again is flushed without a change; a set key flushes nothing.
    FromPbx(RowText(0x80, "CALL"));
    FromSet({0x85});
    FromPbx({0x54});
    EXPECT_EQ(driver.Take(), (std::vector<Posted>{{QXEVT_DIGIT_PRESSED, '5', 34}, {QXEVT_RING_OFF, 0, 34}}));
}

TEST_F(Norstar, TheTimerPostsTheLongerOfTheLastPostedAndTheNewDisplay)
{
    FromPbx(RowText(0x80, "LONG TEXT"));  // posted at once: 9 characters and a line feed
    driver.Take();
    driver.EventUpdates(false);
    FromPbx({0x5D});
    FromPbx(RowText(0x80, "AB"));
    driver.Advance(300);
    EXPECT_EQ(driver.Take(), (std::vector<Posted>{{QXEVT_DISPLAY_CLEAR, 0, 34}, {QXEVT_MESSAGE_CHANGE, 11, 34}}));
    EXPECT_EQ(driver.Display(1), "AB");
}

TEST_F(Norstar, TimerTraceLines)
{
    TraceCapture trace(5);
    driver.EventUpdates(false);
    FromPbx(RowText(0x80, "A"));
    driver.Advance(300);
    EXPECT_TRUE(trace.Contains("TIMER CREATED for 300 ms for 34"));
    EXPECT_TRUE(trace.Contains("TIMER SET for 300 ms for 1"));
    EXPECT_TRUE(trace.Contains("TIMER FIRED after 300 ms for 1"));
}

TEST(NorstarLifetime, DestroyingTheDecoderWithATimerArmedLeavesNoTimer)
{
    EventCollector events;
    FakeClock clock;
    platform::TimerQueue timers{clock};
    DecoderContext context(1, events, timers);
    context.SetEventUpdates(false);
    auto decoder = std::make_unique<NORSTARD>(context);
    const std::vector<uint8_t> data = RowText(0x80, "A");
    decoder->Decode(Packet{0, kFromPbx, data.data(), static_cast<uint32_t>(data.size())});
    EXPECT_EQ(timers.ArmedCount(), 1u);
    decoder.reset();
    EXPECT_EQ(timers.ArmedCount(), 0u);
    AdvanceWithTimers(clock, timers, 1000);
    EXPECT_TRUE(events.Events().empty());
}

}  // namespace
