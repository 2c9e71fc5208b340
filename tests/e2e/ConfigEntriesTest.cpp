// The configuration and status entries against a simulated unit: the command
// each sends, the value mapping, the answers, refusals and time-outs.
#include <chrono>
#include <cstring>

#include "LinkFixture.h"
#include "qxzaqlnk.h"

namespace {

using Clock = std::chrono::steady_clock;

int64_t MsSince(Clock::time_point start)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

class ConfigEntries : public LinkFixture {
protected:
    void SetUp() override
    {
        LinkFixture::SetUp();
        zaqsim::UnitConfig unit;
        unit.pbxName = "Definity4D";
        unit.serialNumber = 424242;
        for (size_t line = 0; line < 16; ++line) {
            unit.levels[line] = static_cast<uint8_t>(10 + line);
            unit.errors.phoneErrors[line] = static_cast<uint32_t>(line);
            unit.errors.pbxErrorRate[line] = static_cast<uint32_t>(100 + line);
        }
        AddUnit(unit);
        StartUnits();
        WriteRegistry({"COM1"});
        Load();
        ASSERT_EQ(QXZAQStartLink(nullptr), 1u);
        sim->ClearCommandLog(0);
    }
    std::vector<std::string> Sent() { return sim->CommandLog(0); }
};

using SetFunction = uint32_t(QXZAQ_CALL*)(uint32_t, int32_t);
using GetFunction = uint32_t(QXZAQ_CALL*)(uint32_t);

struct SetCase {
    const char* name;
    SetFunction set;
    GetFunction get;
    int32_t value;
    const char* command;
};

const SetCase kSetCases[] = {
    {"Bus", QXZAQSetBusType, QXZAQGetBusType, 2, "SET BUS=SCSA"},
    {"Bus", QXZAQSetBusType, QXZAQGetBusType, 1, "SET BUS=MVIP"},
    {"Clock", QXZAQSetClockType, QXZAQGetClockType, 1, "SET CLOCK=SLAVE"},
    {"Encoding", QXZAQSetEncodingType, QXZAQGetEncodingType, 1, "SET ENCODING=ALAW"},
    {"RDSP", QXZAQSetRDSPType, QXZAQGetRDSPType, 1, "SET RDSP=ON"},
    {"Split", QXZAQSetSplitType, QXZAQGetSplitType, 1, "SET SPLIT=ON"},
    {"StartStopDetect", QXZAQSetStartStopDetect, QXZAQGetStartStopDetect, 1, "SET STARTSTOPDETECT=ON"},
    {"Stream", QXZAQSetStream, QXZAQGetStream, 5, "SET STREAM=5"},
    {"Slots", QXZAQSetSlots, QXZAQGetSlots, 24, "SET SLOTS=24"},
    {"StartStopMin", QXZAQSetStartStopMin, QXZAQGetStartStopMin, 3, "SET STARTSTOPMIN=3"},
    {"StartStopMax", QXZAQSetStartStopMax, QXZAQGetStartStopMax, 40, "SET STARTSTOPMAX=40"},
    {"VOXOn", QXZAQSetVOXStartStopOn, QXZAQGetVOXStartStopOn, 25, "SET STARTSTOPON=25"},
    {"VOXOff", QXZAQSetVOXStartStopOff, QXZAQGetVOXStartStopOff, 12, "SET STARTSTOPOFF=12"},
};

TEST_F(ConfigEntries, EverySetEntrySendsItsCommandAndTheGetEntryReadsItBack)
{
    for (const SetCase& entry : kSetCases) {
        sim->ClearCommandLog(0);
        EXPECT_EQ(entry.set(0, entry.value), ZAQ16_RET_SUCCESS) << entry.name;
        EXPECT_EQ(Sent(), std::vector<std::string>{entry.command}) << entry.name;
        EXPECT_EQ(entry.get(0), static_cast<uint32_t>(entry.value)) << entry.name;
        EXPECT_EQ(entry.set(1, entry.value), ZAQ16_RET_INVALID_PARAM) << entry.name;
        EXPECT_EQ(entry.get(1), ZAQ16_RET_INVALID_PARAM) << entry.name;
    }
}

TEST_F(ConfigEntries, ValuesOutsideTheNamedOnesAreRefusedWithoutSending)
{
    EXPECT_EQ(QXZAQSetBusType(0, 3), ZAQ16_RET_INVALID_PARAM);
    EXPECT_EQ(QXZAQSetBusType(0, 0), ZAQ16_RET_INVALID_PARAM);
    EXPECT_EQ(QXZAQSetClockType(0, 2), ZAQ16_RET_INVALID_PARAM);
    EXPECT_EQ(QXZAQSetEncodingType(0, -1), ZAQ16_RET_INVALID_PARAM);
    EXPECT_EQ(QXZAQSetRDSPType(0, 2), ZAQ16_RET_INVALID_PARAM);
    EXPECT_EQ(QXZAQSetPBXLevel(0, 256), ZAQ16_RET_INVALID_PARAM);
    EXPECT_EQ(QXZAQSetLightMask0(0, "0123456789"), ZAQ16_RET_INVALID_PARAM);
    EXPECT_EQ(QXZAQSetLightMask1(0, nullptr), ZAQ16_RET_INVALID_PARAM);
    EXPECT_TRUE(Sent().empty());
}

TEST_F(ConfigEntries, UnitRefusalGivesUnitError)
{
    EXPECT_EQ(QXZAQSetStream(0, 70000), ZAQ16_RET_UNIT_ERROR);
}

TEST_F(ConfigEntries, PbxLevelGoesAsOneRawByte)
{
    for (int level : {65, 0, 13, 200}) {
        sim->ClearCommandLog(0);
        EXPECT_EQ(QXZAQSetPBXLevel(0, level), ZAQ16_RET_SUCCESS) << level;
        EXPECT_EQ(sim->PbxLevel(0), level);
        std::string expected = "PBXLEVELSET";
        expected += static_cast<char>(level);
        EXPECT_EQ(Sent(), std::vector<std::string>{expected});
        if (level != 13) {
            EXPECT_EQ(QXZAQGetPBXLevel(0), static_cast<uint32_t>(level));
        }
    }
}

TEST_F(ConfigEntries, LightMasksRoundTrip)
{
    EXPECT_EQ(QXZAQSetLightMask0(0, "12AB"), ZAQ16_RET_SUCCESS);
    EXPECT_EQ(QXZAQSetLightMask1(0, "123456789"), ZAQ16_RET_SUCCESS);
    char mask[16];
    std::memset(mask, 'z', sizeof mask);
    EXPECT_EQ(QXZAQGetLightMask0(0, mask), static_cast<uint32_t>('1'));
    EXPECT_STREQ(mask, "12AB");
    EXPECT_EQ(QXZAQGetLightMask1(0, mask), static_cast<uint32_t>('1'));
    EXPECT_STREQ(mask, "123456789");
    EXPECT_EQ(QXZAQGetLightMask0(1, mask), ZAQ16_RET_INVALID_PARAM);
}

TEST_F(ConfigEntries, StatusQueries)
{
    uint32_t serial = 0;
    EXPECT_EQ(QXZAQGetSerialNumber(0, &serial), ZAQ16_RET_SUCCESS);
    EXPECT_EQ(serial, 424242u);
    EXPECT_EQ(QXZAQGetSerialNumber(0, nullptr), ZAQ16_RET_INVALID_PARAM);
    EXPECT_EQ(QXZAQGetDChannelStatus(0), 0u);

    uint8_t levels[16] = {};
    EXPECT_EQ(QXZAQGetPhoneLevels(0, levels), ZAQ16_RET_SUCCESS);
    EXPECT_EQ(levels[0], 10);
    EXPECT_EQ(levels[15], 25);
    EXPECT_EQ(QXZAQGetPhoneLevels(3, levels), ZAQ16_RET_INVALID_PARAM);

    uint32_t counters[16] = {};
    EXPECT_EQ(QXZAQCheckErrors(0, counters), ZAQ16_RET_SUCCESS);
    const auto* bytes = reinterpret_cast<const uint8_t*>(counters);
    EXPECT_EQ(bytes[5], 5);
    EXPECT_EQ(bytes[48 + 15], 115);
    EXPECT_EQ(QXZAQClearErrors(0), ZAQ16_RET_SUCCESS);
    EXPECT_EQ(QXZAQCheckErrors(0, counters), ZAQ16_RET_SUCCESS);
    EXPECT_EQ(bytes[5], 0);
    EXPECT_EQ(bytes[48 + 15], 0);
}

TEST_F(ConfigEntries, SilenceTimesOutAfterTheCommandAndQueryWaits)
{
    sim->SetSilentCommands(0, {"SET SLOTS", "DISPLAY"});
    auto start = Clock::now();
    EXPECT_EQ(QXZAQSetSlots(0, 4), ZAQ16_RET_TIMEOUT);
    EXPECT_GE(MsSince(start), 2900);
    EXPECT_LT(MsSince(start), 5000);
    start = Clock::now();
    EXPECT_EQ(QXZAQGetSlots(0), ZAQ16_NO_ANSWER);
    EXPECT_GE(MsSince(start), 750);
    EXPECT_LT(MsSince(start), 2500);
    uint32_t serial = 0;
    EXPECT_EQ(QXZAQGetSerialNumber(0, &serial), ZAQ16_RET_NOT_READY);
    EXPECT_EQ(serial, ZAQ16_NO_ANSWER);
    uint8_t levels[16];
    EXPECT_EQ(QXZAQGetPhoneLevels(0, levels), ZAQ16_RET_TIMEOUT);
    EXPECT_NE(TraceText().find("INFO   -QXZAQGetPhoneLevels RETURNED TIMEOUT"), std::string::npos);
}

TEST_F(ConfigEntries, ReadBackEntriesCheckTheirArguments)
{
    uint32_t y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
    EXPECT_EQ(QXZAQGetPBXDate_Time(0, &y, &mo, &d, &h, &mi, &s), ZAQ16_RET_NOT_READY);
    EXPECT_EQ(QXZAQGetPBXDate_Time(0, &y, &mo, &d, &h, &mi, nullptr), ZAQ16_RET_INVALID_PARAM);
    EXPECT_EQ(QXZAQGetPBXDate_Time(1, &y, &mo, &d, &h, &mi, &s), ZAQ16_RET_INVALID_PARAM);

    ZAQ16_PHONE_STATUS status;
    EXPECT_EQ(QXZAQGetPhoneStatus(17, &status), ZAQ16_RET_BAD_CHANNEL);
    EXPECT_EQ(QXZAQGetPhoneStatus(3, nullptr), ZAQ16_RET_INVALID_PARAM);
    EXPECT_EQ(QXZAQGetPhoneStatus(3, &status), ZAQ16_RET_SUCCESS);

    char text[8] = "xxxxxxx";
    EXPECT_EQ(QXZAQGetMessage(3, text, sizeof text), ZAQ16_RET_SUCCESS);
    EXPECT_EQ(QXZAQGetMessage(3, nullptr, 8), ZAQ16_RET_INVALID_PARAM);
    EXPECT_EQ(QXZAQGetMessage(17, text, sizeof text), ZAQ16_RET_INVALID_PARAM);
}

}  // namespace
