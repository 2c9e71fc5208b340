#include <gtest/gtest.h>

#include "IsdnTestSupport.h"

using namespace isdntest;

namespace {

constexpr uint8_t kRr = 0x01;

// A TEI-management message (UI on SAPI 63, TEI 127).
Bytes TeiManagement(uint8_t commandResponse, uint8_t type, uint16_t ri, uint8_t ai)
{
    return Frame(63, commandResponse, 127, {0x03},
                 {0x0F, static_cast<uint8_t>(ri >> 8), static_cast<uint8_t>(ri), type,
                  static_cast<uint8_t>((ai << 1) | 1)});
}

class FrontEndTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(frontEnd.Start(1, 32, 16), 0u); }

    ISDNPTDL& Link(uint32_t index) { return *frontEnd.dataLinks[index]; }
    uint32_t Send(uint32_t framer, const Bytes& frame)
    {
        return frontEnd.HDLCFrameRcvd(framer, frame.data(), static_cast<uint32_t>(frame.size()), 0, 0);
    }

    EventCollector events;
    isdn::IsdnMonitor monitor;
    ISDNPT frontEnd{monitor, events};
};

}  // namespace

TEST(FrontEndStart, ChecksItsArguments)
{
    struct Case {
        uint32_t mode;
        uint32_t framers;
        uint32_t chans;
        uint32_t result;
    };
    const Case cases[] = {
        {1, 33, 16, 0xE0090001}, {1, 3, 16, 0xE0090001}, {1, 0, 16, 0xE0090001}, {1, 34, 16, 0xE0090001},
        {1, 32, 61, 0xE0090002}, {1, 32, 0, 0xE0090002}, {2, 32, 16, 0xE009001E}, {1, 32, 60, 0},
        {0, 32, 16, 0},          {1, 2, 1, 0},
    };
    EventCollector events;
    for (const Case& c : cases) {
        isdn::IsdnMonitor monitor;
        ISDNPT frontEnd(monitor, events);
        EXPECT_EQ(frontEnd.Start(c.mode, c.framers, c.chans), c.result)
            << c.mode << " " << c.framers << " " << c.chans;
    }
}

TEST(FrontEndStart, CreatesOneLinkPerFramerOrPerLine)
{
    EventCollector events;
    isdn::IsdnMonitor monitor;
    ISDNPT multi(monitor, events);
    ASSERT_EQ(multi.Start(1, 32, 16), 0u);
    for (uint32_t i = 0; i < 32; ++i) {
        ASSERT_TRUE(multi.dataLinks[i]);
        EXPECT_EQ(multi.dataLinks[i]->linkState, isdn::kLinkNoTei);
        EXPECT_EQ(multi.dataLinks[i]->layer3->line, i);
    }
    EXPECT_FALSE(multi.dataLinks[32]);
    ISDNPT single(monitor, events);
    ASSERT_EQ(single.Start(0, 32, 16), 0u);
    EXPECT_TRUE(single.dataLinks[15]);
    EXPECT_FALSE(single.dataLinks[16]);
    EXPECT_EQ(single.dataLinks[15]->linkState, isdn::kLinkInactive);
}

