#include <gtest/gtest.h>

#include "UnitHarness.h"

using zaqsim::SimUnit;
using zaqsim::UnitConfig;

namespace {

struct Exchange {
    const char* command;
    const char* answer;  // every line, each ending in CR LF
};

// Each row runs on a fresh unit, after the rows before it in the same group.
void RunExchanges(UnitHarness& harness, std::initializer_list<Exchange> exchanges)
{
    for (const Exchange& exchange : exchanges)
        EXPECT_EQ(harness.Command(exchange.command), exchange.answer) << "command " << exchange.command;
}

UnitConfig Identity()
{
    UnitConfig config;
    config.pbxName = "MeridianD";
    config.serialNumber = 4711;
    config.hardwareVersion = 5;
    config.firmwareVersion = "2.1.7";
    return config;
}

}  // namespace

TEST(SimUnitQueries, AnswerThePowerOnValues)
{
    UnitHarness harness(Identity());
    RunExchanges(harness, {
        {"SET PBX", "PBX=MeridianD\r\n"},
        {"SET BUS", "Bus=MVIP\r\n"},
        {"SET CLOCK", "Clock=Master\r\n"},
        {"SET ENCODING", "Encoding=uLaw\r\n"},
        {"SET RDSP", "RDSP=OFF\r\n"},
        {"SET SPLIT", "Split=OFF\r\n"},
        {"SET STARTSTOPDETECT", "StartStopDetect=OFF\r\n"},
        {"SET STREAM", "Stream=0\r\n"},
        {"SET SLOTS", "Slots=32\r\n"},
        {"SET STARTSTOPMIN", "StartStopMin=2\r\n"},
        {"SET STARTSTOPMAX", "StartStopMax=30\r\n"},
        {"SET STARTSTOPON", "StartStopOn=20\r\n"},
        {"SET STARTSTOPOFF", "StartStopOff=10\r\n"},
        {"SET LIGHTMASK0", "LightMask0=FFFF\r\n"},
        {"SET LIGHTMASK1", "LightMask1=0000\r\n"},
        {"DISPLAY VERSIONS", "Hardware = 5\r\nFirmware = 2.1.7\r\n"},
        {"DISPLAY SERIAL", "Serial=4711\r\n"},
        {"GETDCHANNELSTATUS", "RAW=OFF\r\n"},
        {"PBXLEVELGET", "zaqPbxLevel=d\r\n"},
    });
}

TEST(SimUnitSettings, AcceptedValuesAreKeptAndShown)
{
    UnitHarness harness;
    RunExchanges(harness, {
        {"SET BUS=SCSA", "OK\r\n"},           {"SET BUS", "Bus=SCSA\r\n"},
        {"SET CLOCK=SLAVE", "OK\r\n"},        {"SET CLOCK", "Clock=Slave\r\n"},
        {"SET ENCODING=ALAW", "OK\r\n"},      {"SET ENCODING", "Encoding=aLaw\r\n"},
        {"SET RDSP=ON", "OK\r\n"},            {"SET RDSP", "RDSP=ON\r\n"},
        {"SET SPLIT=ON", "OK\r\n"},           {"SET SPLIT", "Split=ON\r\n"},
        {"SET STARTSTOPDETECT=ON", "OK\r\n"}, {"SET STARTSTOPDETECT", "StartStopDetect=ON\r\n"},
        {"SET STREAM=3", "OK\r\n"},           {"SET STREAM", "Stream=3\r\n"},
        {"SET SLOTS=65535", "OK\r\n"},        {"SET SLOTS", "Slots=65535\r\n"},
        {"SET STARTSTOPMIN=0", "OK\r\n"},     {"SET STARTSTOPMIN", "StartStopMin=0\r\n"},
        {"SET STARTSTOPMAX=99", "OK\r\n"},    {"SET STARTSTOPMAX", "StartStopMax=99\r\n"},
        {"SET STARTSTOPON=7", "OK\r\n"},      {"SET STARTSTOPON", "StartStopOn=7\r\n"},
        {"SET STARTSTOPOFF=8", "OK\r\n"},     {"SET STARTSTOPOFF", "StartStopOff=8\r\n"},
        {"SET LIGHTMASK0=12ab 9", "OK\r\n"},  {"SET LIGHTMASK0", "LightMask0=12ab 9\r\n"},
        {"SET LIGHTMASK1=", "OK\r\n"},        {"SET LIGHTMASK1", "LightMask1=\r\n"},
        {"ENRAW", "OK\r\n"},                  {"GETDCHANNELSTATUS", "RAW=ON\r\n"},
        {"DISRAW", "OK\r\n"},                 {"GETDCHANNELSTATUS", "RAW=OFF\r\n"},
        {"set bus=mvip", "OK\r\n"},           {"SET BUS", "Bus=MVIP\r\n"},
    });
}

