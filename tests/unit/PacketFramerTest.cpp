// The framer alone: bytes with their arrival times in, packets, lines and
// trace lines out, in the order the unit sent them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/KeptTrace.h"
#include "unit/PacketFramer.h"

namespace {

// Everything the framer gave out, as text: "P ch type [payload]" or "L line".
class Outputs : public PacketFramer::Receiver {
public:
    void OnPacket(const FramedPacket& packet) override
    {
        std::string text = "P " + std::to_string(packet.Channel()) + " " + std::to_string(packet.Type());
        for (uint32_t i = 0; i + 1 < packet.dataCount; ++i) {
            text += " " + std::to_string(packet.data[i]);
        }
        seen.push_back(text);
    }
    void OnLine(std::string_view line) override { seen.push_back("L " + std::string(line)); }
    std::vector<std::string> seen;
};

std::string Bytes(std::initializer_list<uint8_t> bytes)
{
    return std::string(bytes.begin(), bytes.end());
}

// Start marker, header, payload and checksum.
std::string Packet(uint8_t channel, uint8_t type, std::initializer_list<uint8_t> payload)
{
    std::string bytes = Bytes({PacketFramer::kPacketStart, channel, type, static_cast<uint8_t>(payload.size())});
    uint8_t sum = 0;
    for (uint8_t byte : payload) {
        bytes += static_cast<char>(byte);
        sum = static_cast<uint8_t>(sum + byte);
    }
    bytes += static_cast<char>(static_cast<uint8_t>(-sum));
    return bytes;
}

class Framer : public testing::Test {
protected:
    void SetUp() override { TraceLines().clear(); }
    void Arrive(uint32_t at, const std::string& bytes)
    {
        framer.Feed(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), at);
    }
    bool Traced(const std::string& text) const
    {
        for (const std::string& line : TraceLines()) {
            if (line.find(text) != std::string::npos) {
                return true;
            }
        }
        return false;
    }

    Outputs out;
    // Board 1: channels 17 to 32.
    PacketFramer framer{17, out, &KeepTrace};
};

TEST_F(Framer, LinesAndPacketsOfOneBlockComeOutInOrder)
{
    Arrive(1000, "OK\r\n" + Packet(3, 0x58, {0x41, 0x42}) + "5Y\r\n" + Packet(15, 0x48, {}));
    EXPECT_EQ(out.seen, (std::vector<std::string>{"L OK\r", "P 3 88 65 66", "L 5Y\r", "P 15 72"}));
    EXPECT_FALSE(framer.InsidePacket());
}

TEST_F(Framer, PacketSplitAcrossArrivalsAndInsideALine)
{
    const std::string packet = Packet(2, 0x58, {0x10, 0x20, 0x30});
    Arrive(1000, "Ser" + packet.substr(0, 3));
    EXPECT_TRUE(framer.InsidePacket());
    Arrive(1002, packet.substr(3, 2));
    Arrive(1004, packet.substr(5) + "ial=1\r");
    Arrive(1005, "\n");
    EXPECT_EQ(out.seen, (std::vector<std::string>{"P 2 88 16 32 48", "L Serial=1\r"}));
}

TEST_F(Framer, PacketEndingInsideAnArrivalIsNoPauseForTheLineAroundIt)
{
    // Bytes every 60 ms, never a pause of the time-out: the text before the
    // packet and the text after it, which arrives with the packet's last
    // bytes, are one line, as when the same bytes come one by one.
    const std::string packet = Packet(2, 0x58, {0x10, 0x20, 0x30});
    Arrive(1000, "Ser" + packet.substr(0, 3));
    Arrive(1060, packet.substr(3, 2));
    Arrive(1120, packet.substr(5) + "ial=1\r\n");
    EXPECT_EQ(out.seen, (std::vector<std::string>{"P 2 88 16 32 48", "L Serial=1\r"}));
    EXPECT_FALSE(Traced("Unfinished line dropped"));
}

TEST_F(Framer, LyingLengthThenAPauseGivesTheNextAnswerBack)
{
    // Length 200, but only two bytes follow; the unit's "OK" comes after a pause.
    Arrive(1000, Bytes({0x01, 0x04, 0x58, 200, 0x10, 0x20}));
    EXPECT_EQ(framer.MsUntilPacketBreaks(1030), 70u);
    Arrive(1000 + PacketFramer::kInterByteTimeoutMs + 50, "OK\r\n");
    EXPECT_EQ(out.seen, std::vector<std::string>{"L OK\r"});
    EXPECT_TRUE(Traced("data for 21::Read fails 2 not enough data"));
}

