#include <gtest/gtest.h>

#include "IsdnTestSupport.h"
#include "isdn/layer3/DChannelBackup.h"

using namespace isdntest;

namespace {

constexpr uint8_t kService = 0x0F;
constexpr uint8_t kServiceAcknowledge = 0x07;

// A maintenance message: D-channel of an interface other than basic, in service.
Bytes Maintenance(uint8_t type, uint8_t channelOctet = 0xA4, uint8_t status = 0x80)
{
    return Bytes{0x03, 0x01, 0x01, type} + Ie(0x01, {status}) + Ie(0x18, {channelOctet});
}

class DChannelBackupTest : public IsdnFixture {
protected:

    ISDNPTL3& Layer3(uint32_t index) { return *frontEnd.dataLinks[index]->layer3; }

    Line line0{frontEnd, 0, 64};
    Line line1{frontEnd, 1, 64};
};

}  // namespace

TEST_F(DChannelBackupTest, ServiceThenAcknowledgementMovesTheActiveCalls)
{
    ASSERT_EQ(line1.Co(Q931(3, kSetup, ChannelB(1))), 0u);
    ASSERT_EQ(line1.Cpe(Q931(0x83, kConnect)), 0u);
    ASSERT_EQ(line1.Co(Q931(4, kSetup, ChannelB(2))), 0u);
    ASSERT_EQ(Status(3).line, 2u);

    EXPECT_EQ(line0.Co(Maintenance(kService)), 0u);
    EXPECT_EQ(Layer3(0).dcbuState, isdn::kDcbuAwaitingCpeAck);
    EXPECT_EQ(Layer3(0).dcbuSeen, 1u);
    EXPECT_EQ(line0.Cpe(Maintenance(kServiceAcknowledge)), 0u);
    EXPECT_EQ(Layer3(0).dcbuState, isdn::kDcbuInService);
    EXPECT_EQ(Status(3).line, 0u) << "the Active call follows the D-channel in service";
    EXPECT_EQ(Status(4).line, 2u) << "a call not yet Active stays";
    EXPECT_EQ(events.Take().size(), 1u) << "only the connection was posted";
}

TEST_F(DChannelBackupTest, ServiceFromBothSidesCompletesToo)
{
    line0.Cpe(Maintenance(kService));
    EXPECT_EQ(Layer3(0).dcbuState, isdn::kDcbuAwaitingCoAck);
    line0.Co(Maintenance(kService));
    EXPECT_EQ(Layer3(0).dcbuState, isdn::kDcbuInService);
}

TEST_F(DChannelBackupTest, AnAcknowledgementFromTheAskingSideChangesNothing)
{
    line0.Co(Maintenance(kService));
    ASSERT_EQ(Layer3(0).dcbuState, isdn::kDcbuAwaitingCpeAck);
    line0.Co(Maintenance(kServiceAcknowledge));
    EXPECT_EQ(Layer3(0).dcbuState, isdn::kDcbuAwaitingCpeAck);
}

TEST_F(DChannelBackupTest, ElementChecksRefuseOtherChannelsAndStates)
{
    struct Case {
        Bytes message;
        uint32_t chanIdResult;
        uint32_t statusResult;
    };
    const Case cases[] = {
        {Maintenance(kService), 0, 0},
        {Maintenance(kService, 0x81), 0xE009001C, 0},        // a B-channel of a basic interface
        {Maintenance(kService, 0xA5), 0xE009001C, 0},        // a channel selected
        {Maintenance(kService, 0xA4, 0x82), 0, 0xE009001C},  // out of service
        {Bytes{0x03, 0x01, 0x01, kService}, 0xE009001C, 0xE009001C},
    };
    for (const Case& c : cases) {
        const Bytes message = Bytes{0, 0, 0, 0} + c.message + Bytes{0xEE, 0xEE};
        const uint32_t length = static_cast<uint32_t>(message.size());
        EXPECT_EQ(isdn::DCBU_CheckChanIdIE(message.data(), length), c.chanIdResult) << Hex(c.message);
        EXPECT_EQ(isdn::DCBU_CheckChangeStatusIE(message.data(), length), c.statusResult) << Hex(c.message);
    }
    line0.Co(Maintenance(kService, 0x81));
    EXPECT_EQ(Layer3(0).dcbuState, 0u);
    EXPECT_EQ(Layer3(0).dcbuSeen, 0u);
    EXPECT_EQ(isdn::DCBU_CO_Service(Layer3(0), nullptr, 0), 0xE009001Cu);
}
