// Starting and stopping the link over simulated units: board numbering, the
// board record, restarts, absent, silent, busy and vanishing units.
#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstring>
#include <thread>

#include "LinkFixture.h"
#include "qxzaqlnk.h"
#include "unit/SerialPort.h"

namespace {

using Clock = std::chrono::steady_clock;

int64_t MsSince(Clock::time_point start)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

// The board record's fields, copied out of the packed record.
struct Board {
    uint32_t pbxType = 0;
    std::string devicePath;
    uint32_t startChannel = 0;
    uint32_t hardwareVersion = 0;
    uint32_t firmwareMajor = 0;
    uint32_t firmwareMinor = 0;
    uint32_t firmwareBuild = 0;
    uint8_t raw[sizeof(ZAQ16_BOARD_INFO)] = {};
};

Board BoardInfo(uint32_t board, uint32_t* result)
{
    ZAQ16_BOARD_INFO info{};
    info.size = sizeof info;
    *result = QXZAQGetBoardInfo(board, &info);
    Board copy;
    copy.pbxType = info.pbxType;
    copy.devicePath = info.devicePath;
    copy.startChannel = info.startChannel;
    copy.hardwareVersion = info.hardwareVersion;
    copy.firmwareMajor = info.firmwareMajor;
    copy.firmwareMinor = info.firmwareMinor;
    copy.firmwareBuild = info.firmwareBuild;
    std::memcpy(copy.raw, &info, sizeof info);
    return copy;
}

struct Link {
    uint32_t result;
    uint32_t boards;
    uint32_t channels;
};

Link LinkInfo(uint16_t size = sizeof(ZAQ16_LINK_INFO))
{
    ZAQ16_LINK_INFO info{};
    info.size = size;
    const uint32_t result = QXZAQGetLinkInfo(&info);
    return {result, info.boards, info.channels};
}

class LinkStartup : public LinkFixture {};

TEST_F(LinkStartup, AbsentUnitTakesNoBoardNumberAndNoChannels)
{
    zaqsim::UnitConfig first;
    first.pbxName = "MeridianD";
    first.firmwareVersion = "2.7.13";
    first.hardwareVersion = 5;
    AddUnit(first);
    AddUnit();
    AddUnit();
    StartUnits();
    sim->Vanish(1);
    WriteRegistry({"COM1", "COM2", "COM3"});
    Load();

    EXPECT_EQ(QXZAQStartLink(nullptr), 2u);

    const Link link = LinkInfo();
    ASSERT_EQ(link.result, ZAQ16_RET_SUCCESS);
    EXPECT_EQ(link.boards, 2u);
    EXPECT_EQ(link.channels, 32u);

    uint32_t result = 0;
    const Board board0 = BoardInfo(0, &result);
    ASSERT_EQ(result, ZAQ16_RET_SUCCESS);
    EXPECT_EQ(board0.devicePath, "\\\\.\\COM1");
    EXPECT_EQ(board0.startChannel, 1u);
    EXPECT_EQ(board0.pbxType, ZAQ16_PBX_NORTEL_MERIDIAND);
    EXPECT_EQ(board0.hardwareVersion, 5u);
    EXPECT_EQ(board0.firmwareMajor, 2u);
    EXPECT_EQ(board0.firmwareMinor, 7u);
    EXPECT_EQ(board0.firmwareBuild, 13u);

    // The record's bytes, little-endian and packed.
    const uint8_t* raw = board0.raw;
    EXPECT_EQ(raw[0], 46);
    EXPECT_EQ(raw[2], ZAQ16_PBX_NORTEL_MERIDIAND);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(raw + 6)), "\\\\.\\COM1");
    EXPECT_EQ(raw[26], 1);
    EXPECT_EQ(raw[30], 5);
    EXPECT_EQ(raw[34], 2);
    EXPECT_EQ(raw[38], 7);
    EXPECT_EQ(raw[42], 13);

    const Board board1 = BoardInfo(1, &result);
    ASSERT_EQ(result, ZAQ16_RET_SUCCESS);
    EXPECT_EQ(board1.devicePath, "\\\\.\\COM3");
    EXPECT_EQ(board1.startChannel, 17u);

    BoardInfo(2, &result);
    EXPECT_EQ(result, ZAQ16_RET_INVALID_PARAM);
    ZAQ16_BOARD_INFO wrongSize{};
    wrongSize.size = 45;
    EXPECT_EQ(QXZAQGetBoardInfo(2, &wrongSize), ZAQ16_RET_BAD_SIZE);
    wrongSize.size = 44;
    EXPECT_EQ(QXZAQGetBoardInfo(0, &wrongSize), ZAQ16_RET_BAD_SIZE);
    const uint32_t untouched = wrongSize.startChannel;
    EXPECT_EQ(untouched, 0u);
    EXPECT_EQ(LinkInfo(12).result, ZAQ16_RET_BAD_SIZE);
}

