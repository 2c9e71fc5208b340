// Faults the monitor guards against: stale timers on reused entities, the
// copies of broadcast SETUPs that nobody answers, channels of earlier calls,
// fields overrun by long elements.
#include <gtest/gtest.h>

#include <string>

#include "IsdnTestSupport.h"
#include "isdn/monitor/IsdnTimerService.h"

using namespace isdntest;

namespace {

class FaultsTest : public IsdnFixture {
protected:


    Line line{frontEnd, 0, 64};
};

}  // namespace

TEST_F(FaultsTest, AnEndedCallsTimerCannotReleaseTheNextCallOnItsEntity)
{
    ASSERT_EQ(line.Co(Q931(1, kSetup, ChannelB(1))), 0u);
    ASSERT_EQ(line.Cpe(Q931(0x81, kConnect)), 0u);
    // The link drops: T309 runs for the Active call, which the CO then clears.
    ASSERT_EQ(line.CpeFrame(Frame(0, 0, 64, {0x53})), 0u);
    ASSERT_EQ(monitor.Timers().InUseCount(), 1);
    // (A UI frame: the link itself is still down.)
    ASSERT_EQ(line.CoBroadcast(Q931(1, kRelease, Cause(16))), 0u);
    EXPECT_EQ(Status(1).callState, kNoCall);
    EXPECT_EQ(monitor.Timers().InUseCount(), 0) << "the reset cancelled T309";
    // The same entity carries the next call, which becomes Active.
    ASSERT_EQ(line.CoFrame(Frame(0, 0, 64, {0x73})), 0u);
    ASSERT_EQ(line.Co(Q931(2, kSetup, ChannelB(1))), 0u);
    ASSERT_EQ(line.Cpe(Q931(0x82, kConnect)), 0u);
    events.Take();
    Ticks(900);
    EXPECT_EQ(Status(2).callState, isdn::kActive);
    EXPECT_EQ(events.Count(), 0u);
}

TEST_F(FaultsTest, KeypadDigitsStopAtThirtyTwo)
{
    ASSERT_EQ(line.Cpe(Q931(3, kSetup, Keypad("1234567890"))), 0u);
    ASSERT_EQ(line.Co(Q931(0x83, kSetupAcknowledge, ChannelB(1))), 0u);
    for (int i = 0; i < 4; ++i) {
        ASSERT_EQ(line.Cpe(Q931(3, kInformation, Keypad("0123456789"))), 0u);
    }
    const ZAQ16_CALL_STATUS status = Status(3);
    EXPECT_EQ(status.calledNumber.digitCount, 32u);
    EXPECT_EQ(std::string(status.calledNumber.digits, 32), "12345678900123456789012345678901");
    EXPECT_EQ(status.calledSubaddress.byteCount, 0u) << "the next field is untouched";
}

TEST_F(FaultsTest, ACallIdentityIsCutToSixteenBytes)
{
    ASSERT_EQ(line.Cpe(Q931(3, kSetup)), 0u);
    ASSERT_EQ(line.Co(Q931(0x83, kConnect, ChannelB(1))), 0u);
    ASSERT_EQ(line.Cpe(Q931(3, kSuspend, Ie(0x10, Bytes(30, 'i')))), 0u);
    const ISDNPTCall* call = nullptr;
    for (uint32_t i = 0; i < monitor.Pool().Size(); ++i) {
        if (monitor.Pool()[i].callRef == 3) {
            call = &monitor.Pool()[i];
        }
    }
    ASSERT_NE(call, nullptr);
    EXPECT_EQ(call->callState, isdn::kSuspendRequest);
    EXPECT_EQ(call->callIdentity.count, 16u);
}

TEST_F(FaultsTest, StatusByChannelChecksTheDataLinkIndex)
{
    EventCollector otherEvents;
    ISDNPT small(monitor, otherEvents);
    ASSERT_EQ(small.Start(1, 4, 16), 0u);
    ZAQ16_CALL_STATUS status{};
    EXPECT_EQ(small.GetStatusByCh(5, &status), 0xE0090003u);
    EXPECT_EQ(small.GetStatusByCh(0, &status), 0xE0090003u);
    EXPECT_EQ(small.GetStatusByCh(4, &status), 0xE009000Bu);
    ZAQ16_CALL_STATISTICS statistics{};
    EXPECT_EQ(small.GetStatistics(5, &statistics), 0xE0090003u);
}

