// The reader loop: text lines to the answer parser, packets with their
// checksum and resynchronisation, overruns, and what reaches the decoder.
#include <gtest/gtest.h>

#include <memory>

#include "support/EventCollector.h"
#include "support/RecordingDecoder.h"
#include "support/MemorySerialDevice.h"
#include "support/TraceCapture.h"
#include "unit/ZAQ16PORT.h"

namespace {

class ReaderFraming : public testing::Test {
protected:
    void SetUp() override
    {
        port = std::make_shared<ZAQ16PORT>(nullptr, 17, events, RecordInto(seen));
        port->AttachDevice(std::make_unique<MemorySerialDevice>(wire));
    }
    // Runs the reader until everything fed has been consumed.
    void Drain()
    {
        for (int pass = 0; pass < 10000; ++pass) {
            {
                std::lock_guard<std::mutex> guard(wire->mutex);
                if (wire->input.empty()) {
                    return;
                }
            }
            ASSERT_TRUE(port->Step());
        }
    }

    std::shared_ptr<Wire> wire = std::make_shared<Wire>();
    EventCollector events;
    std::vector<SeenPacket> seen;
    std::shared_ptr<ZAQ16PORT> port;
};

TEST_F(ReaderFraming, AnswerLineThenPacket)
{
    Feed(*wire, "Serial=42\r\n");
    Feed(*wire, std::vector<uint8_t>{0x01, 0x03, 0x58, 0x02, 0x41, 0x42, 0x7D});
    Drain();
    EXPECT_EQ(port->Answers().serialNumber, 42);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].channel, 3);
    EXPECT_EQ(seen[0].type, 0x58);
    EXPECT_EQ(seen[0].payload, (std::vector<uint8_t>{0x41, 0x42}));
    EXPECT_EQ(seen[0].board, 1u);
}

TEST_F(ReaderFraming, BadChecksumIsTracedAndNotDecoded)
{
    TraceCapture trace;
    Feed(*wire, std::vector<uint8_t>{0x01, 0x03, 0x58, 0x02, 0x41, 0x42, 0x7E});
    Drain();
    EXPECT_TRUE(seen.empty());
    EXPECT_TRUE(trace.Contains("ERROR  -HandlePacket    BAD PACKAGE chdev 3, channel 20")) << trace.Text();
}

TEST_F(ReaderFraming, ChannelOf16OrMoreResynchronisesOnAStartMarker)
{
    TraceCapture trace;
    // Header 0x11 0x01 0x05: the 0x01 was a start marker, 0x05 is the channel.
    Feed(*wire, std::vector<uint8_t>{0x01, 0x11, 0x01, 0x05, 0x48, 0x01, 0x10, 0xF0});
    Drain();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].channel, 5);
    EXPECT_EQ(seen[0].type, 0x48);
    EXPECT_EQ(seen[0].payload, std::vector<uint8_t>{0x10});
    EXPECT_TRUE(trace.Contains("chdev out of range 17, start ch 17"));
    EXPECT_TRUE(trace.Contains("restart from cType"));
}

TEST_F(ReaderFraming, ChannelOf16OrMoreWithStartMarkerAsLengthReadsAFreshHeader)
{
    Feed(*wire, std::vector<uint8_t>{0x01, 0x20, 0x07, 0x01, 0x02, 0x58, 0x01, 0x33, 0xCD});
    Drain();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].channel, 2);
    EXPECT_EQ(seen[0].payload, std::vector<uint8_t>{0x33});
}

TEST_F(ReaderFraming, HopelessHeaderIsAbandonedAndTheRestReadsAsText)
{
    Feed(*wire, std::vector<uint8_t>{0x01, 0x20, 0x07, 0x09});
    Feed(*wire, "OK\r\n");
    Drain();
    EXPECT_TRUE(seen.empty());
    // The OK after the abandoned header is still a complete line.
    Feed(*wire, UnitPacket(1, 0x58, {0x10, 0x20}));
    Drain();
    ASSERT_EQ(seen.size(), 1u);
}

TEST_F(ReaderFraming, ShortPayloadIsDroppedWithOneTraceLine)
{
    TraceCapture trace;
    Feed(*wire, std::vector<uint8_t>{0x01, 0x02, 0x58, 0x05, 0x10, 0x20});
    Drain();
    EXPECT_TRUE(seen.empty());
    EXPECT_EQ(trace.Count("data for 19::Read fails"), 1u);
    EXPECT_TRUE(trace.Contains("data for 19::Read fails 2 not enough data"));
}

TEST_F(ReaderFraming, TextBeyondTheLineBufferIsDroppedWithOneOverrunLine)
{
    TraceCapture trace;
    Feed(*wire, std::string(1030, 'a'));
    Drain();
    EXPECT_EQ(trace.Count("Overrun of buffer!! Reset board 2"), 1u);
    EXPECT_EQ(std::string(port->PendingLine()), std::string(5, 'a'));
}

TEST_F(ReaderFraming, CarriageReturnWithoutLineFeedDoesNotEndTheLine)
{
    Feed(*wire, "Serial=1\rX");
    Drain();
    EXPECT_EQ(port->Answers().serialNumber, -1);
    // The byte after the lone CR is kept and replaced by the next one.
    Feed(*wire, "Y\r\n");
    Drain();
    EXPECT_EQ(port->Answers().serialNumber, 1);
}

TEST_F(ReaderFraming, StartStopNoticesBecomeEventsOfThisBoard)
{
    Feed(*wire, "5Y\r\n12N\r\n7X\r\n");
    Drain();
    const auto posted = events.Events();
    ASSERT_EQ(posted.size(), 2u);
    EXPECT_EQ(posted[0].eventCode, QXEVT_STARTSTOP_ON);
    EXPECT_EQ(posted[0].channel, 5u);
    EXPECT_EQ(posted[0].board, 1u);
    EXPECT_EQ(posted[1].eventCode, QXEVT_STARTSTOP_OFF);
    EXPECT_EQ(posted[1].channel, 12u);
}

TEST_F(ReaderFraming, VanishedDeviceIsReportedOnceAndTheReaderKeepsStepping)
{
    TraceCapture trace;
    {
        std::lock_guard<std::mutex> guard(wire->mutex);
        wire->vanished = true;
    }
    for (int pass = 0; pass < 3; ++pass) {
        port->RequestStop();
        EXPECT_FALSE(port->Step());
    }
    EXPECT_EQ(trace.Count("ERROR  -ShowError       0x5"), 1u) << trace.Text();
    EXPECT_EQ(trace.Count("OutString  Error 1 Get Error 0"), 1u);
}

TEST_F(ReaderFraming, PacketDataBeyondThePayloadIsZero)
{
    Feed(*wire, UnitPacket(0, 0x48, {0xAA}));
    Feed(*wire, UnitPacket(0, 0x48, {}));
    Drain();
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_TRUE(seen[1].payload.empty());
}

}  // namespace