TEST_F(LinkStartup, StopThenStartNumbersTheBoardsFromZeroAgain)
{
    ASSERT_EQ(StartLinkWith(2), 2u);
    EXPECT_EQ(QXZAQStopLink(), ZAQ16_RET_SUCCESS);
    EXPECT_EQ(QXZAQGetPBXType(0), ZAQ16_RET_INVALID_PARAM);
    sim->Vanish(0);
    ASSERT_EQ(QXZAQStartLink(nullptr), 1u);
    uint32_t result = 0;
    const Board board0 = BoardInfo(0, &result);
    EXPECT_EQ(result, ZAQ16_RET_SUCCESS);
    EXPECT_EQ(board0.devicePath, "\\\\.\\COM2");
    EXPECT_EQ(board0.startChannel, 1u);
}

TEST_F(LinkStartup, SecondStartWithoutStopIsRefused)
{
    ASSERT_EQ(StartLinkWith(1), 1u);
    EXPECT_EQ(QXZAQStartLink(nullptr), 1u);
    EXPECT_NE(TraceText().find("WARNING-QXZAQStartLink() Link already started"), std::string::npos);
    EXPECT_EQ(QXZAQGetPBXType(0), ZAQ16_PBX_LUCENT_DEFINITY2D);
    EXPECT_EQ(QXZAQGetPBXType(1), ZAQ16_RET_INVALID_PARAM);
}

TEST_F(LinkStartup, RestartSendsRestartAndBringsTheBoardBackUnderItsNumber)
{
    ASSERT_EQ(StartLinkWith(2), 2u);
    sim->ClearCommandLog(1);
    EXPECT_EQ(QXZAQRestart(1), ZAQ16_RET_SUCCESS);
    const auto log = sim->CommandLog(1);
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.front(), "RESTART");
    uint32_t result = 0;
    const Board board1 = BoardInfo(1, &result);
    EXPECT_EQ(result, ZAQ16_RET_SUCCESS);
    EXPECT_EQ(board1.startChannel, 17u);
    EXPECT_EQ(board1.devicePath, "\\\\.\\COM2");
    EXPECT_EQ(QXZAQRestart(2), ZAQ16_RET_INVALID_PARAM);
}

TEST_F(LinkStartup, RestartOfAUnitThatIsGoneLeavesTheBoardInvalid)
{
    ASSERT_EQ(StartLinkWith(1), 1u);
    sim->Vanish(0);
    EXPECT_EQ(QXZAQRestart(0), ZAQ16_RET_RESTART_FAILED);
    EXPECT_EQ(QXZAQGetPBXType(0), ZAQ16_RET_INVALID_PARAM);
    EXPECT_EQ(LinkInfo().boards, 1u);
}

TEST_F(LinkStartup, SilentUnitIsNotCounted)
{
    AddUnit();
    zaqsim::UnitConfig silent;
    silent.silent = true;
    AddUnit(silent);
    AddUnit();
    StartUnits();
    WriteRegistry({"COM1", "COM2", "COM3"});
    Load();
    EXPECT_EQ(QXZAQStartLink(nullptr), 2u);
    EXPECT_NE(TraceText().find("Trying to start card on \\\\.\\COM2; no ZAQ16"), std::string::npos);
    uint32_t result = 0;
    EXPECT_EQ(BoardInfo(1, &result).devicePath, "\\\\.\\COM3");
}

TEST_F(LinkStartup, UnknownPbxGetsAPlainPortAndItsCode)
{
    zaqsim::UnitConfig odd;
    odd.pbxName = "Mystery9000";
    AddUnit(odd);
    StartUnits();
    WriteRegistry({"COM1"});
    Load();
    ASSERT_EQ(QXZAQStartLink(nullptr), 1u);
    EXPECT_EQ(QXZAQGetPBXType(0), ZAQ16_PBX_UNKNOWN);
}

TEST_F(LinkStartup, MoreThanSixteenAnsweringUnitsStopAtSixteen)
{
    std::vector<std::string> cards;
    for (int unit = 0; unit < 17; ++unit) {
        AddUnit();
        cards.push_back("COM" + std::to_string(unit + 1));
    }
    StartUnits();
    WriteRegistry(cards);
    Load();
    EXPECT_EQ(QXZAQStartLink(nullptr), 16u);
    EXPECT_NE(TraceText().find("16 boards started; CARD17 and later cards are not"), std::string::npos);
    uint32_t result = 0;
    EXPECT_EQ(BoardInfo(15, &result).startChannel, 241u);
    EXPECT_TRUE(sim->CommandLog(16).empty());
}

TEST_F(LinkStartup, MissingRegistryStartsNothing)
{
    Load();
    EXPECT_EQ(QXZAQStartLink(nullptr), 0u);
    const Link link = LinkInfo();
    EXPECT_EQ(link.result, ZAQ16_RET_SUCCESS);
    EXPECT_EQ(link.boards, 0u);
}

