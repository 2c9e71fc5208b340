// The disk fills up while the units are recorded (a file-size limit stands
// in for the full disk): a clear trace line, the recording stops, the file
// holds whole records only, and the live link goes on delivering events.
#include <thread>

#include "DrillBench.h"
#include "decoders/DefinityFrames.h"
#include "platform/FileSizeLimit.h"

namespace {

using namespace std::chrono_literals;

// The number of whole records after the header; -1 when the file does not
// end on a record boundary or a record is malformed.
int WholeRecords(const std::string& file)
{
    if (file.size() < 2 || file.size() < 2u + static_cast<uint8_t>(file[1])) {
        return -1;
    }
    size_t at = 2 + static_cast<uint8_t>(file[1]);
    int records = 0;
    while (at < file.size()) {
        if (file[at] != 0x01 || at + 9 > file.size()) {
            return -1;
        }
        const size_t end = at + 9 + static_cast<uint8_t>(file[at + 8]) + 1;
        if (end > file.size()) {
            return -1;
        }
        at = end;
        ++records;
    }
    return records;
}

class DiskFullDrill : public DrillBench {
protected:
    // Both units send hook packets until `stop`.
    void SendTraffic(int rounds)
    {
        for (int round = 0; round < rounds; ++round) {
            for (size_t unit : {0, 1}) {
                sim->QueuePacket(unit, 2, 0x48, definity_test::Frame({0x80, static_cast<uint8_t>(1 + round % 2), 0x00}));
            }
        }
        ASSERT_TRUE(sim->WaitUntilSent(0, 10000));
        ASSERT_TRUE(sim->WaitUntilSent(1, 10000));
    }
};

TEST_F(DiskFullDrill, RecordingStopsWithATraceLineAndTheLiveLinkGoesOn)
{
    ASSERT_EQ(StartLinkWith(2, Deliver, 1), 2u);
    ASSERT_EQ(QXZAQEnableDChEvents(0), ZAQ16_RET_SUCCESS);
    ASSERT_EQ(QXZAQEnableDChEvents(1), ZAQ16_RET_SUCCESS);
    const std::string path = dir.File("full.dmp");
    ASSERT_EQ(QXZAQRecordDChannelEvents(path.c_str()), ZAQ16_RET_SUCCESS);

    // Room for a few hundred records; the trace log (errors only) stays far below it.
    const size_t room = 4096;
    const uint64_t limit = std::max<size_t>(TraceText().size(), 4) + room;
    {
        platform::FileSizeLimit full(limit);
        ASSERT_TRUE(full.Applied());
        SendTraffic(300);
        ASSERT_TRUE(WaitUntil(
            [this] {
                const std::string trace = TraceText();
                return trace.find("Board 0: recording to") != std::string::npos &&
                       trace.find("Board 1: recording to") != std::string::npos;
            },
            5000))
            << TraceText();
    }
    const std::string trace = TraceText();
    EXPECT_NE(trace.find("ERROR  -RecordDumpFile  Board 0: recording to " + path +
                         " stopped, a record could not be written"),
              std::string::npos)
        << trace;

    // The file stopped at the limit, on a record boundary.
    const std::string file = ReadWholeFile(path);
    EXPECT_LE(file.size(), limit);
    EXPECT_GT(file.size(), limit - 64);
    EXPECT_GT(WholeRecords(file), 0) << file.size();

    // With room again, the stopped recording stays stopped...
    SendTraffic(5);
    std::this_thread::sleep_for(200ms);
    EXPECT_EQ(ReadWholeFile(path), file);
    // ...the live link goes on...
    const size_t before[2] = {CountOf(0), CountOf(1)};
    sim->SendNotice(0, 3, true);
    sim->SendNotice(1, 4, true);
    EXPECT_TRUE(WaitUntil([&] { return CountOf(0) > before[0] && CountOf(1) > before[1]; }, 3000));
    // ...and a new recording records.
    const std::string next = dir.File("next.dmp");
    ASSERT_EQ(QXZAQRecordDChannelEvents(next.c_str()), ZAQ16_RET_SUCCESS);
    SendTraffic(3);
    EXPECT_TRUE(WaitUntil([&] { return WholeRecords(ReadWholeFile(next)) == 6; }, 3000));
    EXPECT_EQ(QXZAQRecordDChannelEvents(nullptr), ZAQ16_RET_SUCCESS);

    // What was recorded before the disk filled up plays to its end.
    ASSERT_EQ(QXZAQPlayDChannelEventsTime(path.c_str(), 0), ZAQ16_RET_SUCCESS);
    EXPECT_TRUE(WaitUntil([this] { return FinishedPlays() >= 2; }, 10000));
}

}  // namespace
