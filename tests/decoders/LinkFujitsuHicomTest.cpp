// The Fujitsu 9600 and Hicom decoders behind the library's entries: units that
// report FUJI9600D and HicomD get their decoders, and a polling application
// sees their events and reads their displays and phone status.
#include <algorithm>
#include <chrono>
#include <thread>

#include "LinkFixture.h"
#include "PacketFrame.h"
#include "qxzaqlnk.h"
#include "support/TempDir.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr uint8_t kX = 0x58;
constexpr uint8_t kH = 0x48;

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
    bool operator==(const Polled&) const = default;
};

// Two display rows of `width` as GetMessage returns them: `end` after the
// second row, then the terminator.
std::string Rows(const std::string& first, const std::string& second, size_t width, const char* end)
{
    std::string text = first;
    text.resize(width, ' ');
    text += '\n';
    text += second;
    text.resize(2 * width + 1, ' ');
    text += end;
    text.push_back('\0');
    return text;
}

// A record of a dump file: the board, no time since the board's previous
// record, then the packet as the unit framed it (without its start byte).
std::string DumpRecord(uint8_t board, uint8_t channel, uint8_t type, const std::vector<uint8_t>& payload)
{
    const std::string packet = zaqsim::BuildPacket(channel, type, payload);
    return std::string{'\x01', static_cast<char>(board), 0, 0, 0, 0} + packet.substr(1);
}

std::vector<uint8_t> WithText(std::vector<uint8_t> head, const std::string& text)
{
    head.insert(head.end(), text.begin(), text.end());
    return head;
}

class LinkFujitsuHicom : public LinkFixture {
protected:
    void StartUnit(const char* pbxName)
    {
        zaqsim::UnitConfig unit;
        unit.pbxName = pbxName;
        AddUnit(unit);
        StartUnits();
        WriteRegistry({"COM1"}, 3);
        Load();
        ASSERT_EQ(QXZAQStartLink(nullptr), 1u);
    }

