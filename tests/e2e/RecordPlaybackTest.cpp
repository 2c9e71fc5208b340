// Recording the units' packets through the library and playing the dump file
// back through the same decoders: the file, the round trip, one playback at
// a time, damaged and odd files, and stopping.
#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <thread>

#include "LinkFixture.h"
#include "common/HdlcFcs.h"
#include "core/LibraryLifetime.h"
#include "qxzaqlnk.h"

namespace {

using namespace std::chrono_literals;

struct Seen {
    uint32_t code;
    uint32_t param;
    uint32_t board;
    uint32_t channel;
    std::string text;
    bool operator==(const Seen&) const = default;
};

struct Collected {
    std::mutex lock;
    std::vector<Seen> events;
    std::atomic<uint32_t> finished{0};
    bool stopInsideFinished = false;
    // When set, the first QXEVT_FINISHED_PLAY starts this file and keeps the answer.
    std::string playInsideFinished;
    std::atomic<uint32_t> playAnswer{0xFFFFFFFFu};
};

Collected* collected = nullptr;

uint32_t QXZAQ_CALL Collect(ZAQ16_EVENT* event)
{
    if (event->eventCode == QXEVT_FINISHED_PLAY) {
        if (collected->stopInsideFinished) {
            QXZAQPlayDChannelEvents(nullptr);
        }
        if (!collected->playInsideFinished.empty() && collected->finished == 0) {
            collected->playAnswer = QXZAQPlayDChannelEventsTime(collected->playInsideFinished.c_str(), 0);
        }
        ++collected->finished;
        return 0;
    }
    Seen seen{event->eventCode, event->param, event->board, event->channel, ""};
    if (event->eventCode == QXEVT_MESSAGE_CHANGE) {
        std::string text(event->param, '\0');
        if (QXZAQGetMessage(event->channel, text.data(), event->param) == ZAQ16_RET_SUCCESS) {
            seen.text = text;
        }
    }
    std::lock_guard<std::mutex> guard(collected->lock);
    collected->events.push_back(seen);
    return 0;
}

// A Definity frame (address 0xE3, control 0x03, messages) with its check sequence.
std::vector<uint8_t> DefinityFrame(std::vector<uint8_t> messages)
{
    std::vector<uint8_t> frame = std::move(messages);
    frame.insert(frame.begin(), {0xE3, 0x03});
    AppendHdlcFcs(frame);
    return frame;
}

class RecordPlayback : public LinkFixture {
protected:
    void SetUp() override
    {
        LinkFixture::SetUp();
        collected = &sink;
    }
    void TearDown() override
    {
        LinkFixture::TearDown();
        collected = nullptr;
    }
    void StartTwoUnits(const char* secondPbx)
    {
        AddUnit();
        zaqsim::UnitConfig second;
        second.pbxName = secondPbx;
        AddUnit(second);
        StartUnits();
        WriteRegistry({"COM1", "COM2"}, 3);
        Load();
        ASSERT_EQ(QXZAQStartLink(Collect), 2u);
    }
    // A little call on the Definity unit: hook, lamps, display text.
    void QueueDefinityTraffic(size_t unit)
    {
        sim->QueuePacket(unit, 2, 0x48, DefinityFrame({0x80, 0x02, 0x00}), 20);
        sim->QueuePacket(unit, 2, 0x58, DefinityFrame({0x80, 0x2F, 15, 0x80, 0x28, 18}), 40);
        std::vector<uint8_t> display = {0xE3, 0x1B, 0x5B, 0x31, 0x3B, 0x00};
        for (char c : std::string("Calling 4711")) {
            display.push_back(static_cast<uint8_t>(c));
        }
        sim->QueuePacket(unit, 2, 0x58, DefinityFrame(display), 60);
        sim->QueuePacket(unit, 2, 0x58, DefinityFrame({0xE3, 0x1B, 0x5B, 0x30, 0x4B}), 30);
        sim->QueuePacket(unit, 2, 0x58, DefinityFrame({0x80, 0x20, 15}), 80);
        sim->QueuePacket(unit, 2, 0x48, DefinityFrame({0x80, 0x01, 0x00}), 50);
    }
    std::vector<Seen> TakeEvents()
    {
        std::lock_guard<std::mutex> guard(sink.lock);
        std::vector<Seen> events;
        events.swap(sink.events);
        return events;
    }
    // Looks every 10 ms, at most `ms`, whether `done` holds.
    static bool PollUntil(const std::function<bool()>& done, int ms)
    {
        for (int waited = 0; waited < ms; waited += 10) {
            if (done()) {
                return true;
            }
            std::this_thread::sleep_for(10ms);
        }
        return false;
    }
    bool WaitForFinished(uint32_t count, int ms = 10000)
    {
        return PollUntil([&] { return sink.finished >= count; }, ms);
    }
    static bool WaitForFileSize(const std::string& path, size_t size, int ms)
    {
        return PollUntil([&] { return ReadWholeFile(path).size() >= size; }, ms);
    }
    std::string Dump(const std::string& name, const std::string& bytes)
    {
        const std::string path = dir.File(name);
        WriteWholeFile(path, bytes);
        return path;
    }

