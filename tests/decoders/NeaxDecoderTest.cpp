// CNeax2400D driven packet by packet: the set's keys, every PBX message kind,
// the 128-byte screen with its clock masking, the posting rule from the
// decoder's initial state, and ports that come and go independently.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "PacketDriver.h"
#include "decoders/CNeax2400D.h"
#include "decoders/NeaxDisplay.h"
#include "support/TraceCapture.h"

namespace {

constexpr uint8_t kFromPbx = 0x58;
constexpr uint8_t kFromSet = 0x48;

std::vector<uint8_t> Text(uint8_t message, uint8_t cursor, const std::string& text)
{
    std::vector<uint8_t> bytes;
    bytes.reserve(text.size() + 2);
    bytes.push_back(message);
    bytes.push_back(cursor);
    for (const char c : text) {
        bytes.push_back(static_cast<uint8_t>(c));
    }
    return bytes;
}

class Neax : public testing::Test {
protected:
    uint8_t FromPbx(const std::vector<uint8_t>& messages, uint8_t channel = 3)
    {
        return driver.Send(channel, kFromPbx, messages);
    }
    uint8_t FromSet(const std::vector<uint8_t>& messages, uint8_t channel = 3)
    {
        return driver.Send(channel, kFromSet, messages);
    }

    PacketDriver<CNeax2400D> driver{49};
};

// ---------------------------------------------------------------- set to PBX

TEST_F(Neax, SetKeys)
{
    struct Case {
        uint8_t key;
        std::vector<Posted> events;
    };
    const Case cases[] = {
        {0x10, {{QXEVT_LINE_BUTTON_PRESSED, 0, 52}}},
        {0x1F, {{QXEVT_LINE_BUTTON_PRESSED, 15, 52}}},
        {0x21, {{QXEVT_DIGIT_PRESSED, '1', 52}}},
        {0x25, {{QXEVT_DIGIT_PRESSED, '5', 52}}},
        {0x2F, {{QXEVT_DIGIT_RELEASED, '5', 52}}},
        {0x29, {{QXEVT_DIGIT_PRESSED, '9', 52}}},
        {0x2A, {{QXEVT_DIGIT_PRESSED, '0', 52}}},
        {0x2B, {{QXEVT_DIGIT_PRESSED, '*', 52}}},
        {0x2C, {{QXEVT_DIGIT_PRESSED, '#', 52}}},
        {0x2F, {{QXEVT_DIGIT_RELEASED, '#', 52}}},
        {0x30, {{QXEVT_FUNCTION_BUTTON_PRESSED, 0, 52}}},
        {0x4F, {{QXEVT_FUNCTION_BUTTON_PRESSED, 31, 52}}},
        {0xA0, {{QXEVT_FUNCTION_BUTTON_PRESSED, 48, 52}}},
        {0xAF, {{QXEVT_FUNCTION_BUTTON_PRESSED, 63, 52}}},
        {0xF0, {{QXEVT_FUNCTION_BUTTON_PRESSED, 64, 52}}},
        {0xFF, {{QXEVT_FUNCTION_BUTTON_PRESSED, 79, 52}}},
        {0x50, {{QXEVT_TRANSFER_BUTTON_PRESSED, 0, 52}}},
        {0x51, {{QXEVT_REDIAL_BUTTON_PRESSED, 0, 52}}},
        {0x52, {{QXEVT_CONF_BUTTON_PRESSED, 0, 52}}},
        {0x53, {{QXEVT_HOLD_BUTTON_PRESSED, 0, 52}}},
        {0x54, {{QXEVT_RECALL_BUTTON_PRESSED, 0, 52}}},
        {0x55, {{QXEVT_FEATURE_BUTTON_PRESSED, 0, 52}}},
        {0x56, {{QXEVT_ANSWER_BUTTON_PRESSED, 0, 52}}},
        {0x57, {{QXEVT_SPEAKER_BUTTON_PRESSED, 0, 52}}},
        {0x61, {{QXEVT_OFFHOOK, 0, 52}}},
        {0x60, {{QXEVT_ONHOOK, 0, 52}}},
        {0x63, {{QXEVT_OFFHOOK, 0, 52}}},
        {0x62, {{QXEVT_ONHOOK, 0, 52}}},
        {0x20, {}},
        {0x2D, {}},
        {0x58, {}},
        {0x80, {}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FromSet({c.key}), 1);
        EXPECT_EQ(driver.Take(), c.events) << std::hex << int(c.key);
    }
}

TEST_F(Neax, ASetPacketCarriesOneKey)
{
    FromSet({0x21, 0x22, 0x23});
    EXPECT_EQ(driver.Take(), (std::vector<Posted>{{QXEVT_DIGIT_PRESSED, '1', 52}}));
    EXPECT_EQ(FromSet({}), 1);
    EXPECT_EQ(driver.Send(3, 0x41, {0x1F, 0x01}), 1);
    EXPECT_TRUE(driver.Take().empty());
}

TEST_F(Neax, HookStartsOnHook)
{
    driver.EventUpdates(false);
    FromSet({0x60});
    EXPECT_TRUE(driver.Take().empty());
    FromSet({0x61});
    EXPECT_EQ(driver.Take(), (std::vector<Posted>{{QXEVT_OFFHOOK, 0, 52}}));
    EXPECT_EQ(driver.Status(3).hookState, QXEVT_OFFHOOK);
}

// ---------------------------------------------------------------- PBX to set

TEST_F(Neax, PbxMessagesAndTheirEvents)
{
    struct Case {
        std::vector<uint8_t> messages;
        std::vector<Posted> events;
    };
    const Case cases[] = {
        {{0x1F, 0x83}, {{QXEVT_LIGHT_ON, 0x113, 52}}},
        {{0x10, 0x02}, {{QXEVT_LIGHT_OFF, 0x302, 52}}},
        {{0x11, 0x05}, {{QXEVT_LIGHT_FLASHING, 0x205, 52}}},
        {{0x13, 0x05}, {{QXEVT_LIGHT_FASTFLASHING, 0x205, 52}}},
        {{0x15, 0x05}, {{QXEVT_LIGHT_VERY_FASTFLASHING, 0x205, 52}}},
        {{0x17, 0x8F}, {{QXEVT_LIGHT_ON, 0x21F, 52}}},
        {{0x19, 0x00}, {{QXEVT_LIGHT_FLASHING, 0x100, 52}}},
        {{0x1B, 0x00}, {{QXEVT_LIGHT_FASTFLASHING, 0x100, 52}}},
        {{0x1E, 0x00}, {{QXEVT_LIGHT_VERY_FASTFLASHING, 0x100, 52}}},
        {{0x1F, 0x40, 0x1F, 0x10, 0x1F, 0x90}, {}},  // no lamp code: nothing, decoding goes on
        {{0x57, 0x02}, {{QXEVT_CONFERENCE_LIGHT_ON, 0x200, 52}}},
        {{0x57, 0x04}, {}},
        {{0x51, 0x01}, {{QXEVT_RING_LIGHT_FLASHING, 0x200, 52}}},
        {{0x52, 0x03}, {{QXEVT_FEATURE_LIGHT_FLASHING, 0x200, 52}}},
        {{0x53, 0x06}, {{QXEVT_ANSWER_LIGHT_FASTFLASHING, 0x200, 52}}},
        {{0x55, 0x07}, {{QXEVT_SPEAKER_LIGHT_VERY_FASTFLASHING, 0x200, 52}}},
        {{0x59, 0x09}, {{QXEVT_MIC_LIGHT_FLASHING, 0x100, 52}}},
        {{0x5B, 0x01}, {{QXEVT_RING_LIGHT_FASTFLASHING, 0x100, 52}}},
        {{0x5E, 0x02}, {{QXEVT_CONFERENCE_LIGHT_VERY_FASTFLASHING, 0x100, 52}}},
        {{0x5F, 0x07}, {{QXEVT_SPEAKER_LIGHT_ON, 0x100, 52}}},
        {{0x50, 0x07}, {{QXEVT_SPEAKER_LIGHT_OFF, 0x300, 52}}},
        {{0x58, 0x06}, {{QXEVT_ANSWER_LIGHT_OFF, 0x300, 52}}},
        {{0x58, 0x03}, {}},
        {{0x54, 0x01, 0x9C, 0x00}, {}},  // not a named-lamp message: the packet ends
        {{0x90, 0x05}, {{QXEVT_RING_OFF, 0, 52}}},
        {{0x90, 0x15}, {{QXEVT_RING_ON, 0, 52}}},
        {{0x90, 0x25}, {}},
        {{0x9C, 0x00}, {{QXEVT_RING_ON, 1, 52}}},
        {{0x20, 0x00, 0x94, 0x00, 0xB0, 0x00, 0xAA, 0, 0, 0xB7, 0, 0, 0x90, 0x00}, {{QXEVT_RING_OFF, 0, 52}}},
        {{0x05, 0x90, 0x15}, {}},
        {{0xB8, 0x90, 0x15}, {}},
        {{0x90}, {}},
        {{0xA1, 0x00}, {}},  // cut short
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FromPbx(c.messages), 1);
        EXPECT_EQ(driver.Take(), c.events) << testing::PrintToString(c.messages);
    }
}

