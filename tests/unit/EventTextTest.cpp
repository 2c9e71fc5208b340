// The text of each kind of event as the trace shows it in callback mode.
#include <gtest/gtest.h>

#include "common/EventNames.h"
#include "common/EventText.h"

namespace {

struct TextCase {
    uint32_t code;
    uint32_t param;
    const char* text;
};

class EventTexts : public testing::TestWithParam<TextCase> {};

TEST_P(EventTexts, FormatOfTheCode)
{
    ZAQ16_EVENT event{};
    event.timeStamp = 1234;
    event.board = 1;
    event.channel = 20;
    event.eventCode = GetParam().code;
    event.param = GetParam().param;
    EXPECT_EQ(EventText(event), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Events, EventTexts,
    testing::Values(
        TextCase{QXEVT_LIGHT_ON, 0x0105, "(1234) Board 1, Channel 20 QXEVT_LIGHT_ON(GREEN 5)"},
        TextCase{QXEVT_LIGHT_OFF, 0x0207, "(1234) Board 1, Channel 20 QXEVT_LIGHT_OFF(RED 7)"},
        TextCase{QXEVT_LIGHT_ON, 0x0305, "(1234) Board 1, Channel 20 QXEVT_LIGHT_ON(GREEN 5)"},
        TextCase{QXEVT_LIGHT_FLASHING, 9, "(1234) Board 1, Channel 20 QXEVT_LIGHT_FLASHING(9)"},
        TextCase{QXEVT_OFFHOOK, 0, "(1234) Board 1, Channel 20 QXEVT_OFFHOOK "},
        TextCase{QXEVT_STARTSTOP_ON, 0, "(1234) Board 1, Channel 20 QXEVT_STARTSTOP_ON "},
        TextCase{QXEVT_DIGIT_PRESSED, '7', "(1234) Board 1, Channel 20 QXEVT_DIGIT(7) "},
        TextCase{QXEVT_DIGIT_RELEASED, '#', "(1234) Board 1, Channel 20 QXEVT_DIGIT_RELEASED(#) "},
        TextCase{QXEVT_MESSAGE_CHANGE, 51, "(1234) Board 1, Channel 20 QXEVT_MESSAGE_CHANGE (51)"},
        TextCase{QXEVT_DOWNLOAD_STATUS, 40, "(1234) Board 1, Channel 20 QXEVT_DOWNLOAD_STATUS (40)"},
        TextCase{QXEVT_FINISHED_PLAY, 0, "(1234) Board 1 QXEVT_FINISHED_PLAY "},
        TextCase{QXEVT_LINE_BUTTON_PRESSED, 3, "(1234) Board 1 Channel 20 QXEVT_LINE_BUTTON_PRESSED(0x0003)"},
        TextCase{QXEVT_FUNCTION_BUTTON_PRESSED, 19,
                 "(1234) Board 1 Channel 20 QXEVT_FUNCTION_BUTTON_PRESSED(0x0013)"},
        TextCase{QXEVT_HOLD_BUTTON_PRESSED, 0, "(1234) Board 1, Channel 20 QXEVT_HOLD_BUTTON_PRESSED(0) "},
        TextCase{QXEVT_SOFT_BUTTON_PRESSED, 4, "(1234) Board 1, Channel 20 QXEVT_SOFT_BUTTON_PRESSED(4)"},
        TextCase{QXEVT_LIGHT_QUICKFLASH, 0x0102, "(1234) Board 1, Channel 20 QXEVT_LIGHT_QUICKFLASH(258)"},
        TextCase{QXEVT_AUDIO_ON, 3, "(1234) Board 1, Channel 20 QXEVT_AUDIO_ON(Handset Receiver)"},
        TextCase{QXEVT_AUDIO_OFF, 7, "(1234) Board 1, Channel 20 QXEVT_AUDIO_OFF()"},
        TextCase{QXEVT_DISPLAY_CLOCK, 0, "(1234) Board 1, Channel 20 QXEVT_DISPLAY_CLOCK(0x0000)"},
        TextCase{QXEVT_LIGHT_VERY_FASTFLASHING, 0x201,
                 "(1234) Board 1, Channel 20 QXEVT_LIGHT_VERY_FASTFLASHING(0x0201)"},
        TextCase{QXEVT_CONNECTED, 1, "(1234) Board 1, Channel 20 QXEVT_CONNECTED(0x0001)"},
        TextCase{QXEVT_ABANDONED, 2, "(1234) Board 1, Channel 20 EVENT 103a NOT KNOWN(0x0002)"},
        TextCase{QXEVT_LINE_LIGHT_ON, 1, "(1234) Board 1, Channel 20 EVENT 1061 NOT KNOWN(0x0001)"},
        TextCase{QXEVT_CALL_CONNECTED, 332, "(1234) Board 1, Channel 20 EVENT 6f NOT KNOWN(0x014c)"},
        TextCase{0x77, 0, "(1234) Board 1, Channel 20 EVENT 77 NOT KNOWN(0x0000)"}));

struct ViewerCase {
    uint32_t code;
    uint32_t param;
    const char* text;
};

class ViewerTexts : public testing::TestWithParam<ViewerCase> {};

TEST_P(ViewerTexts, DifferFromTheTraceWhereTheViewerNamesMore)
{
    ZAQ16_EVENT event{};
    event.timeStamp = 99;
    event.board = 0;
    event.channel = 5;
    event.eventCode = GetParam().code;
    event.param = GetParam().param;
    EXPECT_EQ(EventText(event, EventTextStyle::Viewer), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Events, ViewerTexts,
    testing::Values(ViewerCase{QXEVT_DIGIT_PRESSED, '5', "(99) Board 0, Channel 5 QXEVT_DIGIT_PRESSED(5) "},
                    ViewerCase{QXEVT_AUDIO_ON, 3, "(99) Board 0, Channel 5 QXEVT_AUDIO_ON(HandsetReceiver 3)"},
                    ViewerCase{QXEVT_AUDIO_OFF, 9, "(99) Board 0, Channel 5 QXEVT_AUDIO_OFF(Unknown)"},
                    ViewerCase{QXEVT_ABANDONED, 2, "(99) Board 0, Channel 5 QXEVT_ABANDONED(0x0002)"},
                    ViewerCase{QXEVT_LINE_LIGHT_ON, 1, "(99) Board 0, Channel 5 QXEVT_LINE_LIGHT_ON(0x0001)"},
                    ViewerCase{QXEVT_CALL_CONNECTED, 332, "(99) Board 0, Channel 5 QXEVT_CALL_CONNECTED(0x014c)"},
                    ViewerCase{QXEVT_CALL_USER_INFO, 280, "(99) B 0, C5 UNKNOWN EVENT(0x0077) "},
                    ViewerCase{0x77, 0, "(99) B 0, C5 UNKNOWN EVENT(0x0077) "},
                    ViewerCase{0x1055, 3, "(99) B 0, C5 UNKNOWN EVENT(0x1055) "}));

TEST(EventNames, GridAndGaps)
{
    EXPECT_STREQ(EventName(0x1060), "QXEVT_LINE_LIGHT_OFF");
    EXPECT_STREQ(EventName(0x1061), "QXEVT_LINE_LIGHT_ON");
    EXPECT_STREQ(EventName(0x1001), "QXEVT_LIGHT_ON");
    EXPECT_STREQ(EventName(0x1002), "QXEVT_LIGHT_OFF");
    EXPECT_STREQ(EventName(0x10B8), "QXEVT_RING_LIGHT_OFF");
    EXPECT_STREQ(EventName(0x10FD), "QXEVT_CALLWAITING_LIGHT_QUICKFLASH");
    EXPECT_STREQ(EventName(0x104F), "QXEVT_MUTE_BUTTON_PRESSED");
    EXPECT_STREQ(EventName(126), "QXEVT_CALL_ALERTING");
    EXPECT_EQ(EventName(0x1055), nullptr);
    EXPECT_EQ(EventName(0x1066), nullptr);
    EXPECT_EQ(EventName(120), nullptr);
}

}  // namespace
