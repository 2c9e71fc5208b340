// Recording a unit's packets into a dump file, and playing dump files back
// through a port: board selection, both formats, damaged files, timing, stop.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <thread>

#include "support/EventCollector.h"
#include "support/MemorySerialDevice.h"
#include "support/RecordingDecoder.h"
#include "support/TempDir.h"
#include "support/TraceCapture.h"
#include "unit/ZAQ16PORT.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// Builds dump files: format 2 (header and records with board and time) or the old one.
// Written here on its own, not with common/DumpFormat: a test must not share the code it checks.
class DumpBuilder {
public:
    explicit DumpBuilder(bool format2, std::vector<uint8_t> types = {}) : format2_(format2)
    {
        if (format2_) {
            bytes_ = {0x02, static_cast<uint8_t>(types.size())};
            bytes_.insert(bytes_.end(), types.begin(), types.end());
        }
    }
    DumpBuilder& Record(uint8_t board, uint32_t gapMs, uint8_t channel, std::vector<uint8_t> payload)
    {
        std::vector<uint8_t> packet = UnitPacket(channel, 0x48, payload);
        bytes_.push_back(0x01);
        if (format2_) {
            bytes_.push_back(board);
            for (int shift = 0; shift < 32; shift += 8) {
                bytes_.push_back(static_cast<uint8_t>(gapMs >> shift));
            }
        }
        bytes_.insert(bytes_.end(), packet.begin() + 1, packet.end());
        return *this;
    }
    DumpBuilder& Raw(std::vector<uint8_t> bytes)
    {
        bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
        return *this;
    }
    std::string Write(const TempDir& dir, const std::string& name) const
    {
        const std::string path = dir.File(name);
        WriteWholeFile(path, std::string(bytes_.begin(), bytes_.end()));
        return path;
    }

private:
    bool format2_;
    std::vector<uint8_t> bytes_;
};

class DumpPlayback : public testing::Test {
protected:
    // A playback port of board 1 (start channel 17).
    void SetUp() override
    {
        port = std::make_shared<ZAQ16PORT>(nullptr, 17, events, RecordInto(seen));
        port->onPlaybackEnd = [this](ZAQ16PORT&, ZAQ16PORT::PlaybackEnd phase) { phases.push_back(phase); };
    }
    // Plays on the test's thread; returns the milliseconds it took.
    int64_t PlayToTheEnd(const std::string& path, int32_t timeMode)
    {
        port->timeMode = timeMode;
        EXPECT_EQ(port->PlayDumpFile(path.c_str()), ZAQ16_RET_SUCCESS);
        const auto start = Clock::now();
        for (int steps = 0; steps < 100000 && port->Step(); ++steps) {
        }
        return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
    }
    bool FinishedPosted() const
    {
        const auto posted = events.Events();
        return !posted.empty() && posted.back().eventCode == QXEVT_FINISHED_PLAY && posted.back().board == 1;
    }

    TempDir dir;
    EventCollector events;
    std::vector<ZAQ16PORT::PlaybackEnd> phases;
    // What reached the port's decoder: each packet's payload, and its channel.
    std::vector<std::vector<uint8_t>> Payloads() const
    {
        std::vector<std::vector<uint8_t>> payloads;
        for (const SeenPacket& packet : seen) {
            payloads.push_back(packet.payload);
        }
        return payloads;
    }
    std::vector<uint8_t> Channels() const
    {
        std::vector<uint8_t> channels;
        for (const SeenPacket& packet : seen) {
            channels.push_back(packet.channel);
        }
        return channels;
    }

    std::vector<SeenPacket> seen;
    std::shared_ptr<ZAQ16PORT> port;
};

TEST_F(DumpPlayback, PortKeepsOnlyItsOwnBoardsRecords)
{
    const std::string path = DumpBuilder(true, {2, 1})
                                 .Record(0, 0, 1, {0x10})
                                 .Record(1, 0, 2, {0x20})
                                 .Record(0, 0, 3, {0x30, 0x31})
                                 .Record(1, 0, 4, {0x40})
                                 .Write(dir, "two.dmp");
    PlayToTheEnd(path, 0);
    EXPECT_EQ(Payloads(), (std::vector<std::vector<uint8_t>>{{0x20}, {0x40}}));
    EXPECT_EQ(Channels(), (std::vector<uint8_t>{2, 4}));
    EXPECT_TRUE(FinishedPosted());
    EXPECT_EQ(phases, (std::vector<ZAQ16PORT::PlaybackEnd>{ZAQ16PORT::PlaybackEnd::BeforeFinishedEvent,
                                                           ZAQ16PORT::PlaybackEnd::AfterFinishedEvent}));
}