TEST_F(Neax, LampsAreKeptInThePhoneStatusByColour)
{
    FromPbx({0x1F, 0x03});
    FromPbx({0x17, 0x04});
    const ZAQ16_PHONE_STATUS status = driver.Status(3);
    EXPECT_EQ(status.lamps[3].state, QXEVT_LIGHT_ON);
    EXPECT_EQ(status.lamps[255 + 3].state, QXEVT_LIGHT_OFF);
    EXPECT_EQ(status.lamps[255 + 3].param, 0x203u);
    EXPECT_EQ(status.lamps[255 + 4].state, QXEVT_LIGHT_ON);
    EXPECT_EQ(status.lamps[4].state, QXEVT_LIGHT_OFF);
    FromPbx({0x10, 0x04});
    EXPECT_EQ(driver.Status(3).lamps[255 + 4].state, QXEVT_LIGHT_OFF);
}

TEST_F(Neax, AudioFollowsTheAudioMode)
{
    struct Case {
        uint8_t message;
        std::vector<Posted> events;
    };
    const Case cases[] = {
        {0xA4, {{QXEVT_AUDIO_ON, 1, 52}}},
        {0xA1, {{QXEVT_AUDIO_OFF, 1, 52}}},
        {0xA3, {{QXEVT_AUDIO_ON, 4, 52}}},  // audio mode off: the second path
        {0xAC, {{QXEVT_AUDIO_ON, 2, 52}, {QXEVT_AUDIO_OFF, 4, 52}}},  // the path moves
        {0xAE, {}},  // audio mode on: the third path, already on
        {0xAD, {{QXEVT_AUDIO_ON, 4, 52}, {QXEVT_AUDIO_OFF, 2, 52}}},  // and back
        {0xAD, {}},                                                 // nothing to move
        {0xAF, {{QXEVT_AUDIO_OFF, 4, 52}}},
        {0xAC, {}},
        {0xA3, {{QXEVT_AUDIO_ON, 2, 52}}},
        {0xAF, {{QXEVT_AUDIO_OFF, 2, 52}}},
    };
    driver.EventUpdates(false);
    for (const Case& c : cases) {
        FromPbx({c.message, 0x00, 0x00});
        EXPECT_EQ(driver.Take(), c.events) << std::hex << int(c.message);
    }
    const ZAQ16_PHONE_STATUS status = driver.Status(3);
    EXPECT_EQ(status.handsfreeAudio, QXEVT_AUDIO_OFF);
    EXPECT_EQ(status.speakerMonitorAudio, QXEVT_AUDIO_OFF);
}

