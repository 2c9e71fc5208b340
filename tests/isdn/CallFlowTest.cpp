#include <gtest/gtest.h>

#include "IsdnTestSupport.h"
#include "isdn/monitor/IsdnTimerService.h"

using namespace isdntest;

namespace {

// Line 0: framer 0 carries the CO's frames, framer 1 the CPE's; call
// reference 5 (the CPE answers with the flag, 0x85).
class CallFlowTest : public IsdnFixture {
protected:

    uint32_t Co(uint8_t type, const Bytes& elements = {}, uint8_t ref = 5) { return line.Co(Q931(ref, type, elements)); }
    uint32_t Cpe(uint8_t type, const Bytes& elements = {}, uint8_t ref = 5)
    {
        return line.Cpe(Q931(static_cast<uint8_t>(ref | 0x80), type, elements));
    }
    void IncomingActive()
    {
        ASSERT_EQ(Co(kSetup, ChannelB(1) + CallingNumber("5551234") + CalledNumber("200")), 0u);
        ASSERT_EQ(Cpe(kConnect), 0u);
        events.Take();
    }
    void OutgoingActive()
    {
        ASSERT_EQ(line.Cpe(Q931(5, kSetup, CalledNumber("5556789"))), 0u);
        ASSERT_EQ(line.Co(Q931(0x85, kCallProceeding, ChannelB(2))), 0u);
        ASSERT_EQ(line.Co(Q931(0x85, kConnect)), 0u);
        events.Take();
    }
    // Messages of the calling side (CPE, no flag) and the called side (CO, flag) of an outgoing call.
    uint32_t CallerCpe(uint8_t type, const Bytes& elements = {}) { return line.Cpe(Q931(5, type, elements)); }
    uint32_t CalledCo(uint8_t type, const Bytes& elements = {}) { return line.Co(Q931(0x85, type, elements)); }

    Line line{frontEnd, 0, 64};
};

}  // namespace

TEST_F(CallFlowTest, IncomingCall)
{
    ASSERT_EQ(Co(kSetup, Bearer() + ChannelB(1) + Display("Alice") + CallingNumber("5551234") + CalledNumber("200"),
                 5),
              0u);
    EXPECT_EQ(Status(5).callState, isdn::kCallPresent);
    ASSERT_EQ(Cpe(kAlerting), 0u);
    ASSERT_EQ(Cpe(kConnect), 0u);
    ASSERT_EQ(Co(kConnectAcknowledge), 0u);
    ASSERT_EQ(Cpe(kDisconnect, Cause(16)), 0u);
    EXPECT_EQ(Status(5).callState, isdn::kDisconnectRequest);
    ASSERT_EQ(Co(kRelease), 0u);
    ASSERT_EQ(Cpe(kReleaseComplete), 0u);

    const std::vector<RecordedEvent> recorded = events.Take();
    ASSERT_EQ(recorded.size(), 4u);
    EXPECT_EQ(recorded[0].event.eventCode, QXEVT_CALL_USER_INFO);
    EXPECT_EQ(recorded[0].event.param, 280u);
    EXPECT_EQ(recorded[0].userInfo.source, 1u);
    EXPECT_EQ(recorded[0].userInfo.infoType, 100u);
    EXPECT_STREQ(reinterpret_cast<const char*>(recorded[0].userInfo.bytes), "Alice");
    EXPECT_EQ(recorded[1].event.eventCode, QXEVT_CALL_ALERTING);
    EXPECT_EQ(recorded[1].status.callState, isdn::kCallPresent) << "the record shows the call before ALERTING moved it";
    EXPECT_EQ(recorded[2].event.eventCode, QXEVT_CALL_CONNECTED);
    EXPECT_EQ(recorded[2].event.param, 332u);
    EXPECT_EQ(recorded[2].status.callState, isdn::kActive);
    EXPECT_EQ(recorded[2].status.direction, 1u);
    EXPECT_EQ(recorded[2].status.layer1Coding, 3u);
    EXPECT_STREQ(recorded[2].status.callingNumber.digits, "5551234");
    EXPECT_STREQ(recorded[2].status.calledNumber.digits, "200");
    EXPECT_EQ(recorded[3].event.eventCode, QXEVT_CALL_RELEASED);
    EXPECT_EQ(recorded[3].status.callState, isdn::kNull);
    EXPECT_EQ(recorded[3].status.cause, 16u);
    for (const RecordedEvent& event : recorded) {
        EXPECT_EQ(event.event.board, 0u);
        EXPECT_EQ(event.event.channel, 1u);
    }
    EXPECT_EQ(Status(5).callState, kNoCall) << "the entity is free again";
}

