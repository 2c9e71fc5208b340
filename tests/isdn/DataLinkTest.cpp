#include <gtest/gtest.h>

#include "IsdnTestSupport.h"
#include "isdn/monitor/IsdnTimerService.h"

using namespace isdntest;

namespace {

constexpr uint8_t kTei = 64;

// Frames of line 0 (framer 0 from the CO, framer 1 from the CPE).
Bytes Sabme(uint8_t commandResponse) { return Frame(0, commandResponse, kTei, {0x7F}); }
Bytes Ua(uint8_t commandResponse, bool final) { return Frame(0, commandResponse, kTei, {static_cast<uint8_t>(final ? 0x73 : 0x63)}); }
Bytes Disc(uint8_t commandResponse) { return Frame(0, commandResponse, kTei, {0x53}); }
Bytes Dm(uint8_t commandResponse) { return Frame(0, commandResponse, kTei, {0x1F}); }
Bytes Supervisory(uint8_t commandResponse, uint8_t control, uint8_t nr)
{
    return Frame(0, commandResponse, kTei, {control, static_cast<uint8_t>(nr << 1)});
}

class DataLinkTest : public IsdnFixture {
protected:

    uint32_t FromCo(const Bytes& frame) { return line.CoFrame(frame); }
    uint32_t FromCpe(const Bytes& frame) { return line.CpeFrame(frame); }
    ISDNPTDL& link() { return *frontEnd.dataLinks[0]; }
    ISDNPTL3& layer3() { return *link().layer3; }
    // An Active call on the link (its SETUP from the CO, CONNECT from the CPE).
    void ActiveCall(uint8_t callRef)
    {
        ASSERT_EQ(line.Co(Q931(callRef, kSetup, ChannelB(1))), 0u);
        ASSERT_EQ(line.Cpe(Q931(callRef | 0x80, kConnect)), 0u);
        ZAQ16_CALL_STATUS status{};
        ASSERT_EQ(frontEnd.GetStatusByRef(callRef, &status), 0u);
        ASSERT_EQ(status.callState, isdn::kActive);
    }
    uint32_t CallState(uint8_t callRef)
    {
        ZAQ16_CALL_STATUS status{};
        return frontEnd.GetStatusByRef(callRef, &status) == 0 ? status.callState : 99;
    }

    Line line{frontEnd, 0, kTei};
};

}  // namespace

TEST_F(DataLinkTest, UaWithoutFinalBitOnlyNotesIt)
{
    ASSERT_EQ(FromCpe(Sabme(0)), 0u);
    ASSERT_EQ(link().linkState, isdn::kLinkCpeEstablishing);
    ASSERT_EQ(link().cpeSabmeCount, 1u);
    link().coPF = 1;
    ASSERT_EQ(FromCo(Ua(0, false)), 0u);
    EXPECT_EQ(link().linkState, isdn::kLinkCpeEstablishing);
    EXPECT_EQ(link().coPF, 0u);
    EXPECT_EQ(link().cpeSabmeCount, 0u);
    ASSERT_EQ(FromCo(Ua(0, true)), 0u);
    EXPECT_EQ(link().linkState, isdn::kLinkEstablished);
}

TEST_F(DataLinkTest, ThreeSabmesArmTheTimerOnceAndItsExpiryReleases)
{
    for (int i = 0; i < 3; ++i) {
        ASSERT_EQ(FromCpe(Sabme(0)), 0u);
    }
    EXPECT_EQ(link().linkState, isdn::kLinkCpeEstablishing);
    EXPECT_GE(link().cpeTimer, 0);
    EXPECT_EQ(link().cpeSabmeCount, 0u);
    EXPECT_EQ(monitor.Timers().InUseCount(), 1);
    for (int i = 0; i < 3; ++i) {
        FromCpe(Sabme(0));
    }
    EXPECT_EQ(monitor.Timers().InUseCount(), 1) << "arming again replaces the running timer";
    Ticks(9);
    EXPECT_EQ(link().linkState, isdn::kLinkCpeEstablishing);
    Ticks(1);
    EXPECT_EQ(link().linkState, isdn::kLinkTeiAssigned);
    EXPECT_EQ(link().cpeTimer, -1);
}

TEST_F(DataLinkTest, ThirdDiscStartsTheTimerAndItsExpiryClearsTheCount)
{
    FromCpe(Sabme(0));
    FromCo(Ua(0, true));
    ASSERT_EQ(FromCpe(Disc(0)), 0u);
    EXPECT_EQ(link().linkState, isdn::kLinkCpeReleasing);
    FromCpe(Disc(0));
    FromCpe(Disc(0));
    EXPECT_GE(link().cpeTimer, 0);
    FromCpe(Disc(0));
    Ticks(10);
    EXPECT_EQ(link().linkState, isdn::kLinkTeiAssigned);
    EXPECT_EQ(link().cpeDiscCount, 0u);
}