TEST_F(Neax, RepeatsArePostedOnlyWhileEventUpdatesAreOn)
{
    struct Case {
        uint8_t type;
        std::vector<uint8_t> messages;
        size_t eventsOfTheFirst;  // with updates off, from the initial state
        size_t eventsOfTheRepeat;
    };
    const Case cases[] = {
        {kFromPbx, {0x10, 0x02}, 0, 0},      // lamps start off
        {kFromPbx, {0x1F, 0x02}, 1, 0},
        {kFromPbx, {0x50, 0x03}, 0, 0},      // named lamps start off in both colours
        {kFromPbx, {0x50, 0x09}, 1, 1},      // the microphone lamp keeps no state
        {kFromPbx, {0x57, 0x03}, 1, 0},
        {kFromPbx, {0x90, 0x00}, 0, 0},      // the ringer starts off
        {kFromPbx, {0x9C, 0x00}, 1, 0},
        {kFromPbx, {0xA1, 0x00, 0x00}, 0, 0},
        {kFromSet, {0x62}, 0, 0},
        {kFromSet, {0x25}, 1, 1},
    };
    for (const bool updates : {false, true}) {
        for (const Case& c : cases) {
            PacketDriver<CNeax2400D> fresh;
            fresh.EventUpdates(updates);
            fresh.Send(0, c.type, c.messages);
            EXPECT_EQ(fresh.Take().size(), updates ? 1 : c.eventsOfTheFirst) << testing::PrintToString(c.messages);
            fresh.Send(0, c.type, c.messages);
            EXPECT_EQ(fresh.Take().size(), updates ? 1 : c.eventsOfTheRepeat)
                << "updates " << updates << " " << testing::PrintToString(c.messages);
        }
    }
}