TEST_F(CallFlowTest, OutgoingCallWithOverlapDigits)
{
    ASSERT_EQ(CallerCpe(kSetup, Bearer()), 0u);
    EXPECT_EQ(Status(5).callState, isdn::kCallInitiated);
    ASSERT_EQ(CalledCo(kSetupAcknowledge, ChannelB(2)), 0u);
    EXPECT_EQ(Status(5).callState, isdn::kOverlapSending);
    ASSERT_EQ(CallerCpe(kInformation, Keypad("555")), 0u);
    ASSERT_EQ(CallerCpe(kInformation, Keypad("6789")), 0u);
    ASSERT_EQ(CalledCo(kCallProceeding), 0u);
    ASSERT_EQ(CalledCo(kAlerting), 0u);
    ASSERT_EQ(CalledCo(kConnect, ConnectedNumber("5556789")), 0u);
    ASSERT_EQ(CallerCpe(kConnectAcknowledge), 0u);
    ASSERT_EQ(CalledCo(kDisconnect, Cause(16)), 0u);
    EXPECT_EQ(Status(5).callState, isdn::kDisconnectIndication);
    ASSERT_EQ(CallerCpe(kRelease), 0u);
    EXPECT_EQ(Status(5).callState, isdn::kReleaseRequest);
    ASSERT_EQ(CalledCo(kReleaseComplete), 0u);

    const std::vector<RecordedEvent> recorded = events.Take();
    ASSERT_EQ(recorded.size(), 3u);
    EXPECT_EQ(recorded[0].event.eventCode, QXEVT_CALL_ALERTING);
    EXPECT_EQ(recorded[0].status.callState, isdn::kOutgoingProceeding);
    EXPECT_STREQ(recorded[0].status.calledNumber.digits, "5556789") << "keypad digits in Overlap Sending";
    EXPECT_EQ(recorded[1].event.eventCode, QXEVT_CALL_CONNECTED);
    EXPECT_EQ(recorded[1].status.direction, 2u);
    EXPECT_STREQ(recorded[1].status.connectedNumber.digits, "5556789");
    EXPECT_EQ(recorded[2].event.eventCode, QXEVT_CALL_RELEASED);
    EXPECT_EQ(recorded[2].status.cause, 16u);
    EXPECT_EQ(recorded[2].event.channel, 2u);
}

TEST_F(CallFlowTest, RejectedCalls)
{
    // The called terminal refuses an incoming call.
    ASSERT_EQ(Co(kSetup, ChannelB(1)), 0u);
    ASSERT_EQ(Cpe(kReleaseComplete, Cause(21)), 0u);
    // The network refuses an outgoing call: DISCONNECT in Call Delivered.
    ASSERT_EQ(CallerCpe(kSetup), 0u);
    ASSERT_EQ(CalledCo(kCallProceeding, ChannelB(2)), 0u);
    ASSERT_EQ(CalledCo(kAlerting), 0u);
    events.Take();
    ASSERT_EQ(CalledCo(kDisconnect, Cause(17)), 0u);
    const std::vector<RecordedEvent> recorded = events.Take();
    ASSERT_EQ(recorded.size(), 1u);
    EXPECT_EQ(recorded[0].event.eventCode, QXEVT_CALL_REJECTED);
    EXPECT_EQ(recorded[0].status.callState, isdn::kDisconnectIndication) << "the state moved before the event";
    EXPECT_EQ(recorded[0].status.cause, 17u);
    ASSERT_EQ(CallerCpe(kRelease), 0u);
    ASSERT_EQ(CalledCo(kReleaseComplete), 0u);
    EXPECT_EQ(events.Count(), 0u) << "a call never connected is not reported as released";
}

TEST_F(CallFlowTest, TerminalRefusingAnIncomingCallIsARejection)
{
    ASSERT_EQ(Co(kSetup, ChannelB(1)), 0u);
    ASSERT_EQ(Cpe(kReleaseComplete), 0u);
    EXPECT_EQ(events.TakeCodes(), std::vector<uint32_t>{QXEVT_CALL_REJECTED});
}

