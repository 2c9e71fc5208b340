// DEFINITY2D: frame checks, the 3-byte messages from the PBX and from the set,
// the 50-character display with its escape sequences and flush, and the
// posting rule.
#include <gtest/gtest.h>

#include <cstring>

#include "PacketDriver.h"
#include "DefinityFrames.h"
#include "decoders/DEFINITY2D.h"
#include "support/TraceCapture.h"

using namespace definity_test;

namespace {

constexpr uint32_t kStart = 17;  // board 1
constexpr uint8_t kLine = 3;
constexpr uint32_t kChannel = kStart + kLine;

class Definity : public testing::Test {
protected:
    uint8_t Send(uint8_t type, const std::vector<uint8_t>& frame) { return driver.Send(kLine, type, frame); }
    uint8_t Show(const std::string& text) { return Send(kX, DisplayFrame(text)); }
    std::string Display() const { return driver.Text(kLine, 50); }

    PacketDriver<DEFINITY2D> driver{kStart};
};

// The trace line that holds `text` ("" when none does).
std::string LineWith(const TraceCapture& trace, const std::string& text)
{
    for (const std::string& line : trace.Lines()) {
        if (line.find(text) != std::string::npos) {
            return line;
        }
    }
    return "";
}

Posted Event(uint32_t code, uint32_t param = 0)
{
    return {code, param, kChannel};
}

struct MessageCase {
    const char* name;
    uint8_t type;
    std::vector<uint8_t> information;
    std::vector<Posted> events;
};

const MessageCase kMessageCases[] = {
    {"LampField15IsGreenLamp0", kX, {0x80, 0x2F, 15}, {Event(QXEVT_LIGHT_ON, 0x100)}},
    {"LampField16IsRedLamp1", kX, {0x80, 0x2F, 16}, {Event(QXEVT_LIGHT_ON, 0x201)}},
    {"LampField14IsRedLamp0", kX, {0x80, 0x2F, 14}, {Event(QXEVT_LIGHT_ON, 0x200)}},
    {"LampField255", kX, {0x80, 0x2F, 255}, {Event(QXEVT_LIGHT_ON, 0x100 | 120)}},
    {"LampOff", kX, {0x80, 0x20, 17}, {Event(QXEVT_LIGHT_OFF, 0x101)}},
    {"LampFastFlashing", kX, {0x80, 0x22, 17}, {Event(QXEVT_LIGHT_FASTFLASHING, 0x101)}},
    {"LampFlashing", kX, {0x80, 0x28, 18}, {Event(QXEVT_LIGHT_FLASHING, 0x202)}},
    {"LampVeryFastFlashing", kX, {0x80, 0x2A, 19}, {Event(QXEVT_LIGHT_VERY_FASTFLASHING, 0x102)}},
    {"LampQuickFlash", kX, {0x80, 0x2D, 19}, {Event(QXEVT_LIGHT_QUICKFLASH, 0x102)}},
    {"LampOfUnknownStateIsIgnored", kX, {0x80, 0x21, 17}, {}},
    {"LampField13IsRefused", kX, {0x80, 0x2F, 13}, {}},
    {"TwoLampMessagesPostTwoEvents", kX, {0x80, 0x2F, 15, 0x80, 0x28, 16},
     {Event(QXEVT_LIGHT_ON, 0x100), Event(QXEVT_LIGHT_FLASHING, 0x201)}},
    {"LampThenOpcode81PostsOne", kX, {0x80, 0x2F, 15, 0x81, 0x01, 0x02}, {Event(QXEVT_LIGHT_ON, 0x100)}},
    {"Opcode83IsIgnored", kX, {0x83, 0x2F, 15}, {}},
    {"MessageCutShortAfterALamp", kX, {0x80, 0x2F, 15, 0x80, 0x2F}, {Event(QXEVT_LIGHT_ON, 0x100)}},
    {"OnHook", kH, {0x80, 0x01, 0x00}, {Event(QXEVT_ONHOOK)}},
    {"OffHook", kH, {0x80, 0x02, 0x00}, {Event(QXEVT_OFFHOOK)}},
    {"HoldButton", kH, {0x80, 0x20, 0x0A}, {Event(QXEVT_HOLD_BUTTON_PRESSED)}},
    {"TransferButton", kH, {0x80, 0x20, 0x08}, {Event(QXEVT_TRANSFER_BUTTON_PRESSED)}},
    {"ConferenceButton", kH, {0x80, 0x20, 0x06}, {Event(QXEVT_CONF_BUTTON_PRESSED)}},
    {"FunctionButton", kH, {0x80, 0x20, 0x11}, {Event(QXEVT_FUNCTION_BUTTON_PRESSED, 1)}},
    {"FunctionButton0x3F", kH, {0x80, 0x20, 0x3F}, {Event(QXEVT_FUNCTION_BUTTON_PRESSED, 24)}},
    {"FunctionButtonBelowField14TruncatesTowardZero", kH, {0x80, 0x20, 0x0D}, {Event(QXEVT_FUNCTION_BUTTON_PRESSED, 0)}},
    {"FunctionButtonBelowField14IsNegative", kH, {0x80, 0x20, 0x0C},
     {Event(QXEVT_FUNCTION_BUTTON_PRESSED, static_cast<uint32_t>(-1))}},
    {"Button0x40IsIgnored", kH, {0x80, 0x20, 0x40}, {}},
    {"OtherHookByteIsIgnored", kH, {0x80, 0x03, 0x00}, {}},
    {"ExitKey", kH, {0x82, 0x00, 0x1C}, {Event(QXEVT_EXIT_BUTTON_PRESSED)}},
    {"NextKey", kH, {0x82, 0x00, 0x1E}, {Event(QXEVT_NEXT_BUTTON_PRESSED)}},
    {"PreviousKey", kH, {0x82, 0x00, 0x20}, {Event(QXEVT_PREVIOUS_BUTTON_PRESSED)}},
    {"MenuKey", kH, {0x82, 0x00, 0x22}, {Event(QXEVT_MENU_BUTTON_PRESSED)}},
    {"RedialKey", kH, {0x82, 0x00, 0x02}, {Event(QXEVT_REDIAL_BUTTON_PRESSED)}},
    {"SoftKey", kH, {0x82, 0x00, 0x05}, {Event(QXEVT_SOFT_BUTTON_PRESSED, 5)}},
    {"SoftKey0x1B", kH, {0x82, 0x00, 0x1B}, {Event(QXEVT_SOFT_BUTTON_PRESSED, 0x1B)}},
    {"Key0x1DIsIgnored", kH, {0x82, 0x00, 0x1D}, {}},
    {"Key0x21IsIgnored", kH, {0x82, 0x00, 0x21}, {}},
    {"Key0x23IsIgnored", kH, {0x82, 0x00, 0x23}, {}},
    {"SetMessagesInAPbxFrameDecodeToNothing", kX, {0x82, 0x00, 0x05}, {}},
    {"LampInASetFrameDecodesToNothing", kH, {0x80, 0x2F, 15}, {}},
    {"OtherPacketTypeDecodesToNothing", 0x41, {0x80, 0x2F, 15}, {}},
};

class DefinityMessages : public testing::TestWithParam<MessageCase> {};

TEST_P(DefinityMessages, PostExactlyTheirEvents)
{
    PacketDriver<DEFINITY2D> driver{kStart};
    const MessageCase& c = GetParam();
    EXPECT_EQ(driver.Send(kLine, c.type, Frame(c.information)), 1);
    EXPECT_EQ(driver.Take(), c.events);
}

INSTANTIATE_TEST_SUITE_P(Definity, DefinityMessages, testing::ValuesIn(kMessageCases),
                         [](const testing::TestParamInfo<MessageCase>& info) { return info.param.name; });

TEST_F(Definity, LampsAreStoredByColourAndIndex)
{
    Send(kX, Frame({0x80, 0x2F, 15, 0x80, 0x28, 16}));
    const ZAQ16_PHONE_STATUS status = driver.Status(kLine);
    EXPECT_EQ(status.lamps[0].state, QXEVT_LIGHT_ON);
    EXPECT_EQ(status.lamps[0].param, 0x100u);
    EXPECT_EQ(status.lamps[256].state, QXEVT_LIGHT_FLASHING);
    EXPECT_EQ(status.lamps[256].param, 0x201u);
    EXPECT_EQ(status.lamps[1].state, 0u);
}

TEST_F(Definity, HookIsStored)
{
    Send(kH, Frame({0x80, 0x02, 0x00}));
    EXPECT_EQ(driver.Status(kLine).hookState, QXEVT_OFFHOOK);
    Send(kH, Frame({0x80, 0x01, 0x00}));
    EXPECT_EQ(driver.Status(kLine).hookState, QXEVT_ONHOOK);
}

TEST_F(Definity, LampField13IsTraced)
{
    TraceCapture trace;
    Send(kX, Frame({0x80, 0x2F, 13}));
    EXPECT_TRUE(trace.Contains("ERROR  -HandlePacket::Lucent2w Light offset out of range")) << trace.Text();
}

// ---------------------------------------------------------------- frames

struct FrameCase {
    const char* name;
    std::vector<uint8_t> frame;
    uint8_t result;
};

const FrameCase kFrameCases[] = {
    {"GoodFrame", Frame({0x80, 0x2F, 15}), 1},
    {"AddressE1IsTakenAndIgnored", WithFcs({0xE1, 0x03, 0x80, 0x2F, 15}), 1},
    {"OtherAddressIsIgnored", WithFcs({0x21, 0x03, 0x80, 0x2F, 15}), 1},
    {"NoInformationField", WithFcs({0xE3, 0x03}), 1},
    {"BadCheckSequence", {0xE3, 0x03, 0x80, 0x2F, 15, 0x00, 0x00}, 0},
    {"EmptyFrame", {}, 0},
    {"OneByteFrame", {0xE3}, 0},
    {"Overflow", {'O', 'V', 'F', 'L'}, 0},
};

class DefinityFrames : public testing::TestWithParam<FrameCase> {};

TEST_P(DefinityFrames, AreCheckedBeforeDecoding)
{
    PacketDriver<DEFINITY2D> driver{kStart};
    const FrameCase& c = GetParam();
    EXPECT_EQ(driver.Send(kLine, kX, c.frame), c.result);
    const std::vector<Posted> expected =
        std::string(c.name) == "GoodFrame" ? std::vector<Posted>{Event(QXEVT_LIGHT_ON, 0x100)} : std::vector<Posted>{};
    EXPECT_EQ(driver.Take(), expected);
}

INSTANTIATE_TEST_SUITE_P(Definity, DefinityFrames, testing::ValuesIn(kFrameCases),
                         [](const testing::TestParamInfo<FrameCase>& info) { return info.param.name; });

TEST_F(Definity, FrameCheckAcceptsTheStandardSequence)
{
    // E3 03 80 20 2F with its CRC-16/X.25 0x2ABA, low byte first.
    EXPECT_EQ(FrameCheckSequence({0xE3, 0x03, 0x80, 0x20, 0x2F}), 0x2ABA);
    EXPECT_EQ(Send(kX, {0xE3, 0x03, 0x80, 0x20, 0x2F, 0xBA, 0x2A}), 1);
    EXPECT_EQ(Send(kX, {0xE3, 0x03, 0x80, 0x20, 0x2F, 0x2A, 0xBA}), 0);
}

TEST_F(Definity, BadFrameIsTracedWithItsDump)
{
    TraceCapture trace;
    Send(kX, {0xE3, 0x03, 0x80, 0x2F, 0x0F, 0x00, 0x00});
    EXPECT_TRUE(trace.Contains("ERROR  -HandlePacket    Bad CRC Check Channel 20 len=7; remainder = 0x")) << trace.Text();
    EXPECT_EQ(LineWith(trace, "Bad CRC Check 58"), "ERROR  -HandlePacket    Bad CRC Check 58 07 e3 03 80 2f 0f 00 00 ");
    EXPECT_EQ(trace.Count("OVERFLOW"), 0u);
}

TEST_F(Definity, OverflowNoteIsTracedInsteadOfTheDump)
{
    TraceCapture trace;
    Send(kX, {'O', 'V', 'F', 'L'});
    EXPECT_TRUE(trace.Contains("ERROR  -HandlePacket    Channel 20 OVERFLOW RECEIVED")) << trace.Text();
    EXPECT_EQ(trace.Count("Bad CRC"), 0u);
}

TEST_F(Definity, DumpOfALongBadFrameStopsAfter200DataBytes)
{
    TraceCapture trace;
    std::vector<uint8_t> frame(255, 0xAB);
    Send(kX, frame);
    std::string bytes;
    for (int i = 0; i < 200; ++i) {
        bytes += "ab ";
    }
    EXPECT_EQ(LineWith(trace, "Bad CRC Check 58"), "ERROR  -HandlePacket    Bad CRC Check 58 ff " + bytes);
}

// ---------------------------------------------------------------- display

TEST_F(Definity, TextGoesToTheCursorAndEraseToEndPostsOnce)
{
    Show(CursorTo(5) + "AB");
    EXPECT_EQ(driver.Take(), std::vector<Posted>{});
    EXPECT_EQ(Display(), "     AB" + std::string(43, ' '));
    Show(EraseToEnd());
    EXPECT_EQ(driver.Take(), std::vector<Posted>{Event(QXEVT_MESSAGE_CHANGE, 51)});
    EXPECT_EQ(driver.decoder.Display().Cursor(kLine), 7u);
}

TEST_F(Definity, EraseToEndBlanksFromTheCursor)
{
    Show(CursorTo(0) + std::string(50, 'x') + EraseToEnd());
    Show(CursorTo(7) + EraseToEnd());
    EXPECT_EQ(Display(), std::string(7, 'x') + std::string(43, ' '));
}

TEST_F(Definity, ErasedTextIsPostedWithTheNextFlush)
{
    Show(CursorTo(0) + "HELLO WORLD" + EraseToEnd());
    Show(CursorTo(0) + "BYE" + EraseToEnd());
    ASSERT_EQ(driver.Take().size(), 2u);
    Send(kX, Frame({0x80, 0x2F, 15}));
    EXPECT_EQ(driver.Take(), (std::vector<Posted>{Event(QXEVT_MESSAGE_CHANGE, 51), Event(QXEVT_LIGHT_ON, 0x100)}));
    char text[51] = {};
    EXPECT_EQ(driver.decoder.GetMessageOfChannel(kChannel, text, sizeof text), ZAQ16_RET_SUCCESS);
    EXPECT_EQ(std::string(text, 50), "BYE" + std::string(47, ' '));
}

TEST_F(Definity, TheSameDisplayTwicePostsOnce)
{
    Show(CursorTo(0) + "Ext 4711" + EraseToEnd());
    Show(CursorTo(0) + "Ext 4711" + EraseToEnd());
    EXPECT_EQ(driver.Take(), std::vector<Posted>{Event(QXEVT_MESSAGE_CHANGE, 51)});
}

TEST_F(Definity, PendingDisplayIsPostedBeforeTheNextLamp)
{
    TraceCapture trace;
    Show(CursorTo(0) + "Call 2001");
    Send(kX, Frame({0x80, 0x28, 15}));
    EXPECT_EQ(driver.Take(), (std::vector<Posted>{Event(QXEVT_MESSAGE_CHANGE, 51), Event(QXEVT_LIGHT_FLASHING, 0x100)}));
    EXPECT_TRUE(trace.Contains("TRACE  -ProcessCommand  (proceeding event) TIMER Cancelled for 400 ms for 20"))
        << trace.Text();
    EXPECT_TRUE(trace.Contains("channel 20 offset = 51"));
    // Flushed once: the next lamp follows alone.
    Send(kX, Frame({0x80, 0x2F, 15}));
    EXPECT_EQ(driver.Take(), std::vector<Posted>{Event(QXEVT_LIGHT_ON, 0x100)});
}

TEST_F(Definity, HookEventsDoNotFlushTheDisplay)
{
    Show(CursorTo(0) + "Call 2001");
    Send(kH, Frame({0x80, 0x02, 0x00}));
    EXPECT_EQ(driver.Take(), std::vector<Posted>{Event(QXEVT_OFFHOOK)});
}

TEST_F(Definity, UnchangedPendingDisplayIsNotPostedBeforeALamp)
{
    Show(CursorTo(3));
    Send(kX, Frame({0x80, 0x2F, 15}));
    EXPECT_EQ(driver.Take(), std::vector<Posted>{Event(QXEVT_LIGHT_ON, 0x100)});
}

struct EscapeCase {
    const char* name;
    std::string text;
    std::string display;  // the first 10 positions afterwards
};

const EscapeCase kEscapeCases[] = {
    {"LoneEscapeIsDropped", "A\x1b" "BC", "ABC       "},
    {"EscapeAtTheEndEndsTheMessage", "AB\x1b", "AB        "},
    {"BracketAtTheEndEndsTheMessage", "AB\x1b[", "AB        "},
    {"SelectorMissingEndsTheMessage", "AB\x1b[1", "AB        "},
    {"ColumnMissingEndsTheMessage", "AB\x1b[1;", "AB        "},
    {"UnknownSelectorDropsEscapeAndBracket", "A\x1b[1ZB", "A1ZB      "},
    {"ControlBytesAreSkipped", "A\x01\x7f\x80" "B", "AB        "},
    {"CursorMovesAcrossTheText", "ABCD\x1b[1;\x02X", "ABXD      "},
    {"ColumnPastTheDisplayIsClamped", "AB\x1b[1;\xc8XYZ", "AB        "},
};

class DefinityEscapes : public testing::TestWithParam<EscapeCase> {};

TEST_P(DefinityEscapes, LeaveTheDisplayAsExpected)
{
    PacketDriver<DEFINITY2D> driver{kStart};
    const EscapeCase& c = GetParam();
    EXPECT_EQ(driver.Send(kLine, kX, DisplayFrame(c.text)), 1);
    EXPECT_EQ(driver.Text(kLine, 10), c.display);
    EXPECT_EQ(driver.Record(kLine).text[50], '\0');
    EXPECT_LE(driver.decoder.Display().Cursor(kLine), 50u);
}

INSTANTIATE_TEST_SUITE_P(Definity, DefinityEscapes, testing::ValuesIn(kEscapeCases),
                         [](const testing::TestParamInfo<EscapeCase>& info) { return info.param.name; });

TEST_F(Definity, TextPastTheLastColumnIsDroppedAcrossFrames)
{
    for (int frame = 0; frame < 30; ++frame) {
        Show(std::string(40, static_cast<char>('a' + frame % 26)));
    }
    EXPECT_EQ(driver.decoder.Display().Cursor(kLine), 50u);
    EXPECT_EQ(Display(), std::string(40, 'a') + std::string(10, 'b'));
    const DisplayRecord& record = driver.Record(kLine);
    EXPECT_EQ(record.text[50], '\0');
    EXPECT_EQ(std::string(record.text + 51, 100), std::string(100, ' '));
}

TEST_F(Definity, CursorAtTheEndErasesNothing)
{
    Show(CursorTo(0) + std::string(50, 'z') + EraseToEnd());
    driver.Take();
    Show(EraseToEnd());
    EXPECT_EQ(Display(), std::string(50, 'z'));
    EXPECT_EQ(driver.Take(), std::vector<Posted>{});
}

// ---------------------------------------------------------------- read-back

TEST_F(Definity, GetMessageReturnsThePostedDisplay)
{
    char text[64] = {};
    EXPECT_EQ(driver.decoder.GetMessageOfChannel(kChannel, text, sizeof text), ZAQ16_RET_SUCCESS);
    Show(CursorTo(0) + "Ext 4711" + EraseToEnd());
    std::memset(text, '#', sizeof text);
    // What the application asks for after QXEVT_MESSAGE_CHANGE(51), even with the cursor elsewhere.
    EXPECT_EQ(driver.decoder.GetMessageOfChannel(kChannel, text, 51), ZAQ16_RET_SUCCESS);
    EXPECT_EQ(std::string(text, 51), "Ext 4711" + std::string(42, ' ') + std::string(1, '\0'));
    EXPECT_EQ(text[51], '#');
}

TEST_F(Definity, GetMessageTruncatesAndChecksTheChannel)
{
    Show(CursorTo(0) + "Ext 4711" + EraseToEnd());
    char text[8] = {};
    EXPECT_EQ(driver.decoder.GetMessageOfChannel(kChannel, text, 3), ZAQ16_RET_TRUNCATED);
    EXPECT_EQ(std::string(text, 4), std::string("Ext") + '\0');
    EXPECT_EQ(driver.decoder.GetMessageOfChannel(kStart - 1, text, sizeof text), ZAQ16_RET_INVALID_PARAM);
    EXPECT_EQ(driver.decoder.GetMessageOfChannel(kStart + 16, text, sizeof text), ZAQ16_RET_INVALID_PARAM);
}

// ---------------------------------------------------------------- posting rule

struct RuleCase {
    const char* name;
    uint8_t type;
    std::vector<uint8_t> information;
    bool repeatPostedWithUpdatesOff;
};

const RuleCase kRuleCases[] = {
    {"Lamp", kX, {0x80, 0x2F, 15}, false},
    {"Hook", kH, {0x80, 0x02, 0x00}, false},
    {"Button", kH, {0x80, 0x20, 0x0A}, true},
    {"SoftKey", kH, {0x82, 0x00, 0x05}, true},
};

class DefinityPostingRule : public testing::TestWithParam<RuleCase> {};

TEST_P(DefinityPostingRule, RepeatsFollowTheEventUpdateSwitch)
{
    const RuleCase& c = GetParam();
    for (const bool updates : {false, true}) {
        const size_t expected = updates || c.repeatPostedWithUpdatesOff ? 2 : 1;
        EXPECT_EQ(PacketDriver<DEFINITY2D>::EventsOfARepeat(updates, c.type, Frame(c.information)), expected) << "event updates " << updates;
    }
}

INSTANTIATE_TEST_SUITE_P(Definity, DefinityPostingRule, testing::ValuesIn(kRuleCases),
                         [](const testing::TestParamInfo<RuleCase>& info) { return info.param.name; });

TEST_F(Definity, LampWithAnotherColourOrStateIsAChange)
{
    driver.EventUpdates(false);
    Send(kX, Frame({0x80, 0x2F, 15}));
    Send(kX, Frame({0x80, 0x28, 15}));
    Send(kX, Frame({0x80, 0x28, 16}));
    EXPECT_EQ(driver.Take().size(), 3u);
}

}  // namespace
