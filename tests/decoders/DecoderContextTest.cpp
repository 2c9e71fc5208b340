// The context every decoder is built on, driven by a decoder that writes its
// packet's bytes as display text and posts one event per packet.
#include <gtest/gtest.h>

#include <cstring>

#include "PacketDriver.h"

namespace {

class EchoDecoder final : public Decoder {
public:
    explicit EchoDecoder(DecoderContext& context) : Decoder(context) {}
    uint8_t Decode(const Packet& packet) override
    {
        DisplayRecord& record = context_.displays[packet.channel];
        std::memcpy(record.text, packet.data, packet.length);
        record.offset = packet.length;
        context_.Post(packet.channel, QXEVT_DISPLAY_MESSAGE, packet.type);
        return 1;
    }
};

TEST(DecoderContext, EventsCarryTheBoardAndTheAbsoluteChannel)
{
    PacketDriver<EchoDecoder> driver(33);
    driver.Send(5, 0x42, {'A'});
    const std::vector<ZAQ16_EVENT> events = driver.events.Events();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].board, 2u);
    EXPECT_EQ(events[0].channel, 38u);
    EXPECT_EQ(events[0].param, 0x42u);
}

TEST(DecoderContext, GetMessageCopiesTheRecordAndSaysWhenItWasCut)
{
    PacketDriver<EchoDecoder> driver;
    driver.Send(3, 0, {'H', 'E', 'L', 'L', 'O'});
    char buffer[8] = {};
    EXPECT_EQ(driver.decoder.GetMessage(3, buffer, sizeof buffer), ZAQ16_RET_SUCCESS);
    EXPECT_STREQ(buffer, "HELLO");
    char shorter[3] = {};
    EXPECT_EQ(driver.decoder.GetMessage(3, shorter, sizeof shorter), ZAQ16_RET_TRUNCATED);
    EXPECT_EQ(std::string(shorter, 3), "HEL");
    EXPECT_EQ(driver.decoder.GetMessage(16, buffer, sizeof buffer), ZAQ16_RET_INVALID_PARAM);
    EXPECT_EQ(driver.decoder.GetMessage(3, nullptr, 4), ZAQ16_RET_INVALID_PARAM);
}

TEST(DecoderContext, PhoneStatusIsRefusedForAChannelBeyondTheUnit)
{
    PacketDriver<EchoDecoder> driver;
    ZAQ16_PHONE_STATUS status{};
    EXPECT_EQ(driver.context.CopyPhoneStatus(15, &status), ZAQ16_RET_SUCCESS);
    EXPECT_EQ(driver.context.CopyPhoneStatus(16, &status), ZAQ16_RET_BAD_CHANNEL);
    EXPECT_EQ(driver.context.CopyPhoneStatus(0, nullptr), ZAQ16_RET_BAD_CHANNEL);
}

TEST(DecoderContext, AFamilyWithoutAClockOnItsSetsHasNoPbxTime)
{
    PacketDriver<EchoDecoder> driver;
    int32_t time[9] = {};
    EXPECT_EQ(driver.decoder.GetPBXDateTime(time), ZAQ16_RET_NOT_READY);
}

}  // namespace