TEST_F(CallFlowTest, AbandonedCallKeepsItsStateInTheEvent)
{
    ASSERT_EQ(Co(kSetup, ChannelB(1)), 0u);
    ASSERT_EQ(Cpe(kAlerting), 0u);
    events.Take();
    ASSERT_EQ(Co(kDisconnect, Cause(16)), 0u);
    const std::vector<RecordedEvent> recorded = events.Take();
    ASSERT_EQ(recorded.size(), 1u);
    EXPECT_EQ(recorded[0].event.eventCode, QXEVT_CALL_ABANDONED);
    EXPECT_EQ(recorded[0].status.callState, isdn::kCallReceived);
    EXPECT_EQ(Status(5).callState, isdn::kDisconnectIndication);
}

TEST_F(CallFlowTest, ReleaseOfAConnectedCallPostsOnlyTheRelease)
{
    IncomingActive();
    ASSERT_EQ(Co(kDisconnect, Cause(16)), 0u);
    ASSERT_EQ(Co(kRelease, Cause(16)), 0u);
    EXPECT_EQ(events.TakeCodes(), std::vector<uint32_t>{QXEVT_CALL_RELEASED});
}

TEST_F(CallFlowTest, ConnectWithoutAlertingConnects)
{
    ASSERT_EQ(Co(kSetup, ChannelB(2)), 0u);
    ASSERT_EQ(Cpe(kConnect, ConnectedNumber("42")), 0u);
    const std::vector<RecordedEvent> recorded = events.Take();
    ASSERT_EQ(recorded.size(), 1u);
    EXPECT_EQ(recorded[0].event.eventCode, QXEVT_CALL_CONNECTED);
    EXPECT_STREQ(recorded[0].status.connectedNumber.digits, "42");
}

TEST_F(CallFlowTest, HoldAndRetrieve)
{
    IncomingActive();
    ASSERT_EQ(Cpe(kHold), 0u);
    ASSERT_EQ(Co(kHoldAcknowledge), 0u);
    ASSERT_EQ(Cpe(kRetrieve), 0u);
    ASSERT_EQ(Co(kRetrieveAcknowledge, ChannelB(2)), 0u);
    const std::vector<RecordedEvent> recorded = events.Take();
    ASSERT_EQ(recorded.size(), 2u);
    EXPECT_EQ(recorded[0].event.eventCode, QXEVT_CALL_HELD);
    EXPECT_EQ(recorded[1].event.eventCode, QXEVT_CALL_RETRIEVED);
    EXPECT_EQ(recorded[1].event.channel, 2u) << "the call came back on B2";
    // Hold asked by the CO, refused by the CPE.
    ASSERT_EQ(Co(kHold), 0u);
    ASSERT_EQ(Cpe(kHoldReject), 0u);
    ASSERT_EQ(Cpe(kRetrieve), 0u);
    EXPECT_EQ(events.Count(), 0u) << "no retrieve without a held call";
}

TEST_F(CallFlowTest, ARetrieveAcknowledgeWithABadChannelChangesNothing)
{
    const Bytes badChannel = Ie(0x18, {});
    for (const bool coRetrieves : {true, false}) {
        IncomingActive();
        auto retriever = [&](uint8_t type, const Bytes& elements = {}) {
            return coRetrieves ? Co(type, elements) : Cpe(type, elements);
        };
        auto peer = [&](uint8_t type, const Bytes& elements = {}) {
            return coRetrieves ? Cpe(type, elements) : Co(type, elements);
        };
        ASSERT_EQ(retriever(kHold), 0u);
        ASSERT_EQ(peer(kHoldAcknowledge), 0u);
        ASSERT_EQ(retriever(kRetrieve), 0u);
        ASSERT_EQ(events.TakeCodes(), std::vector<uint32_t>{QXEVT_CALL_HELD});
        EXPECT_NE(peer(kRetrieveAcknowledge, badChannel), 0u) << "CO retrieves " << coRetrieves;
        EXPECT_EQ(events.Count(), 0u);
        ASSERT_EQ(peer(kRetrieveAcknowledge, ChannelB(2)), 0u) << "the call still waits for the answer";
        const std::vector<RecordedEvent> recorded = events.Take();
        ASSERT_EQ(recorded.size(), 1u) << "CO retrieves " << coRetrieves;
        EXPECT_EQ(recorded[0].event.eventCode, QXEVT_CALL_RETRIEVED);
        EXPECT_EQ(recorded[0].event.channel, 2u);
        EXPECT_EQ(monitor.Timers().InUseCount(), 0);
        ASSERT_EQ(Cpe(kReleaseComplete), 0u);
        events.Take();
    }
}