// ---------------------------------------------------------------- the display

TEST_F(Neax, TheScreenStartsBlankWithItsLineFeeds)
{
    const std::string screen = driver.Display(3);
    ASSERT_EQ(screen.size(), 128u);
    EXPECT_EQ(screen[31], '\n');
    EXPECT_EQ(screen[63], '\n');
    EXPECT_EQ(screen[127], '\0');
    EXPECT_EQ(std::count(screen.begin(), screen.end(), ' '), 125);
}

TEST_F(Neax, TextWithEventUpdatesOnIsPostedAtOnce)
{
    FromPbx(Text(0x63, 0, "Kim 4410"));
    EXPECT_EQ(driver.Take(), (std::vector<Posted>{{QXEVT_MESSAGE_CHANGE, 128, 52}}));
    EXPECT_EQ(driver.Display(3).substr(0, 10), "Kim 4410  ");
}

TEST_F(Neax, TextWithEventUpdatesOffWaitsHalfASecond)
{
    driver.EventUpdates(false);
    FromPbx(Text(0x64, 32, "Kim 4410"));
    EXPECT_EQ(driver.Record(3).offset, 40u);  // the cursor until the display is posted
    driver.Advance(499);
    EXPECT_TRUE(driver.Take().empty());
    driver.Advance(1);
    EXPECT_EQ(driver.Take(), (std::vector<Posted>{{QXEVT_MESSAGE_CHANGE, 128, 52}}));
    EXPECT_EQ(driver.Display(3).substr(32, 8), "Kim 4410");
    // The same text again is no change.
    FromPbx(Text(0x67, 32, "Kim 4410"));
    driver.Advance(500);
    EXPECT_TRUE(driver.Take().empty());
}

TEST_F(Neax, ATickingClockIsNoChange)
{
    driver.EventUpdates(false);
    FromPbx(Text(0x63, 0, "DEC 10 10:41"));
    driver.Advance(500);
    EXPECT_EQ(driver.Take().size(), 1u);
    FromPbx(Text(0x63, 0, "DEC 10 10:42"));
    driver.Advance(500);
    EXPECT_TRUE(driver.Take().empty());
    EXPECT_EQ(driver.Display(3).substr(0, 12), "DEC 10 10:42");
    FromPbx(Text(0x63, 0, "DEC 11 10:42"));
    driver.Advance(500);
    EXPECT_EQ(driver.Take().size(), 1u);
}

TEST(NeaxClockMask, DigitsAroundEachColonAreNotCounted)
{
    struct Case {
        const char* a;
        const char* b;
        bool same;
    };
    const Case cases[] = {
        {"10:41", "10:42", true},
        {"10:41", "11:41", true},
        {"10:41", "20:41", true},
        {"110:41", "210:41", false},  // three before the colon counts
        {"10:415", "10:416", false},  // and three after
        {"10:41:05", "11:42:16", true},
        {":1", ":2", true},           // at the screen's start
        {"AB:CD", "AB:CE", false},    // only digits are masked
        {"Kim", "Kit", false},
    };
    for (const Case& c : cases) {
        std::string a(128, ' ');
        std::string b(128, ' ');
        a.replace(0, std::strlen(c.a), c.a);
        b.replace(0, std::strlen(c.b), c.b);
        EXPECT_EQ(SameBesideClock(a.data(), b.data()), c.same) << c.a << " / " << c.b;
    }
    std::string end(128, ' ');
    std::string otherEnd(128, ' ');
    end.replace(125, 3, "9:1");
    otherEnd.replace(125, 3, "8:2");
    EXPECT_TRUE(SameBesideClock(end.data(), otherEnd.data()));
}

