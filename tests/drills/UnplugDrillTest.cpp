// A unit unplugged and plugged back while its neighbours keep sending: the
// board reports the loss, comes back on a restart, and the other boards'
// events never stop.
#include <atomic>
#include <thread>

#include "DrillBench.h"

namespace {

using namespace std::chrono_literals;

class UnplugDrill : public DrillBench {
protected:
    // Every unit but `quiet` sends a start/stop notice every few milliseconds.
    void StartChatter(size_t units, size_t quiet)
    {
        chatter = std::thread([this, units, quiet] {
            for (uint32_t n = 0; !stopChatter; ++n) {
                for (size_t unit = 0; unit < units; ++unit) {
                    if (unit != quiet) {
                        sim->SendNotice(unit, 1 + n % 16, n % 2 == 0);
                    }
                }
                std::this_thread::sleep_for(10ms);
            }
        });
    }
    void TearDown() override
    {
        stopChatter = true;
        if (chatter.joinable()) {
            chatter.join();
        }
        DrillBench::TearDown();
    }
    // The neighbours' events still arrive: each of them gets more within a while.
    void ExpectNeighboursDeliver(const char* when)
    {
        const size_t before0 = CountOf(0);
        const size_t before2 = CountOf(2);
        EXPECT_TRUE(WaitUntil([&] { return CountOf(0) > before0 + 5 && CountOf(2) > before2 + 5; }, 5000)) << when;
    }

    std::thread chatter;
    std::atomic<bool> stopChatter{false};
};

TEST_F(UnplugDrill, LossIsReportedRestartBringsTheBoardBackNeighboursNeverStop)
{
    ASSERT_EQ(StartLinkWith(3, Deliver, 3), 3u);
    StartChatter(3, 1);
    ExpectNeighboursDeliver("before the unplug");

    sim->Vanish(1);
    // The board's commands fail now, each within its bounded wait.
    const auto asked = std::chrono::steady_clock::now();
    EXPECT_NE(QXZAQSetBusType(1, 2), ZAQ16_RET_SUCCESS);
    EXPECT_LT(std::chrono::steady_clock::now() - asked, 10s);
    EXPECT_TRUE(WaitUntil([this] { return TraceText().find("OutString \\\\.\\COM2 Error") != std::string::npos; }, 5000))
        << TraceText();
    ExpectNeighboursDeliver("while the unit is unplugged");

    std::string error;
    ASSERT_TRUE(sim->PlugIn(1, error)) << error;
    EXPECT_FALSE(sim->PlugIn(1, error));  // it is plugged in already
    // The board's old handle died with the unplug: the restart opens the
    // device anew under the same name.
    ASSERT_EQ(QXZAQRestart(1), ZAQ16_RET_SUCCESS);

    // Back under its number and channels, answering and delivering.
    ZAQ16_BOARD_INFO info{};
    info.size = sizeof info;
    ASSERT_EQ(QXZAQGetBoardInfo(1, &info), ZAQ16_RET_SUCCESS);
    // The record is packed: its fields are copied before they are compared.
    const uint32_t startChannel = info.startChannel;
    EXPECT_EQ(startChannel, 17u);
    EXPECT_STREQ(info.devicePath, "\\\\.\\COM2");
    EXPECT_EQ(QXZAQSetBusType(1, 2), ZAQ16_RET_SUCCESS);
    EXPECT_EQ(QXZAQGetBusType(1), 2u);
    const size_t before = CountOf(1);
    sim->SendNotice(1, 9, true);
    EXPECT_TRUE(WaitUntil([&] { return CountOf(1) > before; }, 5000));
    ExpectNeighboursDeliver("after the restart");
}

// The unit comes and goes several times, restarted each time it is back; a
// restart while it is still away is refused with its code and never hangs.
TEST_F(UnplugDrill, RepeatedUnplugsWithARestartEachTime)
{
    ASSERT_EQ(StartLinkWith(3, Deliver, 3), 3u);
    StartChatter(3, 1);
    for (int round = 0; round < 3; ++round) {
        sim->Vanish(1);
        std::this_thread::sleep_for(200ms);
        std::string error;
        ASSERT_TRUE(sim->PlugIn(1, error)) << error;
        EXPECT_EQ(QXZAQRestart(1), ZAQ16_RET_SUCCESS) << "round " << round;
        EXPECT_EQ(QXZAQGetPBXType(1), ZAQ16_PBX_LUCENT_DEFINITY2D) << "round " << round;
        ExpectNeighboursDeliver("between unplugs");
    }
    sim->Vanish(1);
    const auto asked = std::chrono::steady_clock::now();
    EXPECT_EQ(QXZAQRestart(1), ZAQ16_RET_RESTART_FAILED);
    EXPECT_LT(std::chrono::steady_clock::now() - asked, 10s);
    ExpectNeighboursDeliver("after the failed restart");
    EXPECT_EQ(QXZAQStopLink(), ZAQ16_RET_SUCCESS);
}

}  // namespace