TEST_F(CallFlowTest, HoldBeforeAnswerIsReportedWhenTheCallConnects)
{
    ASSERT_EQ(CallerCpe(kSetup), 0u);
    ASSERT_EQ(CalledCo(kCallProceeding, ChannelB(1)), 0u);
    ASSERT_EQ(CalledCo(kAlerting), 0u);
    events.Take();
    ASSERT_EQ(CallerCpe(kHold), 0u);
    ASSERT_EQ(CalledCo(kHoldAcknowledge), 0u);
    EXPECT_EQ(events.Count(), 0u);
    ASSERT_EQ(CalledCo(kConnect), 0u);
    EXPECT_EQ(events.TakeCodes(), (std::vector<uint32_t>{QXEVT_CALL_CONNECTED, QXEVT_CALL_HELD}));
}

TEST_F(CallFlowTest, HoldAndRetrieveTimersGiveUp)
{
    IncomingActive();
    ASSERT_EQ(Cpe(kHold), 0u);
    Ticks(40);
    ASSERT_EQ(Co(kHoldAcknowledge), 0u);
    EXPECT_EQ(events.Count(), 0u) << "the hold request timed out";
    ASSERT_EQ(Cpe(kHold), 0u);
    ASSERT_EQ(Co(kHoldAcknowledge), 0u);
    ASSERT_EQ(Co(kRetrieve), 0u);
    Ticks(40);
    ASSERT_EQ(Cpe(kRetrieveAcknowledge), 0u);
    EXPECT_EQ(events.TakeCodes(), std::vector<uint32_t>{QXEVT_CALL_HELD}) << "still held after the timeout";
    EXPECT_EQ(monitor.Timers().InUseCount(), 0);
}

TEST_F(CallFlowTest, SuspendAndResume)
{
    OutgoingActive();
    ASSERT_EQ(CallerCpe(kSuspend, Ie(0x10, {'p', 'k'})), 0u);
    EXPECT_EQ(Status(5).callState, isdn::kSuspendRequest);
    ASSERT_EQ(CalledCo(kSuspendAcknowledge), 0u);
    EXPECT_EQ(events.TakeCodes(), std::vector<uint32_t>{QXEVT_CALL_SUSPENDED});
    EXPECT_EQ(Status(5).callState, kNoCall);
    EXPECT_EQ(monitor.Timers().InUseCount(), 0);

    ASSERT_EQ(line.Cpe(Q931(9, kResume, Ie(0x10, {'p', 'k'}))), 0u);
    EXPECT_EQ(Status(9).callState, isdn::kResumeRequest);
    ASSERT_EQ(line.Co(Q931(0x89, kResumeAcknowledge, ChannelB(1))), 0u);
    const std::vector<RecordedEvent> recorded = events.Take();
    ASSERT_EQ(recorded.size(), 1u);
    EXPECT_EQ(recorded[0].event.eventCode, QXEVT_CALL_RESUMED);
    EXPECT_EQ(Status(9).callState, isdn::kActive);
    EXPECT_EQ(Status(9).direction, 2u);
    EXPECT_EQ(frontEnd.dataLinks[0]->layer3->outgoingCalls, 2u);
    EXPECT_EQ(frontEnd.dataLinks[0]->layer3->outgoingConnected, 2u);
}

TEST_F(CallFlowTest, SuspendAndResumeTimers)
{
    OutgoingActive();
    ASSERT_EQ(CallerCpe(kSuspend), 0u) << "a SUSPEND without call identity is followed too";
    Ticks(40);
    EXPECT_EQ(Status(5).callState, isdn::kActive) << "T319: back to Active";
    ASSERT_EQ(line.Cpe(Q931(9, kResume)), 0u);
    Ticks(40);
    EXPECT_EQ(Status(9).callState, kNoCall) << "T318: the resume is given up";
    ASSERT_EQ(line.Cpe(Q931(10, kResume)), 0u);
    ASSERT_EQ(line.Co(Q931(0x8A, kResumeReject, Cause(83))), 0u);
    EXPECT_EQ(Status(10).callState, kNoCall);
    EXPECT_EQ(events.Count(), 0u);
}