TEST_F(DumpPlayback, OldFormatPlaysEveryRecordOnEveryPort)
{
    const std::string path = DumpBuilder(false).Record(0, 0, 1, {0x10}).Record(0, 0, 2, {0x20}).Write(dir, "old.dmp");
    PlayToTheEnd(path, -1);
    EXPECT_EQ(Payloads().size(), 2u);
    EXPECT_TRUE(FinishedPosted());
}

TEST_F(DumpPlayback, TruncatedFileEndsThePlaybackWithItsTraceLineAndStillFinishes)
{
    TraceCapture trace;
    const std::string path =
        DumpBuilder(true, {2, 2}).Record(1, 0, 2, {0x20}).Raw({0x01, 0x01, 0, 0, 0, 0, 0x05, 0x48, 0x04, 0xAA}).Write(
            dir, "cut.dmp");
    PlayToTheEnd(path, 0);
    EXPECT_EQ(Payloads().size(), 1u);
    EXPECT_TRUE(trace.Contains("ZAQ16PORT::HAndlePacket board 2 play file error 2")) << trace.Text();
    EXPECT_TRUE(trace.Contains("ZAQ16PORT::Main board 2 finishing 1"));
    EXPECT_TRUE(FinishedPosted());
}

TEST_F(DumpPlayback, RecordCutInsideItsBoardOrTimeFieldEndsWithReadError)
{
    TraceCapture trace;
    const std::string path = DumpBuilder(true, {2, 2}).Raw({0x01, 0x01, 0x10}).Write(dir, "short.dmp");
    PlayToTheEnd(path, 0);
    EXPECT_TRUE(trace.Contains("board 2 read error 1")) << trace.Text();
    EXPECT_TRUE(FinishedPosted());
}

TEST_F(DumpPlayback, OtherBoardsRecordCutShortEndsWithFreadError)
{
    TraceCapture trace;
    const std::string path =
        DumpBuilder(true, {2, 2}).Raw({0x01, 0x00, 0, 0, 0, 0, 0x03, 0x48, 0x09, 0x01}).Write(dir, "skip.dmp");
    PlayToTheEnd(path, 0);
    EXPECT_TRUE(trace.Contains("board 2 fread error 3")) << trace.Text();
    EXPECT_TRUE(FinishedPosted());
}

TEST_F(DumpPlayback, RecordWithAChannelOf16OrMoreIsDroppedAndPlaybackGoesOn)
{
    TraceCapture trace;
    const std::string path = DumpBuilder(true, {2, 2})
                                 .Raw({0x01, 0x01, 0, 0, 0, 0, 0x12, 0x48, 0x01, 0x10, 0xF0})
                                 .Record(1, 0, 3, {0x33})
                                 .Write(dir, "chdev.dmp");
    PlayToTheEnd(path, 0);
    EXPECT_TRUE(trace.Contains("chdev out of range 18, channel 35"));
    ASSERT_EQ(Payloads().size(), 1u);
    EXPECT_EQ(Payloads()[0], std::vector<uint8_t>{0x33});
}

TEST_F(DumpPlayback, RecordWithABadChecksumIsDroppedAndPlaybackGoesOn)
{
    TraceCapture trace;
    const std::string path = DumpBuilder(true, {2, 2})
                                 .Raw({0x01, 0x01, 0, 0, 0, 0, 0x03, 0x48, 0x01, 0x10, 0xF1})
                                 .Record(1, 0, 4, {0x44})
                                 .Write(dir, "checksum.dmp");
    PlayToTheEnd(path, 0);
    EXPECT_TRUE(trace.Contains("BAD PACKAGE chdev 3, channel 20")) << trace.Text();
    EXPECT_EQ(Payloads(), (std::vector<std::vector<uint8_t>>{{0x44}}));
    EXPECT_TRUE(FinishedPosted());
}

// The file is read in 64 KiB blocks: records of every length, of both boards,
// run across several block boundaries and each still arrives whole.
TEST_F(DumpPlayback, RecordsAcrossBlockBoundariesArriveWhole)
{
    DumpBuilder builder(true, {2, 2});
    std::vector<std::vector<uint8_t>> own;
    size_t bytes = 0;
    for (int record = 0; bytes < 3 * 65536; ++record) {
        std::vector<uint8_t> payload(static_cast<size_t>(record % 200) + 1);
        for (size_t i = 0; i < payload.size(); ++i) {
            payload[i] = static_cast<uint8_t>(record + i);
        }
        const uint8_t board = record % 3 == 0 ? 0 : 1;
        builder.Record(board, 0, static_cast<uint8_t>(record % 16), payload);
        if (board == 1) {
            own.push_back(payload);
        }
        bytes += payload.size() + 10;
    }
    PlayToTheEnd(builder.Write(dir, "large.dmp"), 0);
    EXPECT_EQ(Payloads(), own);
    EXPECT_TRUE(FinishedPosted());
}

