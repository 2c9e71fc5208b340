// The call-control entries end to end: the real library started on a
// simulated ISDN4WD unit (board 0) and a Definity unit (board 1), the unit
// sending the D-channel frames of two calls.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <functional>
#include <thread>

#include "IsdnTestSupport.h"
#include "LinkFixture.h"

using namespace isdntest;

namespace {

constexpr uint32_t kUntouched = 0xFFFF;

class CallControlExports : public LinkFixture {
protected:
    void SetUp() override
    {
        LinkFixture::SetUp();
        zaqsim::UnitConfig isdn;
        isdn.pbxName = "ISDN4WD";
        AddUnit(isdn);
        AddUnit();
        StartUnits();
        WriteRegistry({"COM1", "COM2"});
        Load();
        ASSERT_EQ(QXZAQStartLink(nullptr), 2u);
        ASSERT_EQ(QXZAQEnableDChEvents(0), ZAQ16_RET_SUCCESS);
        // Call 9 on B1 of the line of channels 3 and 4, call 5 on B2 of the first line.
        Line second = UnitLine(1);
        second.Co(Q931(9, kSetup, ChannelB(1) + CallingNumber("5550199") + CalledNumber("31")));
        second.Cpe(Q931(0x89, kConnect));
        Line first = UnitLine(0);
        first.Co(Q931(5, kSetup, ChannelB(2) + CalledNumber("32")));
        first.Cpe(Q931(0x85, kAlerting));
        ASSERT_TRUE(WaitForState(9, 10));
        ASSERT_TRUE(WaitForState(5, 7));
    }

    // A line of unit 0: its frames are sent by the simulated unit.
    Line UnitLine(uint32_t line)
    {
        return Line(
            [this](uint32_t chdev, const Bytes& frame, uint32_t) {
                sim->QueuePacket(0, static_cast<uint8_t>(chdev), (chdev & 1) != 0 ? 0x48 : 0x58, frame);
                return 0u;
            },
            line);
    }

