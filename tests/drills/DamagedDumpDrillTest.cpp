// A short recording cut short at every byte offset, and damaged at every
// byte offset, played through the exported entries: each playback the
// library accepts ends with its finished events; none hangs or crashes.
#include <thread>

#include "DrillBench.h"
#include "decoders/DefinityFrames.h"

namespace {

using namespace std::chrono_literals;

class DamagedDumpDrill : public DrillBench {
protected:
    void SetUp() override
    {
        DrillBench::SetUp();
        ASSERT_EQ(StartLinkWith(kLiveBoards, Deliver, 1), kLiveBoards);
        recording = RecordShortCall();
    }

    // Both units' hook, lamp and display packets, recorded by the library.
    std::string RecordShortCall()
    {
        const std::string path = dir.File("short.dmp");
        EXPECT_EQ(QXZAQRecordDChannelEvents(path.c_str()), ZAQ16_RET_SUCCESS);
        EXPECT_EQ(QXZAQEnableDChEvents(0), ZAQ16_RET_SUCCESS);
        EXPECT_EQ(QXZAQEnableDChEvents(1), ZAQ16_RET_SUCCESS);
        std::vector<uint8_t> display = {0xE3, 0x1B, 0x5B, 0x31, 0x3B, 0x00};
        for (char c : std::string("Calling 4711")) {
            display.push_back(static_cast<uint8_t>(c));
        }
        for (size_t unit : {0, 1}) {
            sim->QueuePacket(unit, 2, 0x48, definity_test::Frame({0x80, 0x02, 0x00}));
            sim->QueuePacket(unit, 2, 0x58, definity_test::Frame({0x80, 0x2F, 15, 0x80, 0x28, 18}));
            sim->QueuePacket(unit, 2, 0x58, definity_test::Frame(display));
            sim->QueuePacket(unit, 2, 0x48, definity_test::Frame({0x80, 0x01, 0x00}));
        }
        EXPECT_TRUE(sim->WaitUntilSent(0, 3000));
        EXPECT_TRUE(sim->WaitUntilSent(1, 3000));
        std::this_thread::sleep_for(200ms);
        EXPECT_EQ(QXZAQRecordDChannelEvents(nullptr), ZAQ16_RET_SUCCESS);
        return ReadWholeFile(path);
    }

    // Plays `bytes`; a refused file must be refused with a failure code, an
    // accepted one must end with one finished event per unit in its header.
    void PlayToTheEnd(const std::string& bytes, const std::string& what)
    {
        const std::string path = dir.File("damaged.dmp");
        ASSERT_TRUE(WriteWholeFile(path, bytes));
        const size_t before = FinishedPlays();
        const uint32_t result = QXZAQPlayDChannelEventsTime(path.c_str(), 0);
        if (result != ZAQ16_RET_SUCCESS) {
            EXPECT_EQ(result, ZAQ16_RET_FAILED) << what;
            return;
        }
        // A file without the header of the current format is an old one: it
        // plays on the live boards' types.
        const bool headed = bytes.size() >= 2 && bytes[0] == 0x02;
        const size_t units = headed ? static_cast<uint8_t>(bytes[1]) : kLiveBoards;
        ASSERT_TRUE(WaitUntil([&] { return FinishedPlays() >= before + units; }, 10000))
            << what << ": " << FinishedPlays() - before << " of " << units << " finished";
        // The playback is over: stopping it is harmless, and the next one may start.
        EXPECT_EQ(QXZAQPlayDChannelEvents(nullptr), ZAQ16_RET_SUCCESS) << what;
    }

    static constexpr uint32_t kLiveBoards = 2;
    std::string recording;
};

TEST_F(DamagedDumpDrill, CutAtEveryOffset)
{
    ASSERT_GT(recording.size(), 60u);
    for (size_t size = 0; size <= recording.size(); ++size) {
        PlayToTheEnd(recording.substr(0, size), "cut to " + std::to_string(size) + " bytes");
    }
}

TEST_F(DamagedDumpDrill, DamagedAtEveryOffset)
{
    ASSERT_GT(recording.size(), 60u);
    // Every bit turned, a record start where none belongs, the largest length.
    for (const uint8_t pattern : {0xFF, 0x01}) {
        for (size_t at = 0; at < recording.size(); ++at) {
            std::string damaged = recording;
            damaged[at] = static_cast<char>(pattern == 0xFF ? ~damaged[at] : pattern);
            PlayToTheEnd(damaged, "byte " + std::to_string(at) + " set with " + std::to_string(pattern));
        }
    }
}

}  // namespace