TEST_F(CallFlowTest, SuspendIsIgnoredBeforeTheCallIsActive)
{
    ASSERT_EQ(CallerCpe(kSetup), 0u);
    ASSERT_EQ(CalledCo(kAlerting, ChannelB(1)), 0u);
    ASSERT_EQ(CallerCpe(kSuspend), 0u);
    EXPECT_EQ(Status(5).callState, isdn::kCallDelivered);
}

TEST_F(CallFlowTest, KeypadInAnActiveCallIsUserInformation)
{
    IncomingActive();
    ASSERT_EQ(Cpe(kInformation, Keypad("#9")), 0u);
    const std::vector<RecordedEvent> recorded = events.Take();
    ASSERT_EQ(recorded.size(), 1u);
    EXPECT_EQ(recorded[0].event.eventCode, QXEVT_CALL_USER_INFO);
    EXPECT_EQ(recorded[0].userInfo.source, 2u);
    EXPECT_EQ(recorded[0].userInfo.infoType, 107u);
    EXPECT_EQ(recorded[0].userInfo.byteCount, 2u);
    EXPECT_STREQ(Status(5).calledNumber.digits, "200") << "the called number is left alone";
}

TEST_F(CallFlowTest, DataLinkFailureEndsCallsWithCause41)
{
    // A connected call being cleared when its data link goes down.
    IncomingActive();
    ASSERT_EQ(Co(kDisconnect, Cause(16)), 0u);
    ASSERT_EQ(line.CpeFrame(Frame(0, 0, 64, {0x53})), 0u);  // DISC from the CPE
    const std::vector<RecordedEvent> recorded = events.Take();
    ASSERT_EQ(recorded.size(), 1u);
    EXPECT_EQ(recorded[0].event.eventCode, QXEVT_CALL_RELEASED);
    EXPECT_EQ(recorded[0].status.cause, 41u);
    EXPECT_EQ(Status(5).callState, kNoCall);
}

TEST_F(CallFlowTest, ActiveCallWaitsNinetySecondsForItsDataLink)
{
    IncomingActive();
    ASSERT_EQ(line.CpeFrame(Frame(0, 0, 64, {0x53})), 0u);
    EXPECT_EQ(Status(5).callState, isdn::kActive);
    // The release completes, then the link comes back: T309 stops.
    ASSERT_EQ(line.CoFrame(Frame(0, 0, 64, {0x73})), 0u);
    ASSERT_EQ(line.CpeFrame(Frame(0, 0, 64, {0x7F})), 0u);
    EXPECT_EQ(monitor.Timers().InUseCount(), 1);
    ASSERT_EQ(line.CoFrame(Frame(0, 0, 64, {0x73})), 0u);
    EXPECT_EQ(monitor.Timers().InUseCount(), 0);
    // It goes down again and stays down.
    ASSERT_EQ(line.CpeFrame(Frame(0, 0, 64, {0x53})), 0u);
    Ticks(899);
    EXPECT_EQ(Status(5).callState, isdn::kActive);
    Ticks(1);
    const std::vector<RecordedEvent> recorded = events.Take();
    ASSERT_EQ(recorded.size(), 1u);
    EXPECT_EQ(recorded[0].event.eventCode, QXEVT_CALL_RELEASED);
    EXPECT_EQ(recorded[0].status.cause, 41u);
}

TEST_F(CallFlowTest, RepeatedSetupsEndAfterT303)
{
    ASSERT_EQ(Co(kSetup, ChannelB(1)), 0u);
    ASSERT_EQ(Co(kSetup, ChannelB(1)), 0u);
    ASSERT_EQ(Co(kSetup, ChannelB(1)), 0u);
    EXPECT_EQ(monitor.Timers().InUseCount(), 1) << "the CO T303 runs once";
    Ticks(40);
    EXPECT_EQ(Status(5).callState, kNoCall);
    ASSERT_EQ(CallerCpe(kSetup), 0u);
    ASSERT_EQ(CallerCpe(kSetup), 0u);
    ASSERT_EQ(CalledCo(kCallProceeding), 0u);
    Ticks(40);
    EXPECT_EQ(Status(5).callState, isdn::kOutgoingProceeding) << "CALL PROCEEDING stopped the CPE T303";
}

