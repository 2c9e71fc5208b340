// The classification of the unit's text lines and what each stores.
#include <gtest/gtest.h>

#include <cstring>

#include "qxzaqlnk.h"
#include "support/TraceCapture.h"
#include "unit/UnitAnswerParser.h"

namespace {

struct PbxCase {
    const char* line;
    int32_t expected;
};

class PbxNames : public testing::TestWithParam<PbxCase> {};

TEST_P(PbxNames, FirstNameFoundDecides)
{
    UnitAnswers answers;
    ParseUnitLine(GetParam().line, answers);
    EXPECT_EQ(answers.pbxType, GetParam().expected) << GetParam().line;
}

INSTANTIATE_TEST_SUITE_P(
    UnitLines, PbxNames,
    testing::Values(PbxCase{"PBX=Definity2D\r", 2}, PbxCase{"PBX=Definity2\r", 11}, PbxCase{"PBX=Merlin\r", 33},
                    PbxCase{"PBX=MerlinMagixD\r", 21}, PbxCase{"PBX=MeridianD\r", 1}, PbxCase{"PBX=Meridian\r", 16},
                    PbxCase{"PBX=NEAX2400D\r", 25}, PbxCase{"PBX=NEAX\r", 34}, PbxCase{"PBX=ISDN4WD\r", 30},
                    PbxCase{"PBX=MD110D\r", 24}, PbxCase{"PBX=MD110\r", 9}, PbxCase{"PBX=FUJI9600D\r", 31},
                    PbxCase{"PBX=FUJI9600\r", 32}, PbxCase{"PBX=Inter-TelD\r", 26},
                    PbxCase{"PBX = Something Else\r", 0xFFFF}));

struct ValueCase {
    const char* line;
    std::atomic<int32_t> UnitAnswers::*member;
    int32_t expected;
    const char* trace;
};

class ValueLines : public testing::TestWithParam<ValueCase> {};

TEST_P(ValueLines, StoreTheirValueAndTraceIt)
{
    TraceCapture trace;
    UnitAnswers answers;
    const LineOutcome outcome = ParseUnitLine(GetParam().line, answers);
    EXPECT_EQ(outcome.kind, LineOutcome::Kind::None);
    EXPECT_EQ(answers.*GetParam().member, GetParam().expected) << GetParam().line;
    EXPECT_TRUE(trace.Contains(GetParam().trace)) << trace.Text();
}

INSTANTIATE_TEST_SUITE_P(
    UnitLines, ValueLines,
    testing::Values(
        ValueCase{"Bus=MVIP\r", &UnitAnswers::busType, 1, "BUS = 1 (Bus=MVIP)"},
        ValueCase{"Bus=SCSA\r", &UnitAnswers::busType, 2, "BUS = 2 (Bus=SCSA)"},
        ValueCase{"Clock=Master\r", &UnitAnswers::clockType, 0, "Clock = 0 (Clock=Master)"},
        ValueCase{"Clock=Slave\r", &UnitAnswers::clockType, 1, "Clock = 1 (Clock=Slave)"},
        ValueCase{"Encoding=uLaw\r", &UnitAnswers::encodingType, 0, "Encoding = 0 (Encoding=uLaw)"},
        ValueCase{"Encoding=aLaw\r", &UnitAnswers::encodingType, 1, "Encoding = 1"},
        ValueCase{"RDSP=OFF\r", &UnitAnswers::rdspType, 0, "RDSP = 0 (RDSP=OFF)"},
        ValueCase{"Split=ON\r", &UnitAnswers::splitType, 1, "Split = 1 (Split=ON)"},
        ValueCase{"StartStopDetect=OFF\r", &UnitAnswers::startStopDetect, 0, "StartStopDetect = 0"},
        ValueCase{"Stream=17\r", &UnitAnswers::stream, 17, "Stream = 17 (Stream=17)"},
        ValueCase{"Slots=32\r", &UnitAnswers::slots, 32, "Slots = 32"},
        ValueCase{"StartStopMin=5\r", &UnitAnswers::startStopMin, 5, "StartStopMin = 5"},
        ValueCase{"StartStopMax=900\r", &UnitAnswers::startStopMax, 900, "StartStopMax = 900"},
        ValueCase{"StartStopOn=-20\r", &UnitAnswers::startStopOn, -20, "StartStopOn = -20"},
        ValueCase{"StartStopOff=40\r", &UnitAnswers::startStopOff, 40, "StartStopOff = 40"},
        ValueCase{"Serial=123456\r", &UnitAnswers::serialNumber, 123456, "Serial = 123456 (Serial=123456)"},
        ValueCase{"Hardware = 3\r", &UnitAnswers::hardwareVersion, 3, "Hardware = 3 (Hardware = 3)"},
        ValueCase{"Hardware =\r", &UnitAnswers::hardwareVersion, 0, "Hardware = 0"},
        ValueCase{"zaqPbxLevel=A\r", &UnitAnswers::pbxLevel, 65, "zaqPbxLevel = 65"},
        ValueCase{"zaqPbxLevel=\xC8\r", &UnitAnswers::pbxLevel, 200, "zaqPbxLevel = 200"},
        ValueCase{"RAW=ON\r", &UnitAnswers::dchannelStatus, 1, "DCHANNEL STATUS = ON (RAW=ON)"},
        ValueCase{"RAW=OFF\r", &UnitAnswers::dchannelStatus, 0, "DCHANNEL STATUS = OFF (RAW=OFF)"}));

TEST(UnitLines, LevelZeroTravelsAsARawNulByte)
{
    UnitAnswers answers;
    const char line[] = {'z', 'a', 'q', 'P', 'b', 'x', 'L', 'e', 'v', 'e', 'l', '=', '\0', '\r'};
    ParseUnitLine(std::string_view(line, sizeof line), answers);
    EXPECT_EQ(answers.pbxLevel, 0);
}

TEST(UnitLines, FirmwareLineGivesThreeNumbersAndMissingPartsStayZero)
{
    UnitAnswers answers;
    ParseUnitLine("Firmware = 2.11.305\r", answers);
    EXPECT_EQ(answers.firmwareMajor, 2);
    EXPECT_EQ(answers.firmwareMinor, 11);
    EXPECT_EQ(answers.firmwareBuild, 305);

    UnitAnswers partial;
    ParseUnitLine("Firmware = 4\r", partial);
    EXPECT_EQ(partial.firmwareMajor, 4);
    EXPECT_EQ(partial.firmwareMinor, 0);
    EXPECT_EQ(partial.firmwareBuild, 0);
}

TEST(UnitLines, CommandAnswersCarryTheirResult)
{
    UnitAnswers answers;
    EXPECT_EQ(ParseUnitLine("OK\r", answers).commandResult, ZAQ16_RET_SUCCESS);
    EXPECT_EQ(ParseUnitLine("OK\r", answers).kind, LineOutcome::Kind::CommandAnswer);
    EXPECT_EQ(ParseUnitLine("ERROR\r", answers).commandResult, ZAQ16_RET_UNIT_ERROR);
    EXPECT_EQ(ParseUnitLine("Press M <ENTER> for menu\r", answers).kind, LineOutcome::Kind::CommandAnswer);
    EXPECT_EQ(ParseUnitLine("\r", answers).kind, LineOutcome::Kind::None);
    EXPECT_EQ(ParseUnitLine("Press R to Redisplay\r", answers).kind, LineOutcome::Kind::None);
    EXPECT_EQ(answers.errorsDone, 1);
}

TEST(UnitLines, ControlBytesBeforeTheTextAreIgnored)
{
    UnitAnswers answers;
    // The ACK of a transfer's EOT, a late CAN, noise: the answer still counts.
    EXPECT_EQ(ParseUnitLine("\x06OK\r", answers).kind, LineOutcome::Kind::CommandAnswer);
    EXPECT_EQ(ParseUnitLine("\x18\x15" "ERROR\r", answers).commandResult, ZAQ16_RET_UNIT_ERROR);
    EXPECT_EQ(ParseUnitLine("\x06" "Bus=MVIP\r", answers).kind, LineOutcome::Kind::None);
    EXPECT_EQ(answers.busType, 1);
    EXPECT_EQ(ParseUnitLine(std::string_view("\x00\x04" "5Y\r", 5), answers).kind, LineOutcome::Kind::StartStop);
    EXPECT_EQ(ParseUnitLine("\x06\r", answers).kind, LineOutcome::Kind::None);
}

struct NoticeCase {
    const char* line;
    LineOutcome::Kind kind;
    uint32_t channel;
    bool on;
};

class StartStopNotices : public testing::TestWithParam<NoticeCase> {};

TEST_P(StartStopNotices, DigitsThenYOrN)
{
    UnitAnswers answers;
    const LineOutcome outcome = ParseUnitLine(GetParam().line, answers);
    EXPECT_EQ(outcome.kind, GetParam().kind) << GetParam().line;
    if (GetParam().kind == LineOutcome::Kind::StartStop) {
        EXPECT_EQ(outcome.channel, GetParam().channel);
        EXPECT_EQ(outcome.startStopOn, GetParam().on);
    }
}

INSTANTIATE_TEST_SUITE_P(
    UnitLines, StartStopNotices,
    testing::Values(NoticeCase{"5Y\r", LineOutcome::Kind::StartStop, 5, true},
                    NoticeCase{"12N\r", LineOutcome::Kind::StartStop, 12, false},
                    NoticeCase{"1234Y\r", LineOutcome::Kind::StartStop, 1234, true},
                    NoticeCase{"7X\r", LineOutcome::Kind::None, 0, false},
                    NoticeCase{"12345Y\r", LineOutcome::Kind::None, 0, false}));

// A levels line counts without its line end: exactly 72 characters are stored.
std::string LevelsLine(size_t length)
{
    std::string line = "Levels =";
    for (int channel = 0; channel < 16; ++channel) {
        char field[8];
        std::snprintf(field, sizeof field, "*%3d", channel * 10);
        line += field;
    }
    line.resize(length, ' ');
    return line + "\r";
}

TEST(UnitLines, LevelsLineOfExactly72CharactersIsStored)
{
    UnitAnswers answers;
    answers.levelsReady = -1;
    ParseUnitLine(LevelsLine(72), answers);
    EXPECT_EQ(answers.levelsReady, 1);
    for (int channel = 0; channel < 16; ++channel) {
        EXPECT_EQ(answers.phoneLevels[channel], channel * 10 & 0xFF) << channel;
    }
}

TEST(UnitLines, LevelsLineOfAnyOtherLengthStoresNothing)
{
    for (size_t length : {71u, 73u}) {
        TraceCapture trace;
        UnitAnswers answers;
        answers.levelsReady = -1;
        ParseUnitLine(LevelsLine(length), answers);
        EXPECT_EQ(answers.levelsReady, -1);
        EXPECT_TRUE(trace.Contains("LENGTH         " " " + std::to_string(length))) << trace.Text();
    }
}

TEST(UnitLines, ErrorTablesFillInOrderAndTheLastCompletesThem)
{
    UnitAnswers answers;
    ParseUnitLine("Phone Errors = 1 2 3 300\r", answers);
    ParseUnitLine("Pbx   Errors = 9 8\r", answers);
    ParseUnitLine("Phone Errs/s = 0 0 7\r", answers);
    EXPECT_EQ(answers.errorsReceived, -1);
    ParseUnitLine("Pbx Errors/s = 5 x 6\r", answers);
    EXPECT_EQ(answers.errorsReceived, 1);
    EXPECT_EQ(answers.errorTables[UnitAnswers::kPhoneErrors][0], 1);
    EXPECT_EQ(answers.errorTables[UnitAnswers::kPhoneErrors][3], 300 & 0xFF);
    EXPECT_EQ(answers.errorTables[UnitAnswers::kPbxErrors][1], 8);
    EXPECT_EQ(answers.errorTables[UnitAnswers::kPhoneErrorRate][2], 7);
    // A non-digit ends the list.
    EXPECT_EQ(answers.errorTables[UnitAnswers::kPbxErrorRate][0], 5);
    EXPECT_EQ(answers.errorTables[UnitAnswers::kPbxErrorRate][1], 0);
}

TEST(UnitLines, NumberListsStopAtSixteenAndKeepBytesBeyondTheLastNumber)
{
    UnitAnswers answers;
    std::memset(answers.errorTables, 0xEE, sizeof answers.errorTables);
    ParseUnitLine(" Errors = 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18\r", answers);
    EXPECT_EQ(answers.errorTables[UnitAnswers::kPhoneErrors][15], 16);
    EXPECT_EQ(answers.errorTables[UnitAnswers::kPbxErrors][0], 0xEE);
    ParseUnitLine(" Errs/s = 4\r", answers);
    EXPECT_EQ(answers.errorTables[UnitAnswers::kPbxErrors][0], 4);
    EXPECT_EQ(answers.errorTables[UnitAnswers::kPbxErrors][1], 0xEE);
    EXPECT_EQ(answers.errorsReceived, 1);
}

TEST(UnitLines, LightMasksAreKeptAndAnOverlongMaskIsRefused)
{
    TraceCapture trace;
    UnitAnswers answers;
    ParseUnitLine("LightMask0=ABCDEFGHI\r", answers);
    EXPECT_STREQ(answers.lightMask0, "ABCDEFGHI");
    EXPECT_TRUE(trace.Contains("LightMask0 = ABCDEFGHI (LightMask0=ABCDEFGHI)"));
    ParseUnitLine("LightMask1=0123456789\r", answers);
    EXPECT_STREQ(answers.lightMask1, "");
    EXPECT_TRUE(trace.Contains("Light mask too long"));
}

TEST(UnitLines, UnknownValueLineIsTracedAtDebugOnly)
{
    TraceCapture trace;
    UnitAnswers answers;
    ParseUnitLine("Volume=11\r", answers);
    ParseUnitLine("Config\r", answers);
    EXPECT_EQ(trace.Count("Unhandled Command"), 2u);
    EXPECT_TRUE(trace.Contains("DEBUG  -HandleCommand   Unhandled Command Volume=11"));
}

}  // namespace
