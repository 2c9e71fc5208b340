// The reader against a line on a fake clock: a line end split by a timer's
// wake, and a gap inside a packet.
#include <gtest/gtest.h>

#include <memory>

#include "support/EventCollector.h"
#include "support/FakeClock.h"
#include "support/RecordingDecoder.h"
#include "support/TimedSerialDevice.h"
#include "support/TraceCapture.h"
#include "unit/ZAQ16PORT.h"

namespace {

std::string Bytes(std::initializer_list<uint8_t> bytes)
{
    return std::string(bytes.begin(), bytes.end());
}

class ReaderTiming : public testing::Test {
protected:
    void SetUp() override
    {
        port = std::make_shared<ZAQ16PORT>(nullptr, 1, events, RecordInto(accepted));
        port->AttachDevice(std::make_unique<TimedSerialDevice>(line, clock));
        port->Timers().SetClock(clock);
        t0 = clock.Now();
    }
    // Steps the reader until every byte is read and the fake time has reached `until`.
    void RunUntil(uint32_t until)
    {
        for (int pass = 0; pass < 100000; ++pass) {
            if (line->Empty() && static_cast<int32_t>(clock.Now() - until) >= 0) {
                return;
            }
            ASSERT_TRUE(port->Step());
        }
        FAIL() << "the reader did not get through the line";
    }
    // Steps the reader until every byte is read, and no further.
    void RunUntilRead()
    {
        for (int pass = 0; pass < 100000 && !line->Empty(); ++pass) {
            ASSERT_TRUE(port->Step());
        }
    }
    void ArmTimerIn(uint32_t delayMs)
    {
        const auto timer = port->Timers().Create();
        port->Timers().Set(timer, delayMs, [](void* fired) { ++*static_cast<int*>(fired); }, &timerFired);
    }