    // Polls until an event with `code` arrives (at most 5 s); the events until then are kept.
    bool WaitFor(uint32_t code)
    {
        const Clock::time_point end = Clock::now() + std::chrono::seconds(5);
        while (Clock::now() < end) {
            uint32_t reserved = 0, time = 0, event = 0, param = 0, board = 0, channel = 0;
            if (QXZAQGetEvent(&reserved, &time, &event, &param, &board, &channel) == ZAQ16_RET_SUCCESS) {
                polled.push_back({event, param, channel});
                if (event == code) {
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

TEST_F(LinkFujitsuHicom, AFujitsuUnitGetsItsDecoder)
{
    StartUnit("FUJI9600D");
    EXPECT_EQ(PbxType(0), ZAQ16_PBX_FUJI9600D);

    sim->QueuePacket(0, 4, kH, {0x08, 0x08});
    sim->QueuePacket(0, 4, kH, {0x08, 0x08});  // unchanged: never posted
    sim->QueuePacket(0, 4, kX, {0x13, 0x10, 0x02, 0x40});
    sim->QueuePacket(0, 4, kX, WithText({0x0E, 0x00, 25}, "5002"));
    sim->QueuePacket(0, 4, kX, {0x13, 0x28, 0x01});
    ASSERT_EQ(QXZAQEnableDChEvents(0), ZAQ16_RET_SUCCESS);

    ASSERT_TRUE(WaitFor(QXEVT_LIGHT_FASTFLASHING));
    EXPECT_EQ(polled, (std::vector<Polled>{{QXEVT_OFFHOOK, 0, 5},
                                           {QXEVT_AUDIO_ON, 1, 5},
                                           {QXEVT_MESSAGE_CHANGE, 42, 5},
                                           {QXEVT_LIGHT_FASTFLASHING, 0x108, 5}}));

    char text[64] = {};
    ASSERT_EQ(QXZAQGetMessage(5, text, 42), ZAQ16_RET_SUCCESS);
    EXPECT_EQ(std::string(text, 42), Rows("", "     5002", 20, ""));
    ZAQ16_PHONE_STATUS status{};
    ASSERT_EQ(QXZAQGetPhoneStatus(5, &status), ZAQ16_RET_SUCCESS);
    EXPECT_EQ(status.hookState, QXEVT_OFFHOOK);
    EXPECT_EQ(status.handsetAudio, QXEVT_AUDIO_ON);
    EXPECT_EQ(status.lamps[8].state, QXEVT_LIGHT_FASTFLASHING);
    EXPECT_TRUE(TraceText().find("Port created for 1") != std::string::npos);
}

TEST_F(LinkFujitsuHicom, AHicomUnitGetsItsDecoder)
{
    StartUnit("HicomD");
    EXPECT_EQ(PbxType(0), ZAQ16_PBX_SIEMENS_HICOMD);

    sim->QueuePacket(0, 9, kX, {0x00, 0x00, 0xBD, 0x55, 0x00, 0x00, 0x00, 0x0A});
    sim->QueuePacket(0, 9, kX, WithText({0x00, 0x00, 0xBD, 0x43, 0x01, 0x03, 0x00}, "Bob"));
    sim->QueuePacket(0, 9, kH, {0x00, 0x00, 0x41});  // no start byte: ignored
    sim->QueuePacket(0, 9, kH, {0x00, 0x00, 0xBD, 0x40, 0xC5});
    sim->QueuePacket(0, 9, kX, {0x00, 0x00, 0xBD, 0x56});
    ASSERT_EQ(QXZAQEnableDChEvents(0), ZAQ16_RET_SUCCESS);

    ASSERT_TRUE(WaitFor(QXEVT_RING_OFF));
    EXPECT_EQ(polled, (std::vector<Polled>{{QXEVT_RING_ON, 2, 10},
                                           {QXEVT_MESSAGE_CHANGE, 51, 10},
                                           {QXEVT_DIGIT_PRESSED, '5', 10},
                                           {QXEVT_RING_OFF, 2, 10}}));

    char text[64] = {};
    ASSERT_EQ(QXZAQGetMessage(10, text, 51), ZAQ16_RET_SUCCESS);
    EXPECT_EQ(std::string(text, 51), Rows("", "   Bob", 24, "\n"));
    ZAQ16_PHONE_STATUS status{};
    ASSERT_EQ(QXZAQGetPhoneStatus(10, &status), ZAQ16_RET_SUCCESS);
    EXPECT_EQ(status.ringState, QXEVT_RING_OFF);
    EXPECT_TRUE(TraceText().find("MESSAGE") != std::string::npos);
}

TEST_F(LinkFujitsuHicom, APlaybackDecodesBothFamilies)
{
    StartUnit("HicomD");
    // Board 0 a Hicom, board 1 a Fujitsu 9600.
    const std::string dump = std::string{'\x02', 2, 20, 31} +
                             DumpRecord(0, 2, kX, {0x00, 0x00, 0xBD, 0x40, 0x04, 0x07}) +
                             DumpRecord(1, 3, kH, {0x0C, 0x0B}) +
                             DumpRecord(1, 3, kX, {0x14, 0x00, 0x01});
    const std::string path = dir.File("two.dmp");
    WriteWholeFile(path, dump);
    ASSERT_EQ(QXZAQPlayDChannelEventsTime(path.c_str(), 0), ZAQ16_RET_SUCCESS);

    // Each board plays on its own thread: their events keep their order per board only.
    for (const uint32_t last : {QXEVT_LIGHT_FLASHING, QXEVT_RING_ON}) {
        const bool seen =
            std::any_of(polled.begin(), polled.end(), [last](const Polled& event) { return event.code == last; });
        ASSERT_TRUE(seen || WaitFor(last));
    }
    std::erase_if(polled, [](const Polled& event) { return event.code == QXEVT_FINISHED_PLAY; });
    std::stable_sort(polled.begin(), polled.end(),
                     [](const Polled& a, const Polled& b) { return a.channel < b.channel; });
    EXPECT_EQ(polled, (std::vector<Polled>{{QXEVT_LIGHT_FLASHING, 0x102, 3},
                                           {QXEVT_DIGIT_PRESSED, '*', 20},
                                           {QXEVT_RING_ON, 1, 20}}));
}

}  // namespace