TEST(SimUnitSettings, RefusedValuesAnswerErrorAndChangeNothing)
{
    UnitHarness harness;
    RunExchanges(harness, {
        {"SET BUS=XYZ", "ERROR\r\n"},
        {"SET CLOCK=FAST", "ERROR\r\n"},
        {"SET ENCODING=", "ERROR\r\n"},
        {"SET RDSP=1", "ERROR\r\n"},
        {"SET STREAM=abc", "ERROR\r\n"},
        {"SET STREAM=-1", "ERROR\r\n"},
        {"SET SLOTS=65536", "ERROR\r\n"},
        {"SET STARTSTOPMIN=3x", "ERROR\r\n"},
        {"SET LIGHTMASK0=0123456789", "ERROR\r\n"},
        {"SET PBX=NorstarD", "ERROR\r\n"},
        {"SET COLOUR=RED", "ERROR\r\n"},
        {"HELLO", "ERROR\r\n"},
        {"PBXLEVELSETxy", "ERROR\r\n"},
        {"SET BUS", "Bus=MVIP\r\n"},
        {"SET STREAM", "Stream=0\r\n"},
        {"SET LIGHTMASK0", "LightMask0=FFFF\r\n"},
        {"SET PBX", "PBX=Definity2D\r\n"},
        {"PBXLEVELGET", "zaqPbxLevel=d\r\n"},
    });
}

TEST(SimUnitSettings, OverlongLineIsRefusedWhole)
{
    UnitHarness harness;
    EXPECT_EQ(harness.Command("SET BUS=SCSA" + std::string(300, ' ')), "ERROR\r\n");
    EXPECT_EQ(harness.Command("SET BUS"), "Bus=MVIP\r\n");
}

TEST(SimUnitSettings, LineFeedsAndEmptyLinesAreIgnored)
{
    UnitHarness harness;
    EXPECT_EQ(harness.Bytes("\r\n\r"), "");
    EXPECT_EQ(harness.Bytes("SET BUS\r\n"), "Bus=MVIP\r\n");
}

TEST(SimUnitPbxLevel, TakesAnyRawByteIncludingZeroAndCarriageReturn)
{
    for (const uint8_t level : {uint8_t{0}, uint8_t{13}, uint8_t{65}, uint8_t{255}}) {
        UnitHarness harness;
        const std::string command = std::string("PBXLEVELSET") + static_cast<char>(level) + "\r";
        EXPECT_EQ(harness.Bytes(command), "OK\r\n") << "level " << int(level);
        EXPECT_EQ(harness.unit.PbxLevel(), level);
        EXPECT_EQ(harness.Command("PBXLEVELGET"), std::string("zaqPbxLevel=") + static_cast<char>(level) + "\r\n");
        EXPECT_EQ(harness.unit.CommandLog().front(), command.substr(0, 12));
    }
}

TEST(SimUnitPbxLevel, LevelArrivingInPiecesIsStillOneCommand)
{
    UnitHarness harness;
    EXPECT_EQ(harness.Bytes("PBXLEVEL"), "");
    EXPECT_EQ(harness.Bytes("SET"), "");
    EXPECT_EQ(harness.Bytes("\r"), "");  // the level byte itself
    EXPECT_EQ(harness.Bytes("\r"), "OK\r\n");
    EXPECT_EQ(harness.unit.PbxLevel(), 13);
}