TEST_F(FaultsTest, AnswersToBroadcastSetupsNeverExhaustThePool)
{
    Line first(frontEnd, 0, 64);
    Line second(frontEnd, 0, 65);
    // Both terminals hold a TEI.
    ASSERT_EQ(first.CpeFrame(Frame(0, 1, 64, {0x01, 0x00})), 0u);
    ASSERT_EQ(second.CpeFrame(Frame(0, 1, 65, {0x01, 0x00})), 0u);
    for (int call = 0; call < 400; ++call) {
        const uint8_t ref = static_cast<uint8_t>(call % 100 + 1);
        const uint8_t answered = static_cast<uint8_t>(ref | 0x80);
        Line& answering = call % 2 == 0 ? first : second;
        Line& other = call % 2 == 0 ? second : first;
        ASSERT_EQ(first.CoBroadcast(Q931(ref, kSetup, ChannelB(1) + CallingNumber("5550100"))), 0u) << call;
        if (call % 3 == 0) {
            // Both terminals ring; one answers, the CO clears the other.
            ASSERT_EQ(other.Cpe(Q931(answered, kAlerting)), 0u);
        }
        ASSERT_EQ(answering.Cpe(Q931(answered, kAlerting)), 0u);
        ASSERT_EQ(answering.Cpe(Q931(answered, kConnect)), 0u);
        if (call % 3 == 0) {
            ASSERT_EQ(other.Co(Q931(ref, kRelease, Cause(26))), 0u);
        }
        ASSERT_EQ(answering.Co(Q931(ref, kConnectAcknowledge)), 0u);
        ASSERT_EQ(answering.Cpe(Q931(answered, kDisconnect, Cause(16))), 0u);
        ASSERT_EQ(answering.Co(Q931(ref, kRelease)), 0u);
        ASSERT_EQ(answering.Cpe(Q931(answered, kReleaseComplete)), 0u);
    }
    int connected = 0;
    int released = 0;
    for (const RecordedEvent& recorded : events.Take()) {
        ASSERT_NE(recorded.event.eventCode, QXEVT_CALL_ABANDONED) << "the terminal not chosen did not abandon";
        connected += recorded.event.eventCode == QXEVT_CALL_CONNECTED;
        released += recorded.event.eventCode == QXEVT_CALL_RELEASED;
    }
    EXPECT_EQ(connected, 400);
    EXPECT_EQ(released, 400);
    for (uint32_t i = 0; i < monitor.Pool().Size(); ++i) {
        EXPECT_EQ(monitor.Pool()[i].callState, isdn::kNull);
    }
}

// A fax and a phone on one bus: the fax refuses the call, the phone rings and answers.
TEST_F(FaultsTest, ATerminalRefusingABroadcastSetupLeavesTheOtherTerminalsCopy)
{
    Line first(frontEnd, 0, 64);
    Line second(frontEnd, 0, 65);
    first.CpeFrame(Frame(0, 1, 64, {0x01, 0x00}));
    second.CpeFrame(Frame(0, 1, 65, {0x01, 0x00}));
    struct Refusal {
        const char* name;
        std::vector<Bytes> fromCpe;  // the refusing terminal's messages
        std::vector<Bytes> fromCo;   // and the CO's answers to it
    };
    const Refusal refusals[] = {
        {"release complete", {Q931(0x87, kReleaseComplete, Cause(88))}, {}},
        {"disconnect", {Q931(0x87, kDisconnect, Cause(21))}, {Q931(7, kRelease)}},
        {"disconnect, release complete", {Q931(0x87, kDisconnect, Cause(21))}, {Q931(7, kReleaseComplete)}},
    };
    for (const Refusal& refusal : refusals) {
        ASSERT_EQ(first.CoBroadcast(Q931(7, kSetup, ChannelB(2))), 0u);
        for (const Bytes& message : refusal.fromCpe) {
            ASSERT_EQ(first.Cpe(message), 0u);
        }
        for (const Bytes& message : refusal.fromCo) {
            ASSERT_EQ(first.Co(message), 0u);
        }
        ASSERT_EQ(second.Cpe(Q931(0x87, kAlerting)), 0u);
        ASSERT_EQ(second.Cpe(Q931(0x87, kConnect)), 0u);
        EXPECT_EQ(events.TakeCodes(),
                  (std::vector<uint32_t>{QXEVT_CALL_REJECTED, QXEVT_CALL_ALERTING, QXEVT_CALL_CONNECTED}))
            << refusal.name;
        EXPECT_EQ(Status(7).callState, isdn::kActive) << refusal.name;
        ASSERT_EQ(second.Co(Q931(7, kRelease, Cause(16))), 0u);
        events.Take();
        EXPECT_EQ(monitor.Timers().InUseCount(), 0) << refusal.name;
    }
}

// After a refusal the other copy has the network's T303 (4 s) to be answered:
// a terminal that stays silent (or that the monitor never saw) leaves no call behind.
TEST_F(FaultsTest, ACopyNobodyAnswersAfterARefusalEndsWithT303)
{
    Line first(frontEnd, 0, 64);
    first.CpeFrame(Frame(0, 1, 64, {0x01, 0x00}));
    ASSERT_EQ(first.CoBroadcast(Q931(7, kSetup, ChannelB(2))), 0u);
    ASSERT_EQ(first.Cpe(Q931(0x87, kReleaseComplete, Cause(88))), 0u);
    EXPECT_EQ(events.TakeCodes(), std::vector<uint32_t>{QXEVT_CALL_REJECTED});
    Ticks(39);
    EXPECT_EQ(Status(7).callState, isdn::kCallPresent) << "the copy of the entity without a terminal yet";
    Ticks(1);
    EXPECT_EQ(Status(7).callState, kNoCall);
    EXPECT_EQ(events.Count(), 0u);
}