TEST_F(DataLinkTest, AnIFrameInStateOneEstablishesBeforeItsMessageIsHandled)
{
    ActiveCall(5);
    // The link goes down: the Active call waits for it (T309).
    FromCpe(Disc(0));
    FromCo(Ua(0, true));
    ASSERT_EQ(link().linkState, isdn::kLinkTeiAssigned);
    // The next I frame brings the link back first, so T309 stops, and only
    // then does its DISCONNECT move the call on.
    ASSERT_EQ(line.Co(Q931(5, kDisconnect, Cause(16))), 0u);
    EXPECT_EQ(link().linkState, isdn::kLinkEstablished);
    EXPECT_EQ(CallState(5), 12u);
    EXPECT_EQ(monitor.Timers().InUseCount(), 0) << "T309 was cancelled while the call was still Active";
}

TEST_F(DataLinkTest, ReceiverNotReadyHoldsBackTheOtherSidesFrames)
{
    FromCpe(Sabme(0));
    FromCo(Ua(0, true));
    ASSERT_EQ(FromCo(Supervisory(1, 0x05, 0)), 0u);
    EXPECT_EQ(link().coBusy, 1u);
    EXPECT_EQ(line.Cpe(Q931(7, kSetup)), 0u);
    EXPECT_EQ(layer3().outgoingCalls, 0u) << "held back while the CO is busy";
    ASSERT_EQ(FromCo(Supervisory(1, 0x01, 1)), 0u);
    EXPECT_EQ(link().coBusy, 0u);
    EXPECT_EQ(line.Cpe(Q931(7, kSetup)), 0u);
    EXPECT_EQ(layer3().outgoingCalls, 1u);
}

TEST_F(DataLinkTest, ReceiveReadyFromBothSidesShowsAnEstablishedLink)
{
    ASSERT_EQ(FromCo(Supervisory(1, 0x01, 5)), 0u);
    EXPECT_EQ(link().linkState, isdn::kLinkTeiAssigned);
    EXPECT_EQ(link().coRrSeen, 1u);
    ASSERT_EQ(FromCpe(Supervisory(0, 0x01, 9)), 0u);
    EXPECT_EQ(link().linkState, isdn::kLinkEstablished);
    EXPECT_EQ(link().coNextNs, 9u);
    EXPECT_EQ(link().cpeNextNs, 5u);
    EXPECT_EQ(link().coRrSeen, 0u);
    EXPECT_EQ(link().cpeRrSeen, 0u);
}

TEST_F(DataLinkTest, IFramesOutOfSequenceAreHandledAllTheSame)
{
    const Bytes setup = Frame(0, 1, kTei, {0x00, 0x00}, Q931(3, kSetup));
    const Bytes information = Frame(0, 1, kTei, {0x14, 0x00}, Q931(3, kInformation, Display("hi")));
    ASSERT_EQ(FromCo(setup), 0u);
    EXPECT_EQ(link().coNextNs, 1u);
    ASSERT_EQ(FromCo(information), 0u);
    EXPECT_EQ(link().coNextNs, 11u);
    EXPECT_EQ(events.TakeCodes(), std::vector<uint32_t>{QXEVT_CALL_USER_INFO});
}

TEST_F(DataLinkTest, UnnumberedInformationWithThePollBitIsIgnored)
{
    const Bytes poll = Frame(0, 1, 127, {0x13}, Q931(9, kSetup));
    const Bytes plain = Frame(0, 1, 127, {0x03}, Q931(9, kSetup));
    EXPECT_EQ(FromCo(poll), 0u);
    EXPECT_EQ(layer3().incomingCalls, 0u);
    EXPECT_EQ(FromCo(plain), 0u);
    EXPECT_EQ(layer3().incomingCalls, 1u);
}

TEST_F(DataLinkTest, ModeFrameAnswersEndTheAttempts)
{
    FromCo(Sabme(1));
    ASSERT_EQ(link().linkState, isdn::kLinkCoEstablishing);
    EXPECT_EQ(FromCpe(Dm(1)), 0u);
    EXPECT_EQ(link().linkState, isdn::kLinkTeiAssigned);
    FromCo(Sabme(1));
    FromCpe(Ua(1, true));
    ASSERT_EQ(link().linkState, isdn::kLinkEstablished);
    FromCo(Disc(1));
    ASSERT_EQ(link().linkState, isdn::kLinkCoReleasing);
    EXPECT_EQ(FromCpe(Dm(1)), 0u);
    EXPECT_EQ(link().linkState, isdn::kLinkTeiAssigned);
}

TEST_F(DataLinkTest, StoppingTheFrontEndCancelsTheLinkTimers)
{
    for (int i = 0; i < 3; ++i) {
        FromCpe(Sabme(0));
    }
    ASSERT_EQ(monitor.Timers().InUseCount(), 1);
    frontEnd.Stop();
    EXPECT_EQ(monitor.Timers().InUseCount(), 0);
}

TEST_F(DataLinkTest, UnknownControlBytesChangeNothing)
{
    FromCpe(Sabme(0));
    EXPECT_EQ(FromCo(Frame(0, 1, kTei, {0x0B, 0x00})), 0u);
    EXPECT_EQ(link().linkState, isdn::kLinkCpeEstablishing);
}
