// The command protocol of a unit port against a stand-in unit: confirmed
// commands, queries, raw bytes, refused values and time-outs.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <memory>

#include "support/EventCollector.h"
#include "support/MemorySerialDevice.h"
#include "support/TraceCapture.h"
#include "unit/ZAQ16PORT.h"

namespace {

using Clock = std::chrono::steady_clock;

class PortCommands : public testing::Test {
protected:
    void SetUp() override
    {
        wire->waitForInput = true;
        port = std::make_shared<ZAQ16PORT>(nullptr, 1, events);
        port->AttachDevice(std::make_unique<MemorySerialDevice>(wire));
        ASSERT_TRUE(port->StartThread(0));
    }
    void TearDown() override { EXPECT_TRUE(port->StopThread(2000)); }

    // The unit answers each command line with the text the map gives for it.
    void Answer(std::function<std::string(const std::string&)> answer)
    {
        std::lock_guard<std::mutex> guard(wire->mutex);
        wire->responder = std::move(answer);
    }

    std::shared_ptr<Wire> wire = std::make_shared<Wire>();
    EventCollector events;
    std::shared_ptr<ZAQ16PORT> port;
};

TEST_F(PortCommands, NamedValueIsMappedToTheUnitsWord)
{
    Answer([](const std::string&) { return "OK\r\n"; });
    EXPECT_EQ(port->SetOptionValue(UnitOption::Clock, 1), ZAQ16_RET_SUCCESS);
    EXPECT_EQ(Written(*wire), "SET CLOCK=SLAVE\r");
    EXPECT_EQ(port->Answers().clockType, 1);
}

TEST_F(PortCommands, ValueOutsideTheNamedValuesSendsNothing)
{
    EXPECT_EQ(port->SetOptionValue(UnitOption::Bus, 3), ZAQ16_RET_INVALID_PARAM);
    EXPECT_EQ(port->SetOptionValue(UnitOption::RDSP, -1), ZAQ16_RET_INVALID_PARAM);
    EXPECT_EQ(Written(*wire), "");
}

TEST_F(PortCommands, AnAnswerThatComesBeforeTheWaitStillCounts)
{
    // The stand-in answers inside the write, before the sender starts waiting.
    Answer([](const std::string&) { return "OK\r\n"; });
    for (int round = 0; round < 20; ++round) {
        ASSERT_EQ(port->SetOptionValue(UnitOption::Stream, round), ZAQ16_RET_SUCCESS) << round;
    }
}

TEST_F(PortCommands, RefusedCommandGivesUnitError)
{
    Answer([](const std::string&) { return "ERROR\r\n"; });
    EXPECT_EQ(port->SetOptionValue(UnitOption::Slots, 99), ZAQ16_RET_UNIT_ERROR);
    EXPECT_EQ(port->Answers().slots, -1);
}

TEST_F(PortCommands, SilentUnitTimesOutAfterTheCommandWait)
{
    const auto start = Clock::now();
    EXPECT_EQ(port->SetOptionValue(UnitOption::Split, 1), ZAQ16_RET_TIMEOUT);
    const auto waited = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
    EXPECT_GE(waited, 2900);
    EXPECT_LT(waited, 6000);
}

TEST_F(PortCommands, OnlyRestartWaitsTheRestartTime)
{
    // A light mask that reads "RESTART" is an ordinary command: a silent unit
    // times it out after the command wait, not after the minute a restart may take.
    const auto start = Clock::now();
    EXPECT_EQ(port->SetLightMask(0, "RESTART"), ZAQ16_RET_TIMEOUT);
    const auto waited = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
    EXPECT_LT(waited, 30000);
    Answer([](const std::string& line) { return line == "RESTART\r" ? "OK\r\n" : ""; });
    EXPECT_EQ(port->Restart(), ZAQ16_RET_SUCCESS);
}

TEST_F(PortCommands, PbxLevelTravelsAsOneRawByteOfAnyValue)
{
    Answer([](const std::string&) { return "OK\r\n"; });
    for (int level : {65, 0, 13, 255}) {
        {
            std::lock_guard<std::mutex> guard(wire->mutex);
            wire->written.clear();
        }
        EXPECT_EQ(port->SetPBXLevel(level), ZAQ16_RET_SUCCESS);
        std::string expected = "PBXLEVELSET";
        expected += static_cast<char>(level);
        expected += '\r';
        EXPECT_EQ(Written(*wire), expected) << level;
    }
    EXPECT_EQ(port->SetPBXLevel(256), ZAQ16_RET_INVALID_PARAM);
    EXPECT_EQ(port->SetPBXLevel(-1), ZAQ16_RET_INVALID_PARAM);
}

TEST_F(PortCommands, PbxLevelIsTracedAsTheCommandText)
{
    TraceCapture trace;
    Answer([](const std::string&) { return "OK\r\n"; });
    EXPECT_EQ(port->SetPBXLevel(65), ZAQ16_RET_SUCCESS);
    EXPECT_TRUE(trace.Contains("TRACE  -SetOption       PBXLEVELSETA RETURNED")) << trace.Text();
}

TEST_F(PortCommands, QueryReturnsTheAnsweredValueOrMinusOneAfterItsWait)
{
    Answer([](const std::string& command) { return command == "SET STREAM\r" ? "Stream=12\r\n" : ""; });
    EXPECT_EQ(port->GetOptionValue(UnitOption::Stream), 12);
    const auto start = Clock::now();
    EXPECT_EQ(port->GetOptionValue(UnitOption::Slots), -1);
    const auto waited = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
    EXPECT_GE(waited, 750);
    EXPECT_LT(waited, 2000);
}

TEST_F(PortCommands, LightMasksOfMoreThanNineCharactersAreRefused)
{
    Answer([](const std::string& command) {
        return command == "SET LIGHTMASK1\r" ? std::string("LightMask1=A1B2\r\n") : std::string("OK\r\n");
    });
    EXPECT_EQ(port->SetLightMask(0, "0123456789"), ZAQ16_RET_INVALID_PARAM);
    EXPECT_EQ(Written(*wire), "");
    EXPECT_EQ(port->SetLightMask(0, "012345678"), ZAQ16_RET_SUCCESS);
    char mask[10] = "zzzzzzzzz";
    EXPECT_EQ(port->GetLightMask(1, mask), 'A');
    EXPECT_STREQ(mask, "A1B2");
}

TEST_F(PortCommands, CommandLongerThanTheCommandBufferIsNotSent)
{
    const std::string longCommand(90, 'A');
    EXPECT_EQ(port->SetOption(longCommand.c_str()), ZAQ16_RET_INVALID_PARAM);
    EXPECT_EQ(port->SendCmd(longCommand.c_str()), 0u);
    EXPECT_EQ(Written(*wire), "");
}

TEST_F(PortCommands, ErrorCountersAreReadAndClearedWithTheUnitsKeys)
{
    auto table = [](int first) {
        std::string text;
        const char* names[] = {"Phone Errors =", "Pbx   Errors =", "Phone Errs/s =", "Pbx Errors/s ="};
        for (int row = 0; row < 4; ++row) {
            text += names[row];
            for (int line = 0; line < 16; ++line) {
                text += " " + std::to_string(first == 0 ? 0 : first + row * 16 + line);
            }
            text += "\r\n";
        }
        return text + "Press R to Redisplay\r\n";
    };
    Answer([&table](const std::string& command) -> std::string {
        if (command == "ERRCHECK\r") {
            return table(1);
        }
        if (command == "C") {
            return table(0);
        }
        return command == "X" ? "Press M <ENTER> for menu\r\n" : "";
    });
    uint8_t counters[64] = {};
    EXPECT_EQ(port->CheckErrors(counters), ZAQ16_RET_SUCCESS);
    for (int i = 0; i < 64; ++i) {
        EXPECT_EQ(counters[i], i + 1) << i;
    }
    EXPECT_EQ(Written(*wire), "ERRCHECK\rX");
    {
        std::lock_guard<std::mutex> guard(wire->mutex);
        wire->written.clear();
    }
    EXPECT_EQ(port->CheckErrors(nullptr), ZAQ16_RET_SUCCESS);
    EXPECT_EQ(Written(*wire), "ERRCHECK\rCX");
}

TEST_F(PortCommands, LevelsBoardVersionAndSerialQueries)
{
    Answer([](const std::string& command) -> std::string {
        if (command == "DISPLAY LEVELS\r") {
            std::string line = "Levels =";
            for (int channel = 0; channel < 16; ++channel) {
                char field[16];
                std::snprintf(field, sizeof field, " %3d", channel + 100);
                line += field;
            }
            return line + "\r\n";
        }
        if (command == "DISPLAY VERSIONS\r") {
            return "Hardware = 7\r\nFirmware = 3.2.1\r\n";
        }
        return command == "DISPLAY SERIAL\r" ? "Serial=5150\r\n" : "";
    });
    uint8_t levels[16] = {};
    EXPECT_EQ(port->GetPhoneLevels(levels), ZAQ16_RET_SUCCESS);
    EXPECT_EQ(levels[0], 100);
    EXPECT_EQ(levels[15], 115);
    EXPECT_EQ(port->GetBoardInfo(), 1);
    EXPECT_EQ(port->Answers().hardwareVersion, 7);
    EXPECT_EQ(port->Answers().firmwareBuild, 1);
    uint32_t serial = 0;
    EXPECT_EQ(port->GetSerialNumber(&serial), ZAQ16_RET_SUCCESS);
    EXPECT_EQ(serial, 5150u);
}

TEST_F(PortCommands, StopEndsTheReaderPromptly)
{
    const auto start = Clock::now();
    EXPECT_TRUE(port->StopThread(2000));
    EXPECT_LT(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count(), 500);
}

}  // namespace