TEST_F(FaultsTest, ABroadcastSetupNobodyAnsweredGoesWhenTheNetworkClearsTheCall)
{
    Line first(frontEnd, 0, 64);
    Line second(frontEnd, 0, 65);
    first.CpeFrame(Frame(0, 1, 64, {0x01, 0x00}));
    second.CpeFrame(Frame(0, 1, 65, {0x01, 0x00}));
    struct Clearing {
        const char* name;
        std::vector<Bytes> fromCo;   // the CO's clearing messages to the first terminal
        std::vector<Bytes> fromCpe;  // the first terminal's answers
        std::vector<uint32_t> codes;
    };
    const Clearing clearings[] = {
        {"release", {Q931(7, kRelease, Cause(16))}, {}, {QXEVT_CALL_ABANDONED}},
        {"release complete", {Q931(7, kReleaseComplete, Cause(16))}, {}, {QXEVT_CALL_ABANDONED}},
        {"disconnect", {Q931(7, kDisconnect, Cause(16)), Q931(7, kReleaseComplete)}, {Q931(0x87, kRelease)},
         {QXEVT_CALL_ABANDONED}},
    };
    for (const Clearing& clearing : clearings) {
        ASSERT_EQ(first.CoBroadcast(Q931(7, kSetup, ChannelB(2))), 0u);
        ASSERT_EQ(first.Cpe(Q931(0x87, kAlerting)), 0u);
        EXPECT_EQ(events.TakeCodes(), std::vector<uint32_t>{QXEVT_CALL_ALERTING});
        ASSERT_EQ(first.Co(clearing.fromCo[0]), 0u);
        for (const Bytes& message : clearing.fromCpe) {
            ASSERT_EQ(first.Cpe(message), 0u);
        }
        for (size_t i = 1; i < clearing.fromCo.size(); ++i) {
            ASSERT_EQ(first.Co(clearing.fromCo[i]), 0u);
        }
        EXPECT_EQ(events.TakeCodes(), clearing.codes) << clearing.name;
        EXPECT_EQ(Status(7).callState, kNoCall)
            << clearing.name << ": the second terminal's copy went, without an event";
    }
}

TEST_F(FaultsTest, AnEventNeverNamesTheChannelOfAnEarlierCall)
{
    Line line3(frontEnd, 3, 64);
    ASSERT_EQ(line.Co(Q931(1, kSetup, ChannelB(2))), 0u);
    ASSERT_EQ(line.Cpe(Q931(0x81, kReleaseComplete)), 0u);
    events.Take();
    // The freed entity takes an outgoing call of line 3 refused before any channel was named.
    ASSERT_EQ(line3.Cpe(Q931(2, kSetup)), 0u);
    ASSERT_EQ(line3.Co(Q931(0x82, kReleaseComplete, Cause(34))), 0u);
    const std::vector<RecordedEvent> recorded = events.Take();
    ASSERT_EQ(recorded.size(), 1u);
    EXPECT_EQ(recorded[0].event.eventCode, QXEVT_CALL_REJECTED);
    EXPECT_EQ(recorded[0].event.channel, 7u) << "line 3's first channel, not line 0's B2";
    EXPECT_EQ(recorded[0].status.bChannel, 0u);
}

TEST_F(FaultsTest, StatusByChannelPrefersTheCallInProgress)
{
    // Entity 0 ends a call on B1; entity 1 carries the next B1 call (entity 0 was busy then).
    ASSERT_EQ(line.Co(Q931(1, kSetup, ChannelB(1))), 0u);
    ASSERT_EQ(line.Co(Q931(2, kSetup, ChannelB(1))), 0u);
    ASSERT_EQ(line.Cpe(Q931(0x82, kConnect)), 0u);
    ASSERT_EQ(line.Cpe(Q931(0x81, kReleaseComplete)), 0u);
    ZAQ16_CALL_STATUS status{};
    ASSERT_EQ(frontEnd.GetStatusByCh(1, &status), 0u);
    EXPECT_EQ(status.callRef, 2u);
    EXPECT_EQ(status.callState, isdn::kActive);
}

TEST_F(FaultsTest, StoppingAFrontEndFreesItsCallsAndTimers)
{
    {
        EventCollector otherEvents;
        ISDNPT other(monitor, otherEvents);
        ASSERT_EQ(other.Start(1, 32, 16), 0u);
        Line otherLine(other, 4, 64);
        ASSERT_EQ(otherLine.Co(Q931(1, kSetup, ChannelB(1))), 0u);
        ASSERT_EQ(otherLine.Co(Q931(1, kSetup, ChannelB(1))), 0u);
        ASSERT_EQ(monitor.Timers().InUseCount(), 1);
    }
    EXPECT_EQ(monitor.Timers().InUseCount(), 0);
    EXPECT_EQ(Status(1).callState, kNoCall);
    EXPECT_EQ(line.Co(Q931(1, kSetup, ChannelB(1))), 0u) << "the pool lives on for the remaining front end";
}