// The front ends of one monitor (the BRI ports of a link) share its calls and
// its timer table; a front end of another monitor sees and ticks neither.
TEST(IsdnMonitor, FrontEndsShareTheCallsAndTimersOfTheirOwnMonitorOnly)
{
    EventCollector events;
    isdn::IsdnMonitor monitor;
    isdn::IsdnMonitor other;
    ISDNPT first(monitor, events);
    ISDNPT second(monitor, events, 16);
    ISDNPT apart(other, events);
    for (ISDNPT* frontEnd : {&first, &second, &apart}) {
        ASSERT_EQ(frontEnd->Start(1, 32, 16), 0u);
    }
    Line line(first, 0, 64);
    ASSERT_EQ(line.Co(Q931(5, kSetup, ChannelB(1))), 0u);
    ASSERT_EQ(line.Co(Q931(5, kSetup, ChannelB(1))), 0u);  // the repeat starts T303
    ASSERT_EQ(monitor.Timers().InUseCount(), 1);
    EXPECT_EQ(other.Timers().InUseCount(), 0);

    ZAQ16_CALL_STATUS status{};
    EXPECT_EQ(second.GetStatusByRef(5, &status), 0u) << "one pool for the link";
    EXPECT_EQ(apart.GetStatusByRef(5, &status), 0xE009000Cu) << "another monitor's pool";
    for (int tick = 0; tick < 50; ++tick) {
        apart.Tick();
    }
    EXPECT_EQ(first.GetStatusByRef(5, &status), 0u) << "another monitor's ticks run none of these timers";
    for (int tick = 0; tick < 40; ++tick) {
        second.Tick();
    }
    EXPECT_EQ(first.GetStatusByRef(5, &status), 0xE009000Cu) << "T303 expired on the other front end's tick";
    EXPECT_EQ(monitor.Timers().InUseCount(), 0);
}

TEST_F(FrontEndTest, RefusesBadFramesWithTheirCodes)
{
    const Bytes rr = Frame(0, 1, 64, {kRr, 0x00});
    struct Case {
        uint32_t framer;
        Bytes frame;
        uint32_t result;
    };
    const Case cases[] = {
        {32, rr, 0xE0090003},
        {200, rr, 0xE0090003},
        {0, Bytes(267, 0x00), 0xE0090006},
        {0, {0x00, 0x81, 0x01, 0x00}, 0xE0090007},
        {0, {0x02}, 0xE0090007},
        {0, Frame(16, 1, 64, {kRr, 0x00}), 0xE0090008},  // SAPI 16
        // The SAPI is checked before the length.
        {0, {0x40, 0x81, 0x01}, 0xE0090008},
        {0, {0x40}, 0xE0090008},
        {0, Bytes{0x40} + Bytes(266, 0x00), 0xE0090008},
        {1, Frame(0, 1, 64, {0x7F}), 0xE0090009},        // SABME from the CPE marked as a command of the CO
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Send(c.framer, c.frame), c.result) << Hex(c.frame);
    }
    EXPECT_EQ(frontEnd.HDLCFrameRcvd(0, nullptr, 5, 0, 0), 0xE0090004u);
    EXPECT_EQ(frontEnd.HDLCFrameRcvd(0, rr.data(), 0, 0, 0), 0xE0090005u);
    EXPECT_EQ(Link(0).linkState, isdn::kLinkNoTei) << "a refused frame takes no entity";
    EXPECT_EQ(Link(1).linkState, isdn::kLinkNoTei);
}

TEST_F(FrontEndTest, ATeiTakesAFreeEntityOfItsLineAndKeepsIt)
{
    EXPECT_EQ(Send(2, Frame(0, 1, 64, {kRr, 0x00})), 0u);
    EXPECT_EQ(Send(3, Frame(0, 0, 65, {kRr, 0x00})), 0u);
    EXPECT_EQ(Link(2).tei, 64u);
    EXPECT_EQ(Link(3).tei, 65u);
    EXPECT_EQ(Send(2, Frame(0, 1, 65, {kRr, 0x02})), 0u);
    EXPECT_EQ(Link(3).coLastNr, 1u) << "TEI 65 reaches its own entity";

    const uint32_t statesBefore[] = {Link(2).linkState, Link(3).linkState};
    EXPECT_EQ(Send(2, Frame(0, 1, 66, {kRr, 0x00})), 0xE0090008u) << "a third TEI";
    EXPECT_EQ(Link(2).tei, 64u);
    EXPECT_EQ(Link(3).tei, 65u);
    EXPECT_EQ(Link(2).linkState, statesBefore[0]);
    EXPECT_EQ(Link(3).linkState, statesBefore[1]);
    EXPECT_EQ(Link(0).linkState, isdn::kLinkNoTei) << "other lines keep their entities";
}