    FakeClock clock;
    std::shared_ptr<TimedSerialDevice::Line> line = std::make_shared<TimedSerialDevice::Line>();
    EventCollector events;
    std::vector<SeenPacket> accepted;  // the packets that reached the decoder
    std::shared_ptr<ZAQ16PORT> port;
    uint32_t t0 = 0;
    int timerFired = 0;
};

TEST_F(ReaderTiming, LineFeedArrivingAfterATimerWakeStillEndsTheLine)
{
    ArmTimerIn(10);
    line->Arrive(t0 + 5, "Serial=7\r");
    line->Arrive(t0 + 25, "\n");
    RunUntilRead();
    EXPECT_EQ(timerFired, 1);
    EXPECT_EQ(port->Answers().serialNumber, 7);
}

TEST_F(ReaderTiming, NoticesSplitByATimerWakeStaySeparateLines)
{
    ArmTimerIn(10);
    line->Arrive(t0 + 5, "5Y\r");
    line->Arrive(t0 + 30, "\n12N\r\n");
    RunUntil(t0 + 400);
    const auto posted = events.Events();
    ASSERT_EQ(posted.size(), 2u);
    EXPECT_EQ(posted[0].eventCode, QXEVT_STARTSTOP_ON);
    EXPECT_EQ(posted[0].channel, 5u);
    EXPECT_EQ(posted[1].eventCode, QXEVT_STARTSTOP_OFF);
    EXPECT_EQ(posted[1].channel, 12u);
}

TEST_F(ReaderTiming, LineFeedWithinTheInterByteTimeOutOfItsCarriageReturnEndsTheLine)
{
    ArmTimerIn(10);
    line->Arrive(t0 + 5, "Serial=7\r");
    line->Arrive(t0 + 95, "\n");
    RunUntilRead();
    EXPECT_EQ(port->Answers().serialNumber, 7);
}

TEST_F(ReaderTiming, AnswerAfterAPauseIsNotTakenAsTheFollowerOfAnOldCarriageReturn)
{
    // Noise that ends in a lone CR, a quiet line, then the unit's answer.
    ArmTimerIn(10);
    line->Arrive(t0 + 5, "x\r");
    line->Arrive(t0 + 250, "Serial=7\r\n");
    RunUntilRead();
    EXPECT_EQ(port->Answers().serialNumber, 7);
}

// The unit sends each line back to back: text left unfinished by a pause
// (noise, the rest of a broken packet) must not prefix the next answer.
struct StaleTextCase {
    const char* name;
    std::string before;
    uint32_t pauseMs;
    int32_t serial;  // what "Serial=7" after the pause leaves
};

void PrintTo(const StaleTextCase& staleCase, std::ostream* out)
{
    *out << staleCase.name;
}

class StaleText : public ReaderTiming, public testing::WithParamInterface<StaleTextCase> {};

TEST_P(StaleText, UnfinishedTextBeforeAPauseIsDropped)
{
    line->Arrive(t0 + 5, GetParam().before);
    line->Arrive(t0 + 5 + GetParam().pauseMs, "Serial=7\r\n");
    RunUntilRead();
    EXPECT_EQ(port->Answers().serialNumber, GetParam().serial);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, StaleText,
    testing::Values(StaleTextCase{"JunkThenPause", "Serial=", 400, 7},
                    StaleTextCase{"LoneCarriageReturnThenPause", "Serial=1\r", 900, 7},
                    // Without a pause it is one line: the value after the first "=" counts.
                    StaleTextCase{"JunkWithoutPause", "Serial=", 0, 0}),
    [](const testing::TestParamInfo<StaleTextCase>& info) { return info.param.name; });

// What the unit sends, piece by piece in fake time, and what the reader must make of it.
struct GapCase {
    const char* name;
    std::vector<std::pair<uint32_t, std::string>> pieces;  // (ms after the start, bytes)
    size_t packetsAccepted;
    const char* traceLine;  // the dropped packet's line, or "" when nothing is dropped
};

void PrintTo(const GapCase& gapCase, std::ostream* out)
{
    *out << gapCase.name;
}

class PacketGaps : public ReaderTiming, public testing::WithParamInterface<GapCase> {};

TEST_P(PacketGaps, GapInsideAPacketDropsItAndTheAnswerAfterIsRead)
{
    TraceCapture trace;
    for (const auto& [at, bytes] : GetParam().pieces) {
        line->Arrive(t0 + at, bytes);
    }
    line->Arrive(t0 + 2000, "Serial=7\r\n");
    RunUntil(t0 + 2500);
    EXPECT_EQ(accepted.size(), GetParam().packetsAccepted);
    EXPECT_EQ(port->Answers().serialNumber, 7);
    if (*GetParam().traceLine != '\0') {
        EXPECT_EQ(trace.Count(GetParam().traceLine), 1u) << trace.Text();
    }
}

const std::string kGoodPacket = Bytes({0x01, 0x03, 0x58, 0x02, 0x41, 0x42, 0x7D});

INSTANTIATE_TEST_SUITE_P(
    Lines, PacketGaps,
    testing::Values(
        // A corrupted length byte (200): the unit's next answer must not become payload.
        GapCase{"LyingLength",
                {{0, Bytes({0x01, 0x03, 0x58, 0xC8, 0x10, 0x20, 0x30})}, {150, "OK\r\n"}, {400, kGoodPacket}},
                1, "data for 4::Read fails 3 not enough data"},
        GapCase{"HeaderCutShort", {{0, Bytes({0x01, 0x03})}, {150, "OK\r\n"}, {400, kGoodPacket}}, 1,
                "channel 1::Read fails 1"},
        // Pieces closer together than the inter-byte time-out are one packet.
        GapCase{"SlowButSteady",
                {{0, Bytes({0x01, 0x03})}, {60, Bytes({0x58, 0x02})}, {120, Bytes({0x41})}, {180, Bytes({0x42, 0x7D})}},
                1, ""},
        // One read takes two whole packets and the start of a third; the rest comes soon after.
        GapCase{"TwoPacketsAndAHalfInOneArrival",
                {{0, kGoodPacket + kGoodPacket + kGoodPacket.substr(0, 5)}, {40, kGoodPacket.substr(5)}}, 3, ""},
        GapCase{"ArrivalEndingInsideAHeader",
                {{0, kGoodPacket + kGoodPacket.substr(0, 2)}, {30, kGoodPacket.substr(2)}}, 2, ""},
        // The rest of the straddling packet comes too late: only it is lost,
        // not the whole packet before it in the same arrival nor the one after.
        GapCase{"PacketStraddlingTwoArrivalsWithAGap",
                {{0, kGoodPacket + kGoodPacket.substr(0, 5)}, {150, kGoodPacket.substr(5) + kGoodPacket}}, 2,
                "data for 4::Read fails 1 not enough data"}),
    [](const testing::TestParamInfo<GapCase>& info) { return info.param.name; });

TEST_F(ReaderTiming, ManyLyingPacketsInARowCostOneGapEach)
{
    // Noise of packets whose length bytes lie, each followed by a pause:
    // every one is dropped within the inter-byte time-out.
    uint32_t at = 0;
    for (int noise = 0; noise < 10; ++noise, at += 150) {
        line->Arrive(t0 + at, Bytes({0x01, 0x02, 0x58, 0xFF, 0x00}));
    }
    line->Arrive(t0 + at + 150, "Serial=7\r\n");
    RunUntilRead();
    EXPECT_EQ(port->Answers().serialNumber, 7);
    EXPECT_LT(static_cast<int32_t>(clock.Now() - (t0 + at + 150)), 400);
}

}  // namespace