TEST_F(DumpPlayback, TimingModes)
{
    const std::string path = DumpBuilder(true, {2, 2})
                                 .Record(1, 300, 1, {0x01})
                                 .Record(1, 300, 1, {0x02})
                                 .Record(1, 300, 1, {0x03})
                                 .Write(dir, "timed.dmp");
    // As fast as it reads.
    EXPECT_LT(PlayToTheEnd(path, 0), 250);
    // The recorded gaps (the first wait returns at once).
    const int64_t recorded = PlayToTheEnd(path, -1);
    EXPECT_GE(recorded, 550);
    EXPECT_LT(recorded, 3000);
    // A fixed delay before every record but the first.
    const int64_t fixed = PlayToTheEnd(path, 150);
    EXPECT_GE(fixed, 280);
    EXPECT_LT(fixed, 3000);
}

// The free first wait belongs to the first record even when its gap is 0: the
// gaps 0, 400, 400 take 800 ms, not 400.
TEST_F(DumpPlayback, AFirstGapOfZeroSpendsTheFreeFirstWait)
{
    const std::string path = DumpBuilder(true, {2, 2})
                                 .Record(1, 0, 1, {0x01})
                                 .Record(1, 400, 1, {0x02})
                                 .Record(1, 400, 1, {0x03})
                                 .Write(dir, "zero-first.dmp");
    const int64_t took = PlayToTheEnd(path, -1);
    EXPECT_GE(took, 750);
    EXPECT_LT(took, 5000);
    EXPECT_EQ(Payloads().size(), 3u);
}

TEST_F(DumpPlayback, StopEndsEvenAnEndlessGapAtOnce)
{
    const std::string path = DumpBuilder(true, {2, 2})
                                 .Record(1, 5, 1, {0x01})
                                 .Record(1, 0xFFFFFFFF, 1, {0x02})
                                 .Write(dir, "endless.dmp");
    port->timeMode = -1;
    ASSERT_EQ(port->PlayDumpFile(path.c_str()), ZAQ16_RET_SUCCESS);
    ASSERT_TRUE(port->StartThread(0));
    std::this_thread::sleep_for(200ms);
    const auto start = Clock::now();
    port->PlayDumpFile(nullptr);
    EXPECT_TRUE(port->WaitForEnd(3000));
    EXPECT_LT(Clock::now() - start, 1s);
    EXPECT_EQ(Payloads().size(), 1u);
    EXPECT_TRUE(FinishedPosted());
}

TEST_F(DumpPlayback, MissingFileIsNotFound)
{
    TraceCapture trace;
    EXPECT_EQ(port->PlayDumpFile(dir.File("absent.dmp").c_str()), ZAQ16_RET_FILE_NOT_FOUND);
    EXPECT_TRUE(trace.Contains("PlayDumpFile") && trace.Contains("NOT FOUND"));
}

TEST(DumpRecordingOfAPort, EachAcceptedPacketBecomesOneRecordOfTheBoard)
{
    TempDir dir;
    auto wire = std::make_shared<Wire>();
    EventCollector events;
    auto port = std::make_shared<ZAQ16PORT>(nullptr, 33, events);
    port->AttachDevice(std::make_unique<MemorySerialDevice>(wire));
    const std::string path = dir.File("rec.dmp");
    WriteWholeFile(path, "H");
    EXPECT_FALSE(port->RecordDumpFile(std::string(300, 'x').c_str()));
    ASSERT_TRUE(port->RecordDumpFile(path.c_str()));
    std::this_thread::sleep_for(50ms);
    Feed(*wire, UnitPacket(5, 0x58, {0x41, 0x42}));
    Feed(*wire, std::vector<uint8_t>{0x01, 0x03, 0x58, 0x02, 0x41, 0x42, 0x7E});  // bad checksum: not recorded
    for (int step = 0; step < 3; ++step) {
        port->Step();
    }
    port->RecordDumpFile(nullptr);
    Feed(*wire, UnitPacket(6, 0x58, {0x01}));
    port->Step();

    const std::string file = ReadWholeFile(path);
    ASSERT_EQ(file.size(), 1u + 12u);
    EXPECT_EQ(file[1], 0x01);
    EXPECT_EQ(file[2], 2);  // board
    const uint32_t gap = static_cast<uint8_t>(file[3]) | (static_cast<uint8_t>(file[4]) << 8);
    EXPECT_GE(gap, 40u);  // counted from the start of recording
    EXPECT_LT(gap, 5000u);
    EXPECT_EQ(file.substr(7), std::string("\x05\x58\x02\x41\x42\x7D", 6));
}

}  // namespace
