// The BRI port: packets of the unit reach the front end on the framers of
// the port's channels, failures are traced, call events carry the system's
// channel numbers and go out through the port, and the port's own tick runs
// the protocol timers.
#include <gtest/gtest.h>

#include "BriPortDriver.h"
#include "core/PortFactory.h"
#include "support/TraceCapture.h"

using namespace isdntest;

namespace {

constexpr uint8_t kHandled = 1;

// An incoming call answered on B-channel `bChannel` of `line`.
void ConnectIncoming(Line& line, uint8_t callRef, uint8_t bChannel)
{
    ASSERT_EQ(line.Co(Q931(callRef, kSetup, ChannelB(bChannel) + CallingNumber("5551234") + CalledNumber("200"))),
              kHandled);
    ASSERT_EQ(line.Cpe(Q931(static_cast<uint8_t>(callRef | 0x80), kConnect)), kHandled);
}

}  // namespace

TEST(BriPort, IsThePortOfTheIsdnFirmwareForLiveAndPlayback)
{
    for (const PortUse use : {PortUse::Real, PortUse::Virtual}) {
        const PortRef port = CreatePort(ZAQ16_PBX_BRID, use, nullptr, 17);
        ASSERT_NE(port, nullptr);
        const BRI* bri = dynamic_cast<const BRI*>(port->GetDecoder());
        ASSERT_NE(bri, nullptr);
        EXPECT_EQ(port->createdPbxType, ZAQ16_PBX_BRID);
        EXPECT_EQ(bri->isdnFrontEnd->framerCount, 32u);
        EXPECT_EQ(bri->isdnFrontEnd->mode, 1u) << "two terminals per line";
    }
}

TEST(BriPort, CallEventsCarryTheSystemChannelOfTheirBChannel)
{
    struct Case {
        uint32_t startChannel;
        uint32_t line;      // of the port: its channels 2 x line and 2 x line + 1
        uint8_t bChannel;
        uint32_t channel;   // of the events
        uint32_t board;
    };
    const Case cases[] = {
        {1, 1, 2, 4, 0},     // B2 on the line of framers 2 and 3
        {1, 0, 1, 1, 0},
        {1, 7, 1, 15, 0},    // the line of framers 14 and 15
        {1, 7, 2, 16, 0},
        {17, 0, 1, 17, 1},   // the second board
        {17, 3, 2, 24, 1},
        {33, 2, 2, 38, 2},   // a third board reports its own channels too
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "start channel " << c.startChannel << ", line " << c.line << ", B"
                                        << int{c.bChannel});
        BriPortDriver driver(c.startChannel);
        Line line = driver.PortLine(c.line);
        ConnectIncoming(line, 7, c.bChannel);
        const std::vector<RecordedEvent> recorded = driver.events.Take();
        ASSERT_EQ(recorded.size(), 1u);
        EXPECT_EQ(recorded[0].event.eventCode, QXEVT_CALL_CONNECTED);
        EXPECT_EQ(recorded[0].event.channel, c.channel);
        EXPECT_EQ(recorded[0].event.board, c.board);
        EXPECT_STREQ(recorded[0].status.callingNumber.digits, "5551234");

        ZAQ16_CALL_STATUS status{};
        ASSERT_EQ(driver.bri->isdnFrontEnd->GetStatusByCh(c.channel, &status), 0u);
        EXPECT_EQ(status.callRef, 7u);
        EXPECT_EQ(status.callState, isdn::kActive);
    }
}

TEST(BriPort, FollowsEveryBChannelOfTwoFullyLoadedUnits)
{
    // Two units of eight lines each, every B-channel in a call: 32 calls at
    // once in the one pool of the link, more than 16 entities could follow.
    BriPortDriver first(1);
    BriPortDriver second(17, first.bri->Monitor());
    for (BriPortDriver* driver : {&first, &second}) {
        for (uint32_t lineIndex = 0; lineIndex < 8; ++lineIndex) {
            Line line = driver->PortLine(lineIndex);
            ConnectIncoming(line, 1, 1);
            ConnectIncoming(line, 2, 2);
        }
    }
    for (BriPortDriver* driver : {&first, &second}) {
        size_t connected = 0;
        for (const RecordedEvent& recorded : driver->events.Take()) {
            connected += recorded.event.eventCode == QXEVT_CALL_CONNECTED;
        }
        EXPECT_EQ(connected, 16u);
    }
    for (uint32_t channel = 1; channel <= 32; ++channel) {
        BriPortDriver& driver = channel <= 16 ? first : second;
        ZAQ16_CALL_STATUS status{};
        ASSERT_EQ(driver.bri->isdnFrontEnd->GetStatusByCh(channel, &status), 0u) << channel;
        EXPECT_EQ(status.callState, isdn::kActive) << channel;
        EXPECT_EQ(status.bChannel, (channel - 1) % 2 + 1) << channel;
    }
}

