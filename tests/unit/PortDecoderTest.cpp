// The port and its decoder: which packets of the line reach the decoder, and
// the read-back entries (display, phone status, PBX time, event updates)
// that the port forwards to it, with and without a decoder.
#include <gtest/gtest.h>

#include <memory>

#include "decoders/DMERIDIAN.h"
#include "support/EventCollector.h"
#include "support/MemorySerialDevice.h"
#include "support/RecordingDecoder.h"
#include "support/TraceCapture.h"
#include "unit/ZAQ16PORT.h"

namespace {

constexpr uint32_t kStart = 33;

std::unique_ptr<Decoder> MakeMeridian(DecoderContext& context)
{
    return std::make_unique<DMERIDIAN>(context);
}

class PortDecoder : public testing::Test {
protected:
    void Attach(ZAQ16PORT& port)
    {
        port.AttachDevice(std::make_unique<MemorySerialDevice>(wire));
    }
    // Runs the reader until everything fed has been read.
    void Drain(ZAQ16PORT& port)
    {
        for (int pass = 0; pass < 10000; ++pass) {
            {
                std::lock_guard<std::mutex> guard(wire->mutex);
                if (wire->input.empty()) {
                    return;
                }
            }
            ASSERT_TRUE(port.Step());
        }
    }

    std::shared_ptr<Wire> wire = std::make_shared<Wire>();
    EventCollector events;
};

TEST_F(PortDecoder, PacketsWithABadChecksumOrCutShortReachNoDecoder)
{
    ZAQ16PORT port(nullptr, kStart, events, &MakeMeridian);
    Attach(port);
    // Lamp 3 on, with a wrong checksum; then a header that promises five bytes and brings one.
    Feed(*wire, std::vector<uint8_t>{0x01, 0x02, 0x58, 0x02, 0x10, 0xF3, 0x00});
    Drain(port);
    Feed(*wire, std::vector<uint8_t>{0x01, 0x02, 0x58, 0x05, 0x10});
    Drain(port);
    port.Step();
    EXPECT_TRUE(events.Events().empty());
    // The same lamp with its checksum gets through.
    Feed(*wire, UnitPacket(2, 0x58, {0x10, 0xF3}));
    Drain(port);
    const std::vector<ZAQ16_EVENT> posted = events.Events();
    ASSERT_EQ(posted.size(), 1u);
    EXPECT_EQ(posted[0].eventCode, QXEVT_LIGHT_ON);
    EXPECT_EQ(posted[0].channel, kStart + 2);
    EXPECT_EQ(posted[0].board, 2u);
}

TEST_F(PortDecoder, PacketOfTypeZeroIsNotDecoded)
{
    std::vector<SeenPacket> seen;
    ZAQ16PORT port(nullptr, kStart, events, RecordInto(seen));
    Attach(port);
    Feed(*wire, UnitPacket(4, 0x00, {0x10, 0xF3}));
    Feed(*wire, UnitPacket(4, 0x48, {0x10, 0xF3}));
    Drain(port);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].type, 0x48);
}

TEST_F(PortDecoder, ReadBackGoesThroughTheDecoder)
{
    ZAQ16PORT port(nullptr, kStart, events, &MakeMeridian);
    Attach(port);
    Feed(*wire, UnitPacket(5, 0x58, {0x42, 0x02, 0x03, 0x01, 0x00, 'H', 'i'}));
    Feed(*wire, UnitPacket(5, 0x58, {0x18, 0xD0}));
    Drain(port);
    TraceCapture trace(4);
    char text[64] = {};
    EXPECT_EQ(port.GetMessage(kStart + 5, text, sizeof text), ZAQ16_RET_SUCCESS);
    EXPECT_EQ(std::string(text, 2), "Hi");
    // Meridian writes the entry line at level FATAL.
    EXPECT_TRUE(trace.Contains("FATAL  -GetMessage      channel = 38 start_channel = 33")) << trace.Text();
    EXPECT_EQ(port.GetMessage(kStart + 16, text, sizeof text), ZAQ16_RET_INVALID_PARAM);
    ZAQ16_PHONE_STATUS status{};
    ASSERT_EQ(port.GetPhoneStatus(kStart + 5, &status), ZAQ16_RET_SUCCESS);
    EXPECT_EQ(status.ringState, QXEVT_RING_ON);
    EXPECT_EQ(port.GetPhoneStatus(kStart - 1, &status), ZAQ16_RET_BAD_CHANNEL);
    int32_t time[9] = {};
    EXPECT_EQ(port.GetPBXDateTime(time), ZAQ16_RET_NOT_READY);
    Feed(*wire, UnitPacket(0, 0x58, {0x42, 0x0C, 0x29, 3, 12, 31, 23, 59}));
    Drain(port);
    EXPECT_EQ(port.GetPBXDateTime(time), ZAQ16_RET_SUCCESS);
    EXPECT_EQ(time[5], 2003);
}

TEST_F(PortDecoder, PlainPortKeepsItsRecordsAsTheyStarted)
{
    ZAQ16PORT port(nullptr, kStart, events);
    Attach(port);
    Feed(*wire, UnitPacket(5, 0x58, {0x18, 0xD0}));
    Drain(port);
    EXPECT_TRUE(events.Events().empty());
    TraceCapture trace(4);
    char text[8] = {};
    EXPECT_EQ(port.GetMessage(kStart + 5, text, sizeof text), ZAQ16_RET_SUCCESS);
    EXPECT_TRUE(trace.Contains("TRACE  -GetMessage      channel = 38 start_channel = 33")) << trace.Text();
    EXPECT_TRUE(trace.Contains("offset = 0"));
    EXPECT_EQ(port.GetMessage(kStart + 16, text, sizeof text), ZAQ16_RET_INVALID_PARAM);
    EXPECT_TRUE(trace.Contains("ZAQ16_RET_INVALID_PARAM"));
    ZAQ16_PHONE_STATUS status{};
    ASSERT_EQ(port.GetPhoneStatus(kStart + 15, &status), ZAQ16_RET_SUCCESS);
    EXPECT_EQ(status.ringState, QXEVT_RING_OFF);
    EXPECT_EQ(status.handsetAudio, QXEVT_AUDIO_OFF);
    EXPECT_EQ(port.GetPhoneStatus(kStart + 16, &status), ZAQ16_RET_BAD_CHANNEL);
    int32_t time[9] = {};
    EXPECT_EQ(port.GetPBXDateTime(time), ZAQ16_RET_NOT_READY);
}

TEST_F(PortDecoder, EventUpdateSwitchReachesTheDecoder)
{
    ZAQ16PORT port(nullptr, kStart, events, &MakeMeridian);
    Attach(port);
    EXPECT_TRUE(port.EventUpdates());
    port.SetEventUpdates(false);
    Feed(*wire, UnitPacket(1, 0x58, {0x10, 0xF3}));
    Feed(*wire, UnitPacket(1, 0x58, {0x10, 0xF3}));
    Drain(port);
    EXPECT_EQ(events.Events().size(), 1u);
    port.SetEventUpdates(true);
    Feed(*wire, UnitPacket(1, 0x58, {0x10, 0xF3}));
    Drain(port);
    EXPECT_EQ(events.Events().size(), 2u);
}

}  // namespace
