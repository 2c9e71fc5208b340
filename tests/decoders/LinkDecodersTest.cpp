// The decoders behind the library's entries: units that report Definity2D and
// MeridianD get their decoders, and a polling application sees their events,
// reads the display with QXZAQGetMessage and the PBX's time with
// QXZAQGetPBXDate_Time.
#include <chrono>
#include <thread>

#include "DefinityFrames.h"
#include "LinkFixture.h"
#include "qxzaqlnk.h"

namespace {

using namespace definity_test;
using Clock = std::chrono::steady_clock;

// The board record is packed: its fields are copied out before they are compared.
uint32_t PbxType(uint32_t board)
{
    ZAQ16_BOARD_INFO info{};
    info.size = sizeof info;
    if (QXZAQGetBoardInfo(board, &info) != ZAQ16_RET_SUCCESS) {
        return 0;
    }
    const uint32_t type = info.pbxType;
    return type;
}

struct Polled {
    uint32_t code;
    uint32_t param;
    uint32_t channel;
};

class LinkDecoders : public LinkFixture {
protected:
    void StartDefinityAndMeridian()
    {
        zaqsim::UnitConfig definity;
        definity.pbxName = "Definity2D";
        zaqsim::UnitConfig meridian;
        meridian.pbxName = "MeridianD";
        AddUnit(definity);
        AddUnit(meridian);
        StartUnits();
        WriteRegistry({"COM1", "COM2"}, 1);
        Load();
        ASSERT_EQ(QXZAQStartLink(nullptr), 2u);
    }

    // Polls until an event with `code` has arrived on `channel` (at most 5 s); every event
    // polled is kept. Units' events interleave in any order, so an earlier wait may
    // already have polled the one asked for.
    bool WaitFor(uint32_t code, uint32_t channel)
    {
        if (Find(code, channel) != nullptr) {
            return true;
        }
        const Clock::time_point end = Clock::now() + std::chrono::seconds(5);
        while (Clock::now() < end) {
            uint32_t reserved = 0, time = 0, event = 0, param = 0, board = 0, at = 0;
            if (QXZAQGetEvent(&reserved, &time, &event, &param, &board, &at) == ZAQ16_RET_SUCCESS) {
                polled.push_back({event, param, at});
                if (event == code && at == channel) {
                    return true;
                }
            } else {
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            }
        }
        return false;
    }

    // The first polled event with `code` on `channel`, or null.
    const Polled* Find(uint32_t code, uint32_t channel) const
    {
        for (const Polled& event : polled) {
            if (event.code == code && event.channel == channel) {
                return &event;
            }
        }
        return nullptr;
    }

    std::vector<Polled> polled;
};

TEST_F(LinkDecoders, UnitsGetTheirDecoders)
{
    StartDefinityAndMeridian();
    EXPECT_EQ(PbxType(0), ZAQ16_PBX_LUCENT_DEFINITY2D);
    EXPECT_EQ(PbxType(1), ZAQ16_PBX_NORTEL_MERIDIAND);

    sim->QueuePacket(0, 3, kX, DisplayFrame(CursorTo(0) + "a=2001 Ann Smith" + EraseToEnd()));
    sim->QueuePacket(0, 3, kX, Frame({0x80, 0x2F, 15}));
    sim->QueuePacket(1, 5, 0x58, {0x42, 0x02, 0x03, 0x00, 0x00, 'R', 'i', 'n', 'g', 'i', 'n', 'g'});
    sim->QueuePacket(1, 5, 0x58, {0x18, 0xD0});
    ASSERT_EQ(QXZAQEnableDChEvents(0), ZAQ16_RET_SUCCESS);
    ASSERT_EQ(QXZAQEnableDChEvents(1), ZAQ16_RET_SUCCESS);

    ASSERT_TRUE(WaitFor(QXEVT_LIGHT_ON, 4));
    ASSERT_TRUE(WaitFor(QXEVT_RING_ON, 22));
    const auto find = [this](uint32_t code, uint32_t channel) {
        const Polled* event = Find(code, channel);
        return event != nullptr ? event->param : 0u;
    };
    EXPECT_EQ(find(QXEVT_MESSAGE_CHANGE, 4), 51u);
    EXPECT_EQ(find(QXEVT_LIGHT_ON, 4), 0x100u);
    // Meridian text posts ahead of the ringer that followed it.
    EXPECT_EQ(find(QXEVT_MESSAGE_CHANGE, 22), 51u);

    // What a polling application does after QXEVT_MESSAGE_CHANGE(51).
    char text[64] = {};
    ASSERT_EQ(QXZAQGetMessage(4, text, 51), ZAQ16_RET_SUCCESS);
    EXPECT_EQ(std::string(text, 51), "a=2001 Ann Smith" + std::string(34, ' ') + std::string(1, '\0'));
    ASSERT_EQ(QXZAQGetMessage(22, text, 51), ZAQ16_RET_SUCCESS);
    EXPECT_EQ(std::string(text, 32), std::string(24, ' ') + "\nRinging");

    ZAQ16_PHONE_STATUS status{};
    ASSERT_EQ(QXZAQGetPhoneStatus(4, &status), ZAQ16_RET_SUCCESS);
    EXPECT_EQ(status.lamps[0].state, QXEVT_LIGHT_ON);
    ASSERT_EQ(QXZAQGetPhoneStatus(22, &status), ZAQ16_RET_SUCCESS);
    EXPECT_EQ(status.ringState, QXEVT_RING_ON);
}

TEST_F(LinkDecoders, MeridianServesThePbxTime)
{
    StartDefinityAndMeridian();
    uint32_t year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    EXPECT_EQ(QXZAQGetPBXDate_Time(1, &year, &month, &day, &hour, &minute, &second), ZAQ16_RET_NOT_READY);
    EXPECT_EQ(QXZAQGetPBXDate_Time(0, &year, &month, &day, &hour, &minute, &second), ZAQ16_RET_NOT_READY);

    sim->QueuePacket(1, 0, 0x58, {0x42, 0x0C, 0x29, 3, 12, 31, 23, 58});
    sim->QueuePacket(1, 0, 0x58, {0x40, 0x06, 30});
    sim->QueuePacket(1, 0, 0x58, {0x10, 0xF0});
    ASSERT_EQ(QXZAQEnableDChEvents(1), ZAQ16_RET_SUCCESS);
    ASSERT_TRUE(WaitFor(QXEVT_LIGHT_ON, 17));
    ASSERT_EQ(QXZAQGetPBXDate_Time(1, &year, &month, &day, &hour, &minute, &second), ZAQ16_RET_SUCCESS);
    EXPECT_EQ(year, 2003u);
    EXPECT_EQ(month, 12u);
    EXPECT_EQ(day, 31u);
    EXPECT_EQ(hour, 23u);
    // The local clock carries it on from 23:58:30 (a test takes seconds, not minutes).
    EXPECT_EQ(minute, 58u);
    EXPECT_GE(second, 30u);
}

}  // namespace