TEST(BriPort, TracesTheFramesItsFrontEndRefuses)
{
    TraceCapture trace;
    BriPortDriver driver;
    // SAPI 16: not an address the monitor follows.
    EXPECT_EQ(driver.Send(0, Frame(16, 1, 64, {0x01, 0x00})), kHandled);
    EXPECT_TRUE(trace.Contains("HDLCFrameRcvd Err (e0090008)")) << trace.Text();
    EXPECT_EQ(trace.Count("BRI::HandlePacket"), 1u);
    // A frame shorter than address, control and check bytes.
    EXPECT_EQ(driver.Send(1, {0x00, 0x81}), kHandled);
    EXPECT_TRUE(trace.Contains("HDLCFrameRcvd Err (e0090007)")) << trace.Text();
    // A packet whose checksum fails never reaches the front end.
    driver.Feed({0x01, 0x00, kFromCo, 0x02, 0x02, 0x81, 0x00});
    EXPECT_EQ(trace.Count("BRI::HandlePacket"), 2u);
    EXPECT_TRUE(trace.Contains("BAD PACKAGE")) << trace.Text();
    // A good frame writes nothing.
    EXPECT_EQ(driver.Send(1, Frame(0, 1, 64, {0x01, 0x00})), kHandled);
    EXPECT_EQ(trace.Count("BRI::HandlePacket"), 2u);
    EXPECT_TRUE(driver.events.Take().empty());
}

TEST(BriPortFrontEnd, ServesTheFramersFromItsFirstOn)
{
    struct Case {
        uint32_t firstFramer;
        uint32_t framer;
        uint32_t result;
    };
    const Case cases[] = {
        {0, 0, 0},           {0, 31, 0},           {0, 32, 0xE0090003},
        {32, 31, 0xE0090003}, {32, 32, 0},          {32, 63, 0},
        {32, 64, 0xE0090003}, {16, 15, 0xE0090003}, {16, 47, 0},
    };
    const Bytes rr = Frame(0, 1, 64, {0x01, 0x00});
    for (const Case& c : cases) {
        EventCollector events;
        isdn::IsdnMonitor monitor;
        ISDNPT frontEnd(monitor, events, c.firstFramer);
        ASSERT_EQ(frontEnd.Start(1, 32, 16), 0u);
        EXPECT_EQ(frontEnd.HDLCFrameRcvd(c.framer, rr.data(), static_cast<uint32_t>(rr.size()), 0, 0), c.result)
            << "first framer " << c.firstFramer << ", framer " << c.framer;
    }
}

TEST(BriPort, ItsTickEndsACallWhoseDataLinkStaysDown)
{
    BriPortDriver driver;
    Line line = driver.PortLine(0);
    ConnectIncoming(line, 5, 1);
    driver.events.Take();
    ASSERT_EQ(line.CpeFrame(Frame(0, 0, 64, {0x53})), kHandled);  // DISC from the CPE
    driver.Advance(89'000);
    ZAQ16_CALL_STATUS status{};
    ASSERT_EQ(driver.bri->isdnFrontEnd->GetStatusByRef(5, &status), 0u);
    EXPECT_EQ(status.callState, isdn::kActive) << "T309 runs 90 s";
    EXPECT_TRUE(driver.events.Take().empty());
    driver.Advance(2'000);
    const std::vector<RecordedEvent> recorded = driver.events.Take();
    ASSERT_EQ(recorded.size(), 1u);
    EXPECT_EQ(recorded[0].event.eventCode, QXEVT_CALL_RELEASED);
    EXPECT_EQ(recorded[0].status.cause, 41u);
}

TEST(BriPort, ItsTickEndsASetupNobodyAnswers)
{
    BriPortDriver driver;
    Line line = driver.PortLine(2);
    // The CO sends its SETUP a second time when nobody answered the first.
    ASSERT_EQ(line.Co(Q931(9, kSetup, ChannelB(1))), kHandled);
    ASSERT_EQ(line.Co(Q931(9, kSetup, ChannelB(1))), kHandled);
    ZAQ16_CALL_STATUS status{};
    driver.Advance(3'500);
    EXPECT_EQ(driver.bri->isdnFrontEnd->GetStatusByRef(9, &status), 0u) << "T303 runs 4 s";
    driver.Advance(1'000);
    EXPECT_EQ(driver.bri->isdnFrontEnd->GetStatusByRef(9, &status), 0xE009000Cu);
}