namespace {

// Records of `board` in a dump file (format 2), -1 when the file is not whole.
int RecordsOfBoard(const std::string& file, uint8_t board)
{
    if (file.size() < 2 || file.size() < 2u + static_cast<uint8_t>(file[1])) {
        return -1;
    }
    int records = 0;
    for (size_t at = 2 + static_cast<uint8_t>(file[1]); at < file.size();) {
        if (file[at] != 0x01 || at + 9 > file.size()) {
            return -1;
        }
        records += static_cast<uint8_t>(file[at + 1]) == board ? 1 : 0;
        at += 9 + static_cast<uint8_t>(file[at + 8]) + 1;
        if (at > file.size()) {
            return -1;
        }
    }
    return records;
}

}  // namespace

// A recording of every unit goes on with a board restarted after an unplug,
// into the same file; it used to stop for that board without a word.
TEST_F(UnplugDrill, ARestartedBoardGoesOnRecording)
{
    ASSERT_EQ(StartLinkWith(2, Deliver, 1), 2u);
    const std::string path = dir.File("restart.dmp");
    ASSERT_EQ(QXZAQRecordDChannelEvents(path.c_str()), ZAQ16_RET_SUCCESS);
    ASSERT_EQ(QXZAQEnableDChEvents(1), ZAQ16_RET_SUCCESS);
    ASSERT_TRUE(sim->QueuePacket(1, 4, 0x58, {0x41, 0x42}));
    ASSERT_TRUE(WaitUntil([&] { return RecordsOfBoard(ReadWholeFile(path), 1) == 1; }, 5000));

    sim->Vanish(1);
    std::string error;
    ASSERT_TRUE(sim->PlugIn(1, error)) << error;
    ASSERT_EQ(QXZAQRestart(1), ZAQ16_RET_SUCCESS);
    ASSERT_EQ(QXZAQEnableDChEvents(1), ZAQ16_RET_SUCCESS);
    ASSERT_TRUE(sim->QueuePacket(1, 4, 0x58, {0x43, 0x44}));
    EXPECT_TRUE(WaitUntil([&] { return RecordsOfBoard(ReadWholeFile(path), 1) == 2; }, 5000))
        << RecordsOfBoard(ReadWholeFile(path), 1);

    // Stopped, it stays stopped for the restarted board too.
    ASSERT_EQ(QXZAQRecordDChannelEvents(nullptr), ZAQ16_RET_SUCCESS);
    ASSERT_TRUE(sim->QueuePacket(1, 4, 0x58, {0x45, 0x46}));
    ASSERT_TRUE(sim->WaitUntilSent(1, 5000));
    std::this_thread::sleep_for(200ms);
    EXPECT_EQ(RecordsOfBoard(ReadWholeFile(path), 1), 2);
}