TEST(SimUnitLevels, LineIsSeventyTwoCharactersWithStarPadding)
{
    UnitConfig config;
    config.levels = {0, 5, 12, 255, 100, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 99};
    UnitHarness harness(config);
    const std::string answer = harness.Command("DISPLAY LEVELS");
    ASSERT_EQ(answer.size(), 74u);
    EXPECT_EQ(answer.substr(0, 28), "Levels =***0***5**12*255*100");
    EXPECT_EQ(answer.substr(68), "**99\r\n");
}

TEST(SimUnitErrorScreen, ShowsTablesClearsOnCAndLeavesOnX)
{
    UnitConfig config;
    config.errors.phoneErrors[0] = 3;
    config.errors.pbxErrors[15] = 300;
    config.errors.phoneErrorRate[1] = 1;
    config.errors.pbxErrorRate[2] = 2;
    UnitHarness harness(config);

    const std::string table = harness.Command("ERRCHECK");
    EXPECT_EQ(table,
              "Phone Errors = 3 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0\r\n"
              "Pbx   Errors = 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 300\r\n"
              "Phone Errs/s = 0 1 0 0 0 0 0 0 0 0 0 0 0 0 0 0\r\n"
              "Pbx Errors/s = 0 0 2 0 0 0 0 0 0 0 0 0 0 0 0 0\r\n"
              "Press R to Redisplay\r\n");
    EXPECT_EQ(harness.unit.mode(), SimUnit::Mode::ErrorScreen);

    const std::string zeros = " 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0\r\n";
    EXPECT_EQ(harness.Bytes("C"), "Phone Errors =" + zeros + "Pbx   Errors =" + zeros + "Phone Errs/s =" + zeros +
                                      "Pbx Errors/s =" + zeros + "Press R to Redisplay\r\n");
    EXPECT_EQ(harness.Bytes("X"), "");
    EXPECT_EQ(harness.unit.mode(), SimUnit::Mode::Command);
    EXPECT_EQ(harness.Command("SET BUS"), "Bus=MVIP\r\n");
    EXPECT_EQ(harness.unit.CommandLog(), (std::vector<std::string>{"ERRCHECK", "C", "X", "SET BUS"}));
    // The counters stay cleared.
    EXPECT_EQ(harness.Command("ERRCHECK").substr(0, 48), "Phone Errors =" + zeros.substr(0, 34));
}

TEST(SimUnitErrorScreen, RedisplaysOnRAndLeavesOnAnyCommand)
{
    UnitHarness harness;
    const std::string table = harness.Command("ERRCHECK");
    EXPECT_EQ(harness.Bytes("R"), table);
    // A command typed on the screen leaves it and is carried out.
    EXPECT_EQ(harness.Command("SET BUS"), "Bus=MVIP\r\n");
    EXPECT_EQ(harness.unit.mode(), SimUnit::Mode::Command);
}

TEST(SimUnitErrorScreen, AbandonedScreenEndsByItself)
{
    UnitHarness harness;
    harness.Command("ERRCHECK");
    harness.After(9999);
    EXPECT_EQ(harness.unit.mode(), SimUnit::Mode::ErrorScreen);
    harness.After(1);
    EXPECT_EQ(harness.unit.mode(), SimUnit::Mode::Command);
    EXPECT_EQ(harness.Bytes("C"), "");  // an ordinary byte again
}

TEST(SimUnitRestart, AnswersOkAndComesBackWithPowerOnValues)
{
    UnitConfig config;
    config.powerOnOptions = {{"BUS", "SCSA"}, {"stream", "4"}};
    config.errors.phoneErrors[0] = 9;
    UnitHarness harness(config);
    RunExchanges(harness, {
        {"SET BUS", "Bus=SCSA\r\n"},
        {"SET BUS=MVIP", "OK\r\n"},
        {"SET STREAM=7", "OK\r\n"},
        {"PBXLEVELSETA", "OK\r\n"},
        {"ENRAW", "OK\r\n"},
        {"RESTART", "OK\r\n"},
        {"SET BUS", "Bus=SCSA\r\n"},
        {"SET STREAM", "Stream=4\r\n"},
        {"PBXLEVELGET", "zaqPbxLevel=d\r\n"},
        {"GETDCHANNELSTATUS", "RAW=OFF\r\n"},
    });
    harness.Command("ERRCHECK");
    harness.Bytes("C");
    harness.Bytes("X");
    EXPECT_EQ(harness.Command("RESTART"), "OK\r\n");
    EXPECT_EQ(harness.unit.Errors().phoneErrors[0], 9u);
}

