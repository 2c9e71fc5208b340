// An application callback runs on the reader thread and may read the display
// and the phone status of the same port from inside the call: no port lock is
// held while an event is posted, and the display it reads is the one announced.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "PacketDriver.h"
#include "DefinityFrames.h"
#include "decoders/DEFINITY2D.h"
#include "decoders/DMERIDIAN.h"

namespace {

class ReadingCallback : public EventSink {
public:
    explicit ReadingCallback(Decoder& decoder) : decoder_(decoder) {}

    uint32_t Post(const ZAQ16_EVENT& event) override
    {
        ZAQ16_PHONE_STATUS status{};
        const uint8_t local = static_cast<uint8_t>(event.channel - decoder_.Context().StartChannel());
        EXPECT_EQ(decoder_.Context().CopyPhoneStatus(local, &status), ZAQ16_RET_SUCCESS);
        if (event.eventCode == QXEVT_MESSAGE_CHANGE) {
            std::vector<char> text(event.param);
            EXPECT_EQ(decoder_.GetMessageOfChannel(event.channel, text.data(), event.param), ZAQ16_RET_SUCCESS);
            displays.emplace_back(text.data(), text.size());
        } else {
            lampStates.push_back(status.lamps[0].state);
        }
        return 0;
    }

    std::vector<std::string> displays;
    std::vector<uint32_t> lampStates;

private:
    Decoder& decoder_;
};

TEST(CallbackReentry, DefinityCallbackReadsThePostedDisplayAndTheNewLampState)
{
    using namespace definity_test;
    PacketDriver<DEFINITY2D> driver;
    ReadingCallback callback(driver.decoder);
    driver.context.SetEventSink(callback);
    driver.Send(0, kX, DisplayFrame(CursorTo(0) + "Call 2001" + EraseToEnd()));
    driver.Send(0, kX, DisplayFrame(CursorTo(0) + "Talk"));
    driver.Send(0, kX, Frame({0x80, 0x2F, 15}));
    ASSERT_EQ(callback.displays.size(), 2u);
    EXPECT_EQ(callback.displays[0], "Call 2001" + std::string(41, ' ') + std::string(1, '\0'));
    EXPECT_EQ(callback.displays[1], "Talk 2001" + std::string(41, ' ') + std::string(1, '\0'));
    EXPECT_EQ(callback.lampStates, std::vector<uint32_t>{QXEVT_LIGHT_ON});
}

TEST(CallbackReentry, MeridianCallbackReadsTheDisplayFromTheTimerAndTheFlush)
{
    PacketDriver<DMERIDIAN> driver;
    ReadingCallback callback(driver.decoder);
    driver.context.SetEventSink(callback);
    driver.Send(0, 0x58, {0x42, 0x02, 0x03, 0x01, 0x00, 'H', 'i'});
    driver.Advance(500);
    driver.Send(0, 0x58, {0x42, 0x02, 0x05, 0x21});
    driver.Send(0, 0x58, {0x10, 0xF0});
    ASSERT_EQ(callback.displays.size(), 2u);
    EXPECT_EQ(callback.displays[0].substr(0, 3), "Hi ");
    EXPECT_EQ(callback.displays[1].substr(0, 5), "Hi12 ");
    EXPECT_EQ(callback.lampStates, std::vector<uint32_t>{QXEVT_LIGHT_ON});
}

}  // namespace
