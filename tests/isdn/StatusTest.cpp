#include <gtest/gtest.h>

#include <cstring>

#include "IsdnTestSupport.h"

using namespace isdntest;

namespace {

class StatusTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(frontEnd.Start(1, 32, 16), 0u);
        // B1 of the line of framers 2 and 3, held by its second terminal.
        Line(frontEnd, 1, 64).CpeFrame(Frame(0, 1, 64, {0x01, 0x00}));
        ASSERT_EQ(line.Co(Q931(9, kSetup, ChannelB(1) + CallingNumber("5550199"))), 0u);
        ASSERT_EQ(line.Cpe(Q931(0x89, kConnect)), 0u);
    }

    EventCollector events;
    isdn::IsdnMonitor monitor;
    ISDNPT frontEnd{monitor, events};
    Line line{frontEnd, 1, 65};
};

}  // namespace

TEST_F(StatusTest, ByChannelFindsTheCallOnItsBChannel)
{
    ZAQ16_CALL_STATUS status;
    std::memset(&status, 0xEE, sizeof status);
    ASSERT_EQ(frontEnd.GetStatusByCh(3, &status), 0u);
    EXPECT_EQ(status.callRef, 9u);
    EXPECT_EQ(status.callState, isdn::kActive);
    EXPECT_EQ(status.line, 3u);
    EXPECT_EQ(status.interfaceId, 3u);
    EXPECT_EQ(status.bChannel, 1u);
    EXPECT_EQ(status.duration, 0u);
    EXPECT_STREQ(status.callingNumber.digits, "5550199");
    for (uint32_t word : status.reserved78) {
        EXPECT_EQ(word, 0xEEEEEEEEu) << "the reserved words are not written";
    }
    EXPECT_EQ(frontEnd.GetStatusByCh(4, &status), 0xE009000Bu) << "B2 of that line";
    EXPECT_EQ(frontEnd.GetStatusByCh(1, &status), 0xE009000Bu);
    EXPECT_EQ(frontEnd.GetStatusByCh(3, nullptr), 0xE0090004u);
}

TEST_F(StatusTest, AnEndedCallStillAnswersForItsChannel)
{
    ASSERT_EQ(line.Co(Q931(9, kDisconnect, Cause(16))), 0u);
    ASSERT_EQ(line.Cpe(Q931(0x89, kRelease)), 0u);
    ASSERT_EQ(line.Co(Q931(9, kReleaseComplete)), 0u);
    ZAQ16_CALL_STATUS status{};
    ASSERT_EQ(frontEnd.GetStatusByCh(3, &status), 0u);
    EXPECT_EQ(status.callState, isdn::kNull);
    EXPECT_EQ(status.callRef, 0u);
}

TEST_F(StatusTest, ByReferenceFindsTheCallOfAnyLine)
{
    ZAQ16_CALL_STATUS status{};
    ASSERT_EQ(frontEnd.GetStatusByRef(9, &status), 0u);
    EXPECT_EQ(status.callState, isdn::kActive);
    EXPECT_EQ(frontEnd.GetStatusByRef(10, &status), 0xE009000Cu);
    EXPECT_EQ(frontEnd.GetStatusByRef(0, &status), 0xE009000Cu) << "idle entities carry reference 0";
    EXPECT_EQ(frontEnd.GetStatusByRef(9, nullptr), 0xE0090004u);
}

TEST_F(StatusTest, StatisticsAreThoseOfTheLinesFirstDataLink)
{
    Line first(frontEnd, 1, 64);
    ASSERT_EQ(first.Co(Q931(11, kSetup, ChannelB(2))), 0u);
    ZAQ16_CALL_STATISTICS three{};
    ZAQ16_CALL_STATISTICS four{};
    ASSERT_EQ(frontEnd.GetStatistics(3, &three), 0u);
    ASSERT_EQ(frontEnd.GetStatistics(4, &four), 0u);
    EXPECT_EQ(std::memcmp(&three, &four, sizeof three), 0);
    EXPECT_EQ(three.incomingCalls, 1u) << "the second terminal's call is counted on its own data link";
    EXPECT_EQ(three.incomingConnected, 0u);
    EXPECT_EQ(frontEnd.GetStatistics(3, nullptr), 0xE0090004u);
}