    Collected sink;
};

TEST_F(RecordPlayback, RecordingWritesTheHeaderFirstThenEachUnitsRecords)
{
    StartTwoUnits("MerlinMagixD");
    const std::string path = dir.File("two.dmp");
    ASSERT_EQ(QXZAQRecordDChannelEvents(path.c_str()), ZAQ16_RET_SUCCESS);
    EXPECT_EQ(ReadWholeFile(path), std::string("\x02\x02\x02\x15", 4));
    std::this_thread::sleep_for(100ms);
    sim->QueuePacket(0, 1, 0x58, {0x11, 0x22});
    sim->QueuePacket(1, 2, 0x48, {0x33});
    ASSERT_EQ(QXZAQEnableDChEvents(0), ZAQ16_RET_SUCCESS);
    ASSERT_TRUE(sim->WaitUntilSent(0, 2000));
    // Each unit has its own reader: the second unit starts once the first one's
    // record is in the file, or a loaded machine may record them the other way round.
    ASSERT_TRUE(WaitForFileSize(path, 4u + 12u, 2000));
    ASSERT_EQ(QXZAQEnableDChEvents(1), ZAQ16_RET_SUCCESS);
    ASSERT_TRUE(sim->WaitUntilSent(1, 2000));
    ASSERT_TRUE(WaitForFileSize(path, 4u + 12u + 11u, 2000));
    ASSERT_EQ(QXZAQRecordDChannelEvents(nullptr), ZAQ16_RET_SUCCESS);

    const std::string file = ReadWholeFile(path);
    ASSERT_EQ(file.size(), 4u + 12u + 11u);
    EXPECT_EQ(file[4], 0x01);
    EXPECT_EQ(file[5], 0x00);
    const uint32_t firstGap = static_cast<uint8_t>(file[6]) | (static_cast<uint8_t>(file[7]) << 8);
    EXPECT_GE(firstGap, 90u);  // from the start of recording
    EXPECT_EQ(file.substr(10, 6), std::string("\x01\x58\x02\x11\x22\xCD", 6));
    EXPECT_EQ(file[16], 0x01);
    EXPECT_EQ(file[17], 0x01);
    EXPECT_EQ(file.substr(22), std::string("\x02\x48\x01\x33\xCD", 5));
}

TEST_F(RecordPlayback, PlaybackReproducesTheLiveEventsAndDisplayTexts)
{
    StartTwoUnits("Definity2D");
    const std::string path = dir.File("call.dmp");
    ASSERT_EQ(QXZAQRecordDChannelEvents(path.c_str()), ZAQ16_RET_SUCCESS);
    QueueDefinityTraffic(1);
    ASSERT_EQ(QXZAQEnableDChEvents(1), ZAQ16_RET_SUCCESS);
    ASSERT_TRUE(sim->WaitUntilSent(1, 3000));
    std::this_thread::sleep_for(200ms);
    QXZAQRecordDChannelEvents(nullptr);
    QXZAQDisableDChEvents(1);
    const std::vector<Seen> live = TakeEvents();
    ASSERT_GE(live.size(), 5u);

    ASSERT_EQ(QXZAQPlayDChannelEvents(path.c_str()), ZAQ16_RET_SUCCESS);
    ASSERT_TRUE(WaitForFinished(2));
    const std::vector<Seen> played = TakeEvents();
    EXPECT_EQ(played, live);
    bool sawText = false;
    for (const Seen& seen : played) {
        sawText = sawText || seen.text.find("Calling 4711") != std::string::npos;
    }
    EXPECT_TRUE(sawText);
}

// Two boards, each with a record at once and one after a gap of 10 s (the
// first wait of a playback is free): the playback runs until stopped.
std::string SlowDump()
{
    std::string bytes("\x02\x02\x02\x02", 4);
    for (const char board : {'\x00', '\x01'}) {
        bytes += std::string(1, '\x01') + board + std::string("\x00\x00\x00\x00\x01\x48\x01\x10\xF0", 9);
        bytes += std::string(1, '\x01') + board + std::string("\x10\x27\x00\x00\x01\x48\x01\x10\xF0", 9);
    }
    return bytes;
}

TEST_F(RecordPlayback, OnePlaybackAtATimeAndStopLetsTheNextStart)
{
    StartTwoUnits("Definity2D");
    const std::string path = Dump("slow.dmp", SlowDump());
    ASSERT_EQ(QXZAQPlayDChannelEvents(path.c_str()), ZAQ16_RET_SUCCESS);
    EXPECT_EQ(QXZAQPlayDChannelEvents(path.c_str()), ZAQ16_RET_NOT_READY);
    // While it plays, channel 40 belongs to no playback port.
    char text[8];
    EXPECT_EQ(QXZAQGetMessage(40, text, sizeof text), ZAQ16_RET_INVALID_PARAM);
    EXPECT_EQ(QXZAQGetMessage(20, text, sizeof text), ZAQ16_RET_SUCCESS);
    ASSERT_EQ(QXZAQPlayDChannelEvents(nullptr), ZAQ16_RET_SUCCESS);
    EXPECT_EQ(sink.finished, 2u);
    EXPECT_EQ(QXZAQPlayDChannelEventsTime(path.c_str(), 0), ZAQ16_RET_SUCCESS);
    EXPECT_TRUE(WaitForFinished(4));
}

TEST_F(RecordPlayback, FileWithAHeaderOnlyFinishesAndFreesThePlayback)
{
    StartTwoUnits("Definity2D");
    const std::string path = Dump("empty.dmp", std::string("\x02\x03\x02\x01\x1E", 5));
    ASSERT_EQ(QXZAQPlayDChannelEvents(path.c_str()), ZAQ16_RET_SUCCESS);
    ASSERT_TRUE(WaitForFinished(3));
    std::this_thread::sleep_for(50ms);
    EXPECT_EQ(QXZAQPlayDChannelEvents(path.c_str()), ZAQ16_RET_SUCCESS);
    EXPECT_TRUE(WaitForFinished(6));
}

TEST_F(RecordPlayback, UnusableFilesAreRefused)
{
    StartTwoUnits("Definity2D");
    EXPECT_EQ(QXZAQPlayDChannelEvents(dir.File("absent.dmp").c_str()), ZAQ16_RET_FILE_NOT_FOUND);
    EXPECT_EQ(QXZAQPlayDChannelEvents(Dump("none.dmp", std::string("\x02\x00", 2)).c_str()), ZAQ16_RET_FAILED);
    EXPECT_EQ(QXZAQPlayDChannelEvents(Dump("many.dmp", std::string("\x02\x11", 2) + std::string(17, '\x02')).c_str()),
              ZAQ16_RET_FAILED);
    EXPECT_EQ(QXZAQPlayDChannelEvents(Dump("cut.dmp", std::string("\x02\x03\x02", 3)).c_str()), ZAQ16_RET_FAILED);
    // A type without a playback port.
    EXPECT_EQ(QXZAQPlayDChannelEvents(Dump("fuji.dmp", std::string("\x02\x01\x20", 3)).c_str()), ZAQ16_RET_FAILED);
    // Nothing is left running: a good file plays.
    EXPECT_EQ(QXZAQPlayDChannelEvents(Dump("ok.dmp", std::string("\x02\x01\x02", 3)).c_str()), ZAQ16_RET_SUCCESS);
    EXPECT_TRUE(WaitForFinished(1));
    const std::string longPath = dir.File(std::string(300, 'r'));
    EXPECT_EQ(QXZAQRecordDChannelEvents(longPath.c_str()), ZAQ16_RET_FAILED);
    EXPECT_EQ(QXZAQRecordDChannelEvents(dir.File("no/such/dir.dmp").c_str()), ZAQ16_RET_FAILED);
}

TEST_F(RecordPlayback, StoppingFromInsideTheFinishedEventIsSafe)
{
    StartTwoUnits("Definity2D");
    sink.stopInsideFinished = true;
    const std::string path = Dump("quick.dmp", std::string("\x02\x02\x02\x02", 4));
    ASSERT_EQ(QXZAQPlayDChannelEvents(path.c_str()), ZAQ16_RET_SUCCESS);
    ASSERT_TRUE(WaitForFinished(2));
    std::this_thread::sleep_for(100ms);
    sink.stopInsideFinished = false;
    EXPECT_EQ(QXZAQPlayDChannelEvents(path.c_str()), ZAQ16_RET_SUCCESS);
    EXPECT_TRUE(WaitForFinished(4));
}

TEST_F(RecordPlayback, TheFinishedEventMayStartTheNextPlayback)
{
    StartTwoUnits("Definity2D");
    const std::string path = Dump("one.dmp", std::string("\x02\x01\x02", 3) +
                                                 std::string("\x01\x00\x00\x00\x00\x00\x01\x48\x01\x10\xF0", 11));
    sink.playInsideFinished = path;
    ASSERT_EQ(QXZAQPlayDChannelEventsTime(path.c_str(), 0), ZAQ16_RET_SUCCESS);
    ASSERT_TRUE(WaitForFinished(2));
    EXPECT_EQ(sink.playAnswer, ZAQ16_RET_SUCCESS);
    // The second one freed the playback too.
    std::this_thread::sleep_for(100ms);
    sink.playInsideFinished.clear();
    EXPECT_EQ(QXZAQPlayDChannelEventsTime(path.c_str(), 0), ZAQ16_RET_SUCCESS);
    EXPECT_TRUE(WaitForFinished(3));
}

TEST_F(RecordPlayback, WhilePlayingAnyNewPlaybackIsNotReadyBeforeItsFileIsLookedAt)
{
    StartTwoUnits("Definity2D");
    ASSERT_EQ(QXZAQPlayDChannelEvents(Dump("slow.dmp", SlowDump()).c_str()), ZAQ16_RET_SUCCESS);
    EXPECT_EQ(QXZAQPlayDChannelEvents(dir.File("absent.dmp").c_str()), ZAQ16_RET_NOT_READY);
    EXPECT_EQ(QXZAQPlayDChannelEvents(Dump("none.dmp", std::string("\x02\x00", 2)).c_str()), ZAQ16_RET_NOT_READY);
    EXPECT_EQ(QXZAQPlayDChannelEvents(nullptr), ZAQ16_RET_SUCCESS);
    EXPECT_EQ(QXZAQPlayDChannelEvents(dir.File("absent.dmp").c_str()), ZAQ16_RET_FILE_NOT_FOUND);
}

// Two application threads and the library's unload stop one playback at once.
TEST_F(RecordPlayback, SeveralThreadsStoppingOnePlaybackAllReturn)
{
    StartTwoUnits("Definity2D");
    const std::string path = Dump("slow.dmp", SlowDump());
    for (int round = 0; round < 5; ++round) {
        ASSERT_EQ(QXZAQPlayDChannelEvents(path.c_str()), ZAQ16_RET_SUCCESS) << "round " << round;
        std::this_thread::sleep_for(20ms);
        std::atomic<int> returned{0};
        std::vector<std::thread> stoppers;
        for (int i = 0; i < 3; ++i) {
            stoppers.emplace_back([&, i] {
                if (i == 2 && round == 4) {
                    LibraryDetach();
                } else {
                    EXPECT_EQ(QXZAQPlayDChannelEvents(nullptr), ZAQ16_RET_SUCCESS);
                }
                ++returned;
            });
        }
        for (std::thread& stopper : stoppers) {
            stopper.join();
        }
        EXPECT_EQ(returned.load(), 3);
        EXPECT_TRUE(WaitForFinished(2u * (round + 1)));
    }
}

}  // namespace
