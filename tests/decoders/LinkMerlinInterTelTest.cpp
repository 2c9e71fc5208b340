// Merlin Magix and Inter-Tel units behind the library's entries: each unit
// gets its decoder, and a polling application sees the events of a call,
// reads the display with QXZAQGetMessage and the phone state.
#include <algorithm>
#include <chrono>
#include <numeric>
#include <thread>

#include "LinkFixture.h"
#include "qxzaqlnk.h"

namespace {

using Clock = std::chrono::steady_clock;
using Bytes = std::vector<uint8_t>;

uint32_t PbxType(uint32_t board)
{
    ZAQ16_BOARD_INFO info{};
    info.size = sizeof info;
    if (QXZAQGetBoardInfo(board, &info) != ZAQ16_RET_SUCCESS) {
        return 0;
    }
    const uint32_t type = info.pbxType;  // the record is packed
    return type;
}

// An Inter-Tel packet: frame byte, count, messages, and the byte that makes the sum 0xAA.
Bytes InterTel(const Bytes& messages, uint8_t frame)
{
    Bytes packet(messages.size() + 3);
    packet[0] = frame;
    packet[1] = static_cast<uint8_t>(messages.size());
    std::copy(messages.begin(), messages.end(), packet.begin() + 2);
    const auto sum = static_cast<uint8_t>(std::accumulate(packet.begin() + 1, packet.end() - 1, 0u));
    packet.back() = static_cast<uint8_t>(0xAA - sum);
    return packet;
}

struct Polled {
    uint32_t code;
    uint32_t param;
    uint32_t channel;
    bool operator==(const Polled&) const = default;
};

class LinkMerlinInterTel : public LinkFixture {
protected:
    void StartUnit(const char* pbxName)
    {
        zaqsim::UnitConfig unit;
        unit.pbxName = pbxName;
        AddUnit(unit);
        StartUnits();
        WriteRegistry({"COM1"}, 1);
        Load();
        ASSERT_EQ(QXZAQStartLink(nullptr), 1u);
    }

    // Polls until an event with `code` arrives on `channel` (at most 5 s); the events before it are kept.
    bool WaitFor(uint32_t code, uint32_t channel)
    {
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

    std::vector<Polled> polled;
};

TEST_F(LinkMerlinInterTel, AMerlinMagixUnitDecodesACall)
{
    StartUnit("MerlinMagixD");
    EXPECT_EQ(PbxType(0), ZAQ16_PBX_MERLIN_MAGIXD);
    sim->QueuePacket(0, 2, 0x48, {0x00, 0x12, 0x00, 0x36, 0x01, 0x00, 0x96, 0x04, 0x01, 0x09, 0x00, 0x00});
    sim->QueuePacket(0, 2, 0x58, {0x02, 0x11, 0x00, 0x00, 0x08, 0x00, 0x7B, 0x96, 0x6B, 0x05, 0x13, 'D', 'i', 'a', 'l'});
    sim->QueuePacket(0, 2, 0x58, {0x02, 0x11, 0x00, 0x00, 0x08, 0x00, 0x7B, 0x96, 0x50, 0x03, 0x00, 0x01, 0x10});
    ASSERT_EQ(QXZAQEnableDChEvents(0), ZAQ16_RET_SUCCESS);
    ASSERT_TRUE(WaitFor(QXEVT_LIGHT_OFF, 3));
    EXPECT_EQ(polled, (std::vector<Polled>{{QXEVT_AUDIO_ON, 1, 3}, {QXEVT_AUDIO_OFF, 3, 3}, {QXEVT_AUDIO_OFF, 2, 3},
                                           {QXEVT_AUDIO_OFF, 4, 3}, {QXEVT_OFFHOOK, 0, 3},
                                           {QXEVT_MESSAGE_CHANGE, 5, 3}, {QXEVT_LIGHT_ON, 0x101, 3},
                                           {QXEVT_LIGHT_OFF, 0x201, 3}}));
    char text[8] = {};
    ASSERT_EQ(QXZAQGetMessage(3, text, 5), ZAQ16_RET_SUCCESS);
    EXPECT_EQ(std::string(text, 5), std::string("Dial\0", 5));
    ZAQ16_PHONE_STATUS status{};
    ASSERT_EQ(QXZAQGetPhoneStatus(3, &status), ZAQ16_RET_SUCCESS);
    EXPECT_EQ(status.hookState, QXEVT_OFFHOOK);
    EXPECT_EQ(status.lamps[1].state, QXEVT_LIGHT_ON);
}

TEST_F(LinkMerlinInterTel, AnInterTelUnitDecodesACallAndDropsABadPacket)
{
    StartUnit("Inter-TelD");
    EXPECT_EQ(PbxType(0), ZAQ16_PBX_INTERTEL_AXXESSD);
    sim->QueuePacket(0, 4, 0x48, InterTel({0x75}, 1));
    sim->QueuePacket(0, 4, 0x58, InterTel({0x86, 0x31, 'E', 'v', 'e', ' ', '1', '0', '1'}, 2));
    Bytes bad = InterTel({0x85, 0x02, 0x07}, 3);
    bad.back() ^= 0x01;
    sim->QueuePacket(0, 4, 0x58, bad);
    sim->QueuePacket(0, 4, 0x58, InterTel({0x85, 0x01, 0x01}, 4));
    ASSERT_EQ(QXZAQEnableDChEvents(0), ZAQ16_RET_SUCCESS);
    ASSERT_TRUE(WaitFor(QXEVT_LIGHT_FLASHING, 5));
    EXPECT_EQ(polled, (std::vector<Polled>{{QXEVT_OFFHOOK, 0, 5}, {QXEVT_AUDIO_ON, 1, 5}, {QXEVT_AUDIO_OFF, 2, 5},
                                           {QXEVT_MESSAGE_CHANGE, 91, 5}, {QXEVT_LIGHT_FLASHING, 0x101, 5}}));
    char text[91] = {};
    ASSERT_EQ(QXZAQGetMessage(5, text, sizeof text), ZAQ16_RET_SUCCESS);
    EXPECT_EQ(std::string(text, 8), "Eve 101 ");
    EXPECT_EQ(text[90], '\0');
    ZAQ16_PHONE_STATUS status{};
    ASSERT_EQ(QXZAQGetPhoneStatus(5, &status), ZAQ16_RET_SUCCESS);
    EXPECT_EQ(status.hookState, QXEVT_OFFHOOK);
    EXPECT_EQ(status.lamps[2].state, QXEVT_LIGHT_OFF);  // the bad packet's lamp
}

}  // namespace