TEST_F(FrontEndTest, TeiManagementReachesBothEntitiesOfTheLine)
{
    EXPECT_EQ(Send(5, TeiManagement(0, 1, 0x1234, 127)), 0u);
    EXPECT_EQ(Link(4).pendingRi, 0x1234u);
    EXPECT_EQ(Link(5).pendingRi, 0x1234u);
    EXPECT_EQ(Link(6).pendingRi, 0u);
}

TEST_F(FrontEndTest, AnAssignedIdentityGoesToOneEntity)
{
    Send(1, TeiManagement(0, 1, 0x1111, 127));
    EXPECT_EQ(Send(0, TeiManagement(1, 2, 0x1111, 70)), 0u);
    EXPECT_EQ(Link(0).tei, 70u);
    EXPECT_EQ(Link(0).linkState, isdn::kLinkTeiAssigned);
    EXPECT_EQ(Link(1).linkState, isdn::kLinkNoTei) << "the second entity stays free for the next terminal";

    Send(1, TeiManagement(0, 1, 0x2222, 127));
    EXPECT_EQ(Send(0, TeiManagement(1, 2, 0x2222, 71)), 0u);
    EXPECT_EQ(Link(1).tei, 71u);
    EXPECT_EQ(Link(0).tei, 70u);

    Send(1, TeiManagement(0, 1, 0x3333, 127));
    EXPECT_EQ(Send(0, TeiManagement(1, 2, 0x3333, 72)), 0xE0090008u) << "no entity for a third TEI";
}

TEST_F(FrontEndTest, AnIdentityAssignedForAnotherRequestChangesNothing)
{
    Send(1, TeiManagement(0, 1, 0x1111, 127));
    EXPECT_EQ(Send(0, TeiManagement(1, 2, 0x2222, 70)), 0u);
    EXPECT_EQ(Link(0).linkState, isdn::kLinkNoTei);
    EXPECT_EQ(Link(0).tei, 0u);
    EXPECT_EQ(Link(1).linkState, isdn::kLinkNoTei);
}

TEST_F(FrontEndTest, ARemovedIdentityFreesItsEntity)
{
    Send(0, Frame(0, 1, 64, {kRr, 0x00}));
    Send(0, Frame(0, 1, 65, {kRr, 0x00}));
    EXPECT_EQ(Send(0, TeiManagement(1, 6, 0, 64)), 0u);
    EXPECT_EQ(Link(0).linkState, isdn::kLinkNoTei);
    EXPECT_EQ(Link(1).tei, 65u);
    EXPECT_EQ(Send(0, Frame(0, 1, 66, {kRr, 0x00})), 0u) << "a new TEI takes the freed entity";
    EXPECT_EQ(Link(0).tei, 66u);
    EXPECT_EQ(Send(0, TeiManagement(1, 6, 0, 127)), 0u);
    EXPECT_EQ(Link(0).linkState, isdn::kLinkNoTei);
    EXPECT_EQ(Link(1).linkState, isdn::kLinkNoTei);
}

TEST_F(FrontEndTest, AStoppedFrontEndRefusesFrames)
{
    frontEnd.Stop();
    EXPECT_EQ(Send(0, Frame(0, 1, 64, {kRr, 0x00})), 0xE0090003u);
    EXPECT_FALSE(frontEnd.dataLinks[0]);
}

TEST(FrontEndSingleLink, AcceptsOnlySapi0Tei0)
{
    EventCollector events;
    isdn::IsdnMonitor monitor;
    ISDNPT frontEnd(monitor, events);
    ASSERT_EQ(frontEnd.Start(0, 4, 16), 0u);
    const Bytes tei0 = Frame(0, 1, 0, {kRr, 0x02});
    const Bytes tei1 = Frame(0, 1, 1, {kRr, 0x02});
    EXPECT_EQ(frontEnd.HDLCFrameRcvd(2, tei0.data(), static_cast<uint32_t>(tei0.size()), 0, 0), 0u);
    EXPECT_EQ(frontEnd.dataLinks[1]->coLastNr, 1u) << "framers 2 and 3 are line 1";
    EXPECT_EQ(frontEnd.HDLCFrameRcvd(2, tei1.data(), static_cast<uint32_t>(tei1.size()), 0, 0), 0xE0090008u);
}