TEST_F(LinkStartup, PortThatDoesNotExistOrIsBusyIsSkippedWithATraceLine)
{
    AddUnit();
    AddUnit();
    StartUnits();
    WriteRegistry({"COM9", "COM1", "COM2", "A_NAME_TOO_LONG_FOR_A_DEVICE", ""});
    Load();
    // Another program has COM1 open.
    CSerialPort other(("\\\\.\\" + std::string("COM1")).c_str());
    ASSERT_TRUE(other.IsOpen());
    EXPECT_EQ(QXZAQStartLink(nullptr), 1u);
    const std::string trace = TraceText();
    EXPECT_NE(trace.find("Trying to start card on \\\\.\\COM9 Error"), std::string::npos);
    EXPECT_NE(trace.find("Trying to start card on \\\\.\\COM1 Error"), std::string::npos);
    EXPECT_NE(trace.find("Started card on \\\\.\\COM2"), std::string::npos);
    EXPECT_NE(trace.find("Port name of CARD4 not usable"), std::string::npos);
    EXPECT_NE(trace.find("INFO   -QXZAQStartLink() Trying to start card on \\\\.\\ Error"), std::string::npos) << trace;
}

TEST_F(LinkStartup, VanishingUnitIsTracedAndStopStaysPrompt)
{
    ASSERT_EQ(StartLinkWith(2), 2u);
    sim->Vanish(0);
    std::this_thread::sleep_for(std::chrono::milliseconds(700));
    const auto start = Clock::now();
    EXPECT_EQ(QXZAQStopLink(), ZAQ16_RET_SUCCESS);
    EXPECT_LT(MsSince(start), 4000);
    const std::string trace = TraceText();
    EXPECT_NE(trace.find("ERROR  -ShowError       0x5"), std::string::npos) << trace;
    EXPECT_NE(trace.find("OutString \\\\.\\COM1 Error 1 Get Error 0"), std::string::npos);
}

TEST_F(LinkStartup, ExportsRacingStopAndStartNeverTouchAFreedPort)
{
    ASSERT_EQ(StartLinkWith(2), 2u);
    std::atomic<bool> done{false};
    std::thread reader([&done] {
        ZAQ16_PHONE_STATUS status;
        while (!done) {
            QXZAQGetPBXType(1);
            QXZAQGetPhoneStatus(20, &status);
        }
    });
    for (int round = 0; round < 3; ++round) {
        QXZAQStopLink();
        QXZAQStartLink(nullptr);
    }
    done = true;
    reader.join();
    EXPECT_EQ(QXZAQGetPBXType(1), ZAQ16_PBX_LUCENT_DEFINITY2D);
}

// Another thread sits in a query the unit never answers while the unit is
// restarted, or the link stopped and started: the device is let go when its
// port stops, so the new port opens it; the old port's entries fail at once.
TEST_F(LinkStartup, RestartAndStopStartReopenTheUnitWhileAnotherThreadIsInsideAnEntry)
{
    zaqsim::UnitConfig config;
    config.silentCommands = {"SET BUS"};
    AddUnit(config);
    StartUnits();
    WriteRegistry({"COM1"});
    Load();
    ASSERT_EQ(QXZAQStartLink(nullptr), 1u);
    std::atomic<bool> done{false};
    std::atomic<int> queries{0};
    std::thread asker([&] {
        while (!done) {
            QXZAQGetBusType(0);
            ++queries;
        }
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    for (int round = 0; round < 3; ++round) {
        EXPECT_EQ(QXZAQRestart(0), ZAQ16_RET_SUCCESS) << "round " << round;
        EXPECT_EQ(QXZAQStopLink(), ZAQ16_RET_SUCCESS);
        EXPECT_EQ(QXZAQStartLink(nullptr), 1u) << "round " << round;
    }
    done = true;
    asker.join();
    EXPECT_GT(queries.load(), 0);
    EXPECT_EQ(QXZAQGetPBXType(0), ZAQ16_PBX_LUCENT_DEFINITY2D);
}

TEST_F(LinkStartup, ChannelZeroBelongsToNoBoard)
{
    ASSERT_EQ(StartLinkWith(1), 1u);
    ZAQ16_PHONE_STATUS status;
    char text[8];
    EXPECT_EQ(QXZAQGetPhoneStatus(0, &status), ZAQ16_RET_BAD_CHANNEL);
    EXPECT_EQ(QXZAQGetMessage(0, text, sizeof text), ZAQ16_RET_INVALID_PARAM);
    EXPECT_EQ(QXZAQGetPhoneStatus(17, &status), ZAQ16_RET_BAD_CHANNEL);
    EXPECT_EQ(QXZAQGetPhoneStatus(16, &status), ZAQ16_RET_SUCCESS);
    EXPECT_EQ(status.ringState, QXEVT_RING_OFF);
    EXPECT_EQ(status.handsetAudio, QXEVT_AUDIO_OFF);
}

}  // namespace