TEST_F(Neax, TextStopsAtTheScreensEndAndDecodingGoesOnAfterTheDroppedCharacter)
{
    std::vector<uint8_t> messages = Text(0x63, 120, "ABCDEFGHI");  // "I" does not fit
    messages.insert(messages.end(), {0x90, 0x15});
    FromPbx(messages);
    EXPECT_EQ(driver.Take(), (std::vector<Posted>{{QXEVT_MESSAGE_CHANGE, 128, 52}, {QXEVT_RING_ON, 0, 52}}));
    EXPECT_EQ(driver.Display(3).substr(120), "ABCDEFGH");
    // A cursor beyond the screen writes nothing.
    FromPbx(Text(0x63, 200, "XY"));
    EXPECT_EQ(driver.Display(3).substr(120), "ABCDEFGH");
    EXPECT_EQ(driver.Record(3).offset, 128u);
}

TEST_F(Neax, APbxEventFlushesTheWaitingDisplayFirst)
{
    driver.EventUpdates(false);
    FromPbx(Text(0x63, 0, "Kim"));
    FromSet({0x25});  // from the set: no flush
    FromPbx({0x1F, 0x01});
    EXPECT_EQ(driver.Take(), (std::vector<Posted>{{QXEVT_DIGIT_PRESSED, '5', 52},
                                                  {QXEVT_MESSAGE_CHANGE, 128, 52},
                                                  {QXEVT_LIGHT_ON, 0x101, 52}}));
    driver.Advance(1000);
    EXPECT_TRUE(driver.Take().empty());
}

TEST_F(Neax, ATouchedDisplayIsPostedWithoutWaiting)
{
    driver.EventUpdates(false);
    FromPbx({0x70, 0x00, 0x00});
    EXPECT_TRUE(driver.Take().empty());
    FromPbx(Text(0x63, 0, "Kim"));
    EXPECT_EQ(driver.Take(), (std::vector<Posted>{{QXEVT_MESSAGE_CHANGE, 128, 52}}));
    // Touched no more: the next text waits again.
    FromPbx(Text(0x63, 0, "Lee"));
    EXPECT_TRUE(driver.Take().empty());
    driver.Advance(500);
    EXPECT_EQ(driver.Take().size(), 1u);
}

TEST_F(Neax, TimerTraceLinesNameTheAbsoluteChannel)
{
    TraceCapture trace(5);
    driver.EventUpdates(false);
    FromPbx(Text(0x63, 0, "A"));
    driver.Advance(500);
    EXPECT_TRUE(trace.Contains("TIMER CREATED for 500 ms for 52"));
    EXPECT_TRUE(trace.Contains("TIMER SET for 500 ms for 52"));
    EXPECT_TRUE(trace.Contains("TIMER FIRED after 500 ms for 52"));
}

// ---------------------------------------------------------------- ports

TEST(NeaxPorts, DestroyingOnePortLeavesTheOthersTimersWorking)
{
    auto first = std::make_unique<PacketDriver<CNeax2400D>>(1);
    PacketDriver<CNeax2400D> second(17);
    for (PacketDriver<CNeax2400D>* driver : {first.get(), &second}) {
        driver->EventUpdates(false);
        driver->Send(0, kFromPbx, Text(0x63, 0, "Kim"));
    }
    first.reset();
    second.Advance(500);
    EXPECT_EQ(second.Take(), (std::vector<Posted>{{QXEVT_MESSAGE_CHANGE, 128, 17}}));
    // A port made after it works as well.
    PacketDriver<CNeax2400D> third(33);
    third.EventUpdates(false);
    third.Send(0, kFromPbx, Text(0x63, 0, "Lee"));
    third.Advance(500);
    EXPECT_EQ(third.Take(), (std::vector<Posted>{{QXEVT_MESSAGE_CHANGE, 128, 33}}));
}

TEST(NeaxPorts, DestroyingTheDecoderWithATimerArmedLeavesNoTimer)
{
    EventCollector events;
    FakeClock clock;
    platform::TimerQueue timers{clock};
    DecoderContext context(1, events, timers);
    context.SetEventUpdates(false);
    auto decoder = std::make_unique<CNeax2400D>(context);
    const std::vector<uint8_t> data = Text(0x63, 0, "A");
    decoder->Decode(Packet{0, kFromPbx, data.data(), static_cast<uint32_t>(data.size())});
    EXPECT_EQ(timers.ArmedCount(), 1u);
    decoder.reset();
    EXPECT_EQ(timers.ArmedCount(), 0u);
    AdvanceWithTimers(clock, timers, 1000);
    EXPECT_TRUE(events.Events().empty());
}

}  // namespace