TEST_F(CallFlowTest, StatusNamingStateNullEndsTheCall)
{
    IncomingActive();
    ASSERT_EQ(Co(kStatus, Ie(0x14, {0x0A})), 0u);
    EXPECT_EQ(Status(5).callState, isdn::kActive);
    EXPECT_EQ(Co(kStatus), 0xE0090004u) << "a STATUS without its call state";
    ASSERT_EQ(Co(kStatus, Ie(0x14, {0x00})), 0u);
    EXPECT_EQ(Status(5).callState, kNoCall);
    EXPECT_EQ(events.TakeCodes(), std::vector<uint32_t>{QXEVT_CALL_RELEASED});
}

TEST_F(CallFlowTest, BadElementsInASetupFreeTheEntity)
{
    EXPECT_EQ(Co(kSetup, Ie(0x04, {0x80, 0xC0})), 0xE0090015u);
    EXPECT_EQ(Status(5).callState, kNoCall);
    EXPECT_EQ(Co(kSetup, ChannelB(1) + Ie(0x6C, {0x01})), 0xE009001Du);
    EXPECT_EQ(Status(5).callState, kNoCall);
    ASSERT_EQ(Co(kSetup, ChannelB(1)), 0u);
    EXPECT_EQ(Cpe(kConnect, Ie(0x4C, {})), 0xE009001Du);
    EXPECT_EQ(Status(5).callState, isdn::kCallPresent) << "a bad CONNECT changes nothing";
}

TEST(CallEventChannels, NameTheBChannelOfTheLine)
{
    struct Case {
        uint32_t line;
        uint8_t tei;
        uint8_t bChannel;
        uint32_t board;
        uint32_t channel;
    };
    const Case cases[] = {
        {1, 64, 2, 0, 4},    // framers 2 and 3
        {7, 64, 1, 0, 15},   // framers 14 and 15
        {7, 64, 2, 0, 16},
        {0, 64, 1, 0, 1},
        {8, 64, 1, 1, 17},   // framers 16 and 17: the second board
        {15, 64, 2, 1, 32},
    };
    for (const Case& c : cases) {
        EventCollector events;
        isdn::IsdnMonitor monitor;
        ISDNPT frontEnd(monitor, events);
        ASSERT_EQ(frontEnd.Start(1, 32, 16), 0u);
        Line line(frontEnd, c.line, c.tei);
        ASSERT_EQ(line.Co(Q931(1, kSetup, ChannelB(c.bChannel))), 0u);
        ASSERT_EQ(line.Cpe(Q931(0x81, kConnect)), 0u);
        const std::vector<RecordedEvent> recorded = events.Take();
        ASSERT_EQ(recorded.size(), 1u);
        EXPECT_EQ(recorded[0].event.board, c.board) << c.line << " B" << int(c.bChannel);
        EXPECT_EQ(recorded[0].event.channel, c.channel) << c.line << " B" << int(c.bChannel);
    }
}

TEST(CallEventChannels, TheSecondTerminalOfALineSharesItsChannels)
{
    EventCollector events;
    isdn::IsdnMonitor monitor;
    ISDNPT frontEnd(monitor, events);
    ASSERT_EQ(frontEnd.Start(1, 32, 16), 0u);
    Line first(frontEnd, 7, 64);
    Line second(frontEnd, 7, 65);
    ASSERT_EQ(first.Co(Q931(1, kSetup, ChannelB(1))), 0u);
    ASSERT_EQ(second.Co(Q931(2, kSetup, ChannelB(2))), 0u);
    ASSERT_EQ(second.Cpe(Q931(0x82, kConnect)), 0u);
    const std::vector<RecordedEvent> recorded = events.Take();
    ASSERT_EQ(recorded.size(), 1u);
    EXPECT_EQ(recorded[0].status.line, 15u) << "the line's second data link";
    EXPECT_EQ(recorded[0].event.channel, 16u);
}