    bool WaitForState(uint32_t callRef, uint32_t state)
    {
        for (int waited = 0; waited < 3000; waited += 10) {
            ZAQ16_CALL_STATUS status{};
            uint32_t size = 0;
            if (QXZAQ_CC_GetStatusByRef(0, callRef, &status, &size) == 0 && status.callState == state) {
                return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return false;
    }
};

}  // namespace

TEST_F(CallControlExports, GiveTheCallOfAChannelOrOfAReference)
{
    ZAQ16_CALL_STATUS byChannel;
    std::memset(&byChannel, 0xEE, sizeof byChannel);
    uint32_t size = 0;
    ASSERT_EQ(QXZAQ_CC_GetStatusByCh(3, &byChannel, &size), 0u);
    EXPECT_EQ(size, 332u);
    EXPECT_EQ(byChannel.callRef, 9u);
    EXPECT_EQ(byChannel.direction, 1u);
    EXPECT_EQ(byChannel.callState, isdn::kActive);
    EXPECT_EQ(byChannel.bChannel, 1u);
    EXPECT_STREQ(byChannel.callingNumber.digits, "5550199");
    EXPECT_STREQ(byChannel.calledNumber.digits, "31");

    ZAQ16_CALL_STATUS byReference;
    std::memset(&byReference, 0xEE, sizeof byReference);
    size = 0;
    ASSERT_EQ(QXZAQ_CC_GetStatusByRef(0, 9, &byReference, &size), 0u);
    EXPECT_EQ(size, 332u);
    EXPECT_EQ(std::memcmp(&byChannel, &byReference, sizeof byChannel), 0);

    ASSERT_EQ(QXZAQ_CC_GetStatusByCh(2, &byChannel, &size), 0u);
    EXPECT_EQ(byChannel.callRef, 5u);
    EXPECT_EQ(byChannel.callState, isdn::kCallReceived);
    EXPECT_EQ(QXZAQ_CC_GetStatusByCh(4, &byChannel, &size), 0xE009000Bu) << "no call on B2 of the second line";
    EXPECT_EQ(QXZAQ_CC_GetStatusByRef(0, 77, &byChannel, &size), 0xE009000Cu);
}

TEST_F(CallControlExports, BothChannelsOfALineShareItsStatistics)
{
    for (const uint16_t channel : {1, 3}) {
        ZAQ16_CALL_STATISTICS first;
        ZAQ16_CALL_STATISTICS second;
        std::memset(&first, 0xEE, sizeof first);
        std::memset(&second, 0xEE, sizeof second);
        uint32_t size = 0;
        ASSERT_EQ(QXZAQ_CC_GetStatistics(0, channel, &first, &size), 0u);
        EXPECT_EQ(size, 24u);
        ASSERT_EQ(QXZAQ_CC_GetStatistics(0, static_cast<uint16_t>(channel + 1), &second, &size), 0u);
        EXPECT_EQ(std::memcmp(&first, &second, sizeof first), 0) << channel;
        EXPECT_EQ(first.incomingCalls, 1u);
        EXPECT_EQ(first.incomingConnected, channel == 3 ? 1u : 0u);
        EXPECT_EQ(first.outgoingCalls, 0u);
    }
}

TEST_F(CallControlExports, RefuseWhatIsNotACallOfAnIsdnBoard)
{
    ZAQ16_CALL_STATUS status{};
    ZAQ16_CALL_STATISTICS statistics{};
    uint32_t size = kUntouched;
    struct Case {
        const char* what;
        std::function<uint32_t()> call;
    };
    const Case cases[] = {
        {"channel 0", [&] { return QXZAQ_CC_GetStatusByCh(0, &status, &size); }},
        {"channel beyond the boards", [&] { return QXZAQ_CC_GetStatusByCh(33, &status, &size); }},
        {"channel of the Definity board", [&] { return QXZAQ_CC_GetStatusByCh(17, &status, &size); }},
        {"no status record", [&] { return QXZAQ_CC_GetStatusByCh(3, nullptr, &size); }},
        {"no size", [&] { return QXZAQ_CC_GetStatusByCh(3, &status, nullptr); }},
        {"call reference 0", [&] { return QXZAQ_CC_GetStatusByRef(0, 0, &status, &size); }},
        {"reference on the Definity board", [&] { return QXZAQ_CC_GetStatusByRef(1, 9, &status, &size); }},
        {"reference on no board", [&] { return QXZAQ_CC_GetStatusByRef(2, 9, &status, &size); }},
        {"reference without record", [&] { return QXZAQ_CC_GetStatusByRef(0, 9, nullptr, &size); }},
        {"reference without size", [&] { return QXZAQ_CC_GetStatusByRef(0, 9, &status, nullptr); }},
        {"statistics of the Definity board", [&] { return QXZAQ_CC_GetStatistics(1, 17, &statistics, &size); }},
        {"statistics of no board", [&] { return QXZAQ_CC_GetStatistics(7, 1, &statistics, &size); }},
        {"statistics of channel 0", [&] { return QXZAQ_CC_GetStatistics(0, 0, &statistics, &size); }},
        {"statistics beyond the boards", [&] { return QXZAQ_CC_GetStatistics(0, 33, &statistics, &size); }},
        {"statistics of another board's channel", [&] { return QXZAQ_CC_GetStatistics(0, 17, &statistics, &size); }},
        {"statistics without record", [&] { return QXZAQ_CC_GetStatistics(0, 1, nullptr, &size); }},
        {"statistics without size", [&] { return QXZAQ_CC_GetStatistics(0, 1, &statistics, nullptr); }},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.call(), ZAQ16_RET_INVALID_PARAM) << c.what;
        EXPECT_EQ(size, kUntouched) << c.what;
    }
}

TEST_F(CallControlExports, ABoardWhoseUnitDoesNotAnswerItsTypeKeepsTheTypeItStartedWith)
{
    sim->SetSilentCommands(0, {"SET PBX"});
    sim->SetSilentCommands(1, {"SET PBX"});
    ZAQ16_CALL_STATUS status{};
    uint32_t size = 0;
    ASSERT_EQ(QXZAQ_CC_GetStatusByCh(3, &status, &size), 0u);
    EXPECT_EQ(status.callRef, 9u);
    EXPECT_EQ(QXZAQ_CC_GetStatusByCh(17, &status, &size), ZAQ16_RET_INVALID_PARAM);
}