TEST(SimUnitRestart, BannerFollowsTheOkWhenAsked)
{
    UnitConfig config;
    config.restartBanner = true;
    UnitHarness harness(config);
    EXPECT_EQ(harness.Command("RESTART"), "OK\r\nPress M <ENTER> for menu\r\n");
}

TEST(SimUnitSilence, SilentUnitAnswersNothingButLogsWhatItHeard)
{
    UnitConfig config;
    config.silent = true;
    UnitHarness harness(config);
    EXPECT_EQ(harness.Command("SET PBX"), "");
    EXPECT_EQ(harness.Command("ENRAW"), "");
    EXPECT_FALSE(harness.unit.RawOutput());
    EXPECT_EQ(harness.unit.CommandLog(), (std::vector<std::string>{"SET PBX", "ENRAW"}));
    harness.unit.SetSilent(false);
    EXPECT_EQ(harness.Command("SET PBX"), "PBX=Definity2D\r\n");
}

TEST(SimUnitSilence, ChosenCommandsGoUnansweredAndUndone)
{
    UnitHarness harness;
    harness.unit.SetSilentCommands({"set bus", "DISPLAY"});
    RunExchanges(harness, {
        {"SET BUS=SCSA", ""},
        {"SET BUS", ""},
        {"DISPLAY SERIAL", ""},
        {"SET CLOCK", "Clock=Master\r\n"},
    });
    harness.unit.SetSilentCommands({});
    EXPECT_EQ(harness.Command("SET BUS"), "Bus=MVIP\r\n");
}

TEST(SimUnitDelay, AnswersWaitForTheDelay)
{
    UnitConfig config;
    config.answerDelayMs = 500;
    UnitHarness harness(config);
    EXPECT_EQ(harness.Command("SET BUS"), "");
    EXPECT_EQ(harness.unit.MsUntilNextDue(), 500);
    EXPECT_EQ(harness.After(499), "");
    EXPECT_EQ(harness.After(1), "Bus=MVIP\r\n");
}

TEST(SimUnitLines, NoticesAndTextGoOutAtOnceWhateverRawOutputIs)
{
    UnitHarness harness;
    harness.unit.SendLine(zaqsim::NoticeText(5, true));
    harness.unit.SendLine(zaqsim::NoticeText(12, false));
    harness.unit.SendLine("Anything");
    EXPECT_EQ(harness.Output(), "5Y\r\n12N\r\nAnything\r\n");
}

TEST(SimUnitOutput, TakesNoMoreThanAsked)
{
    UnitHarness harness;
    harness.unit.Receive("SET PBX\r");
    EXPECT_EQ(harness.unit.TakeOutput(4), "PBX=");
    EXPECT_EQ(harness.unit.TakeOutput(), "Definity2D\r\n");
    EXPECT_EQ(harness.unit.MsUntilNextDue(), -1);
}

// The line never pauses inside an item: whole items only, the first one whatever its size.
TEST(SimUnitOutput, WholeItemsAreNeverCut)
{
    UnitHarness harness;
    harness.unit.SendLine("5Y");
    harness.unit.SendLine("12N");
    harness.unit.SendLine("Anything");
    EXPECT_EQ(harness.unit.TakeWholeItems(2), "5Y\r\n");
    EXPECT_EQ(harness.unit.TakeWholeItems(9), "12N\r\n");
    EXPECT_EQ(harness.unit.TakeWholeItems(100), "Anything\r\n");
    EXPECT_EQ(harness.unit.TakeWholeItems(100), "");
}
