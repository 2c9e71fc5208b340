// Two units of one family get the same D-channel traffic; one of them also
// gets garbage between the packets (random bytes, half packets, bad
// checksums, text fragments). Both boards must give the same events, and
// the noisy one still answers its commands.
#include <random>
#include <thread>

#include "DrillBench.h"
#include "decoders/DefinityFrames.h"

namespace {

using namespace std::chrono_literals;

struct RealPacket {
    uint8_t type;
    std::vector<uint8_t> frame;
};

// A little call: hook, lamps, display text, hook again.
std::vector<RealPacket> CallTraffic()
{
    std::vector<uint8_t> display = {0xE3, 0x1B, 0x5B, 0x31, 0x3B, 0x00};
    for (char c : std::string("Calling 4711")) {
        display.push_back(static_cast<uint8_t>(c));
    }
    return {{0x48, definity_test::Frame({0x80, 0x02, 0x00})},
            {0x58, definity_test::Frame({0x80, 0x2F, 15, 0x80, 0x28, 18})},
            {0x58, definity_test::Frame(display)},
            {0x58, definity_test::Frame({0xE3, 0x1B, 0x5B, 0x30, 0x4B})},
            {0x58, definity_test::Frame({0x80, 0x20, 15})},
            {0x48, definity_test::Frame({0x80, 0x01, 0x00})}};
}

std::string RandomBytesWithoutStart(std::mt19937& random, size_t count)
{
    std::string bytes;
    while (bytes.size() < count) {
        const char byte = static_cast<char>(random() & 0xFF);
        if (byte != 0x01) {
            bytes.push_back(byte);
        }
    }
    return bytes;
}

struct Garbage {
    const char* what;
    std::string (*make)(std::mt19937&);
    // A broken packet is given up only after the line pauses inside it.
    bool needsPause;
};

const Garbage kGarbage[] = {
    {"random bytes", [](std::mt19937& r) { return RandomBytesWithoutStart(r, 40); }, false},
    {"text fragment", [](std::mt19937&) { return std::string("RING 12 ALERT"); }, false},
    {"text line", [](std::mt19937&) { return std::string("CHANNEL STATUS ??\r\n"); }, false},
    {"stray carriage return", [](std::mt19937&) { return std::string("NOISE\r"); }, false},
    {"half packet",
     [](std::mt19937& r) { return std::string("\x01\x02\x58\xC8", 4) + RandomBytesWithoutStart(r, 7); }, true},
    {"bad checksum", [](std::mt19937&) { return std::string("\x01\x02\x58\x03\x80\x02\x00\x11", 8); }, false},
    {"start byte alone", [](std::mt19937&) { return std::string("\x01", 1); }, true},
    {"header cut short", [](std::mt19937&) { return std::string("\x01\x02", 2); }, true},
};

struct Seen {
    uint32_t code;
    uint32_t param;
    uint32_t channelOnBoard;
    bool operator==(const Seen&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Seen& seen)
{
    return out << std::hex << seen.code << ":" << seen.param << std::dec << "@" << seen.channelOnBoard;
}

class LineGarbageDrill : public DrillBench {
protected:
    static constexpr uint32_t kSentinelChannel = 15;
    static bool EndsWithSentinel(const std::vector<Seen>& seen)
    {
        return !seen.empty() && seen.back().code == QXEVT_STARTSTOP_ON && seen.back().channelOnBoard == kSentinelChannel;
    }
    std::vector<Seen> SeenOn(uint32_t board)
    {
        std::vector<Seen> seen;
        for (const ZAQ16_EVENT& event : EventsOfBoard(board)) {
            seen.push_back({event.eventCode, event.param, event.channel % ZAQ16_CHANNELS_PER_BOARD});
        }
        return seen;
    }
};

TEST_F(LineGarbageDrill, EveryPacketAfterGarbageGivesTheSameEventsAsOnAQuietLine)
{
    ASSERT_EQ(StartLinkWith(2, Deliver, 3), 2u);
    ASSERT_EQ(QXZAQEnableDChEvents(0), ZAQ16_RET_SUCCESS);
    ASSERT_EQ(QXZAQEnableDChEvents(1), ZAQ16_RET_SUCCESS);
    std::mt19937 random(16);
    const std::vector<RealPacket> traffic = CallTraffic();
    for (const Garbage& garbage : kGarbage) {
        for (const RealPacket& packet : traffic) {
            sim->SendBytes(1, garbage.make(random));
            if (garbage.needsPause) {
                ASSERT_TRUE(sim->WaitUntilSent(1, 3000));
                std::this_thread::sleep_for(250ms);
            }
            for (size_t unit : {0, 1}) {
                ASSERT_TRUE(sim->QueuePacket(unit, 2, packet.type, packet.frame));
            }
            ASSERT_TRUE(sim->WaitUntilSent(0, 3000));
            ASSERT_TRUE(sim->WaitUntilSent(1, 3000));
        }
        // A notice after the packets: once it is delivered, so are their events.
        // Garbage text may be taken for the start of a line that a packet
        // interrupts; it is dropped only once the line pauses, so the notice
        // comes after a pause.
        std::this_thread::sleep_for(250ms);
        for (size_t unit : {0, 1}) {
            sim->SendNotice(unit, kSentinelChannel, true);
        }
        ASSERT_TRUE(WaitUntil([&] { return EndsWithSentinel(SeenOn(0)) && EndsWithSentinel(SeenOn(1)); }, 5000))
            << garbage.what << ": " << testing::PrintToString(SeenOn(0)) << " / " << testing::PrintToString(SeenOn(1));
        // Both boards have handled the same packets: the same events.
        EXPECT_GT(SeenOn(0).size(), 1u);
        EXPECT_EQ(SeenOn(1), SeenOn(0)) << "after " << garbage.what;
        ClearEvents();
    }
}

// Garbage glued to the front of an answer line spoils that answer; once the
// line has paused after it, the next command is answered.
TEST_F(LineGarbageDrill, CommandsAreAnsweredOnceTheLinePausesAfterGarbage)
{
    ASSERT_EQ(StartLinkWith(1, Deliver, 3), 1u);
    std::mt19937 random(1216);
    for (const Garbage& garbage : kGarbage) {
        for (uint32_t bus : {1u, 2u}) {
            sim->SendBytes(0, garbage.make(random));
            ASSERT_TRUE(sim->WaitUntilSent(0, 3000));
            std::this_thread::sleep_for(250ms);
            EXPECT_EQ(QXZAQSetBusType(0, bus), ZAQ16_RET_SUCCESS) << garbage.what;
            EXPECT_EQ(QXZAQGetBusType(0), bus) << garbage.what;
        }
    }
}

}  // namespace