TEST_F(Framer, QuietLineEndsABrokenPacketOnlyAfterTheTimeOut)
{
    Arrive(1000, Bytes({0x01, 0x04}));
    framer.Quiet(1000 + PacketFramer::kInterByteTimeoutMs - 1);
    EXPECT_TRUE(framer.InsidePacket());
    framer.Quiet(1000 + PacketFramer::kInterByteTimeoutMs);
    EXPECT_FALSE(framer.InsidePacket());
    EXPECT_TRUE(Traced("channel 17::Read fails 1"));
    EXPECT_EQ(framer.MsUntilPacketBreaks(5000), 0u);
}

TEST_F(Framer, PauseJustUnderTheTimeOutKeepsThePacket)
{
    const std::string packet = Packet(1, 0x48, {0x77});
    Arrive(1000, packet.substr(0, 4));
    Arrive(1000 + PacketFramer::kInterByteTimeoutMs - 1, packet.substr(4));
    EXPECT_EQ(out.seen, std::vector<std::string>{"P 1 72 119"});
}

TEST_F(Framer, BadChecksumIsTracedAndTheStreamGoesOn)
{
    std::string packet = Packet(3, 0x58, {0x41});
    packet.back() = static_cast<char>(packet.back() + 1);
    Arrive(1000, packet + "OK\r\n");
    EXPECT_EQ(out.seen, std::vector<std::string>{"L OK\r"});
    EXPECT_TRUE(Traced("BAD PACKAGE chdev 3, channel 20"));
}

TEST_F(Framer, HeaderOutOfStepIsResynchronisedOnAStartMarkerInside)
{
    struct Case {
        const char* name;
        std::string bytes;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {"marker as type", Bytes({0x01, 0x11, 0x01, 0x05, 0x48, 0x01, 0x10, 0xF0}), {"P 5 72 16"}},
        {"marker as length", Bytes({0x01, 0x20, 0x07, 0x01, 0x02, 0x58, 0x01, 0x33, 0xCD}), {"P 2 88 51"}},
        {"no marker: text again", Bytes({0x01, 0x20, 0x07, 0x09}) + "OK\r\n", {"L OK\r"}},
    };
    for (const Case& test : cases) {
        Outputs caseOut;
        PacketFramer caseFramer{17, caseOut, &KeepTrace};
        caseFramer.Feed(reinterpret_cast<const uint8_t*>(test.bytes.data()), test.bytes.size(), 1000);
        EXPECT_EQ(caseOut.seen, test.expected) << test.name;
        EXPECT_FALSE(caseFramer.InsidePacket()) << test.name;
    }
    EXPECT_TRUE(Traced("chdev out of range 17, start ch 17"));
    EXPECT_TRUE(Traced("restart from cType"));
}

TEST_F(Framer, LineFeedLateAfterATimerWakeStillEndsTheLine)
{
    Arrive(1000, "OK\r");
    Arrive(1020, "\n5Y\r");
    Arrive(1000 + 20 + PacketFramer::kInterByteTimeoutMs, "\n");
    EXPECT_EQ(out.seen, (std::vector<std::string>{"L OK\r", "L 5Y\r"}));
}

TEST_F(Framer, LineFeedAfterTheTimeOutDoesNotEndTheLineAndItIsDropped)
{
    Arrive(1000, "OK\r");
    Arrive(1000 + PacketFramer::kInterByteTimeoutMs + 1, "\nSerial=2\r\n");
    EXPECT_EQ(out.seen, std::vector<std::string>{"L \nSerial=2\r"});
    EXPECT_TRUE(Traced("Unfinished line dropped: OK\r"));
}

TEST_F(Framer, UnfinishedTextBeforeAPauseDoesNotPrefixTheNextAnswer)
{
    Arrive(1000, "x#");
    Arrive(1500, "OK\r\n");
    EXPECT_EQ(out.seen, std::vector<std::string>{"L OK\r"});
}

TEST_F(Framer, OverrunDropsTheLineWithOneTraceLine)
{
    Arrive(1000, std::string(PacketFramer::kLineBufferSize + 5, 'a'));
    EXPECT_EQ(framer.PendingLine(), std::string(4, 'a'));
    EXPECT_TRUE(Traced("Overrun of buffer!! Reset board 2"));
    framer.Reset();
    EXPECT_TRUE(framer.PendingLine().empty());
}

TEST_F(Framer, DroppedPartialPacketIsTracedOnce)
{
    Arrive(1000, Bytes({0x01, 0x02, 0x58, 0x05, 0x10, 0x20}));
    framer.DropPartialPacket(1010);
    EXPECT_FALSE(framer.InsidePacket());
    EXPECT_EQ(TraceLines(), std::vector<std::string>{"HandlePacket: data for 19::Read fails 2 not enough data"});
}

}  // namespace
