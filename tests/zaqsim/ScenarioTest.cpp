#include <gtest/gtest.h>

#include "PacketFrame.h"
#include "Scenario.h"

using zaqsim::ParseScenario;
using zaqsim::PlayItem;

namespace {

std::string Packet(uint8_t channel, uint8_t type, std::vector<uint8_t> payload)
{
    return zaqsim::BuildPacket(channel, type, payload);
}

}  // namespace

TEST(Scenario, ParsesEveryKindOfLine)
{
    const zaqsim::Scenario scenario = ParseScenario(
        "# a call on unit 0\n"
        "packet 0 3 58 41 42            # checksum added\n"
        "+250 packet 0 15 0x02 414243\n"
        "\n"
        "   +10 notice 1 12 N\n"
        "notice 0 5 y\n"
        "text 1 Pbx   Errors = 1 2   # three blanks kept\r\n"
        "bytes 1 01 03 58 02 41 42 7E\n"
        "packet 2 0 00\n");
    ASSERT_TRUE(scenario.errors.empty()) << scenario.errors[0].message;
    ASSERT_EQ(scenario.units.size(), 3u);

    const std::vector<PlayItem>& unit0 = scenario.units[0];
    ASSERT_EQ(unit0.size(), 3u);
    EXPECT_EQ(unit0[0].delayMs, 0u);
    EXPECT_EQ(unit0[0].bytes, Packet(3, 0x58, {0x41, 0x42}));
    EXPECT_EQ(unit0[1].delayMs, 250u);
    EXPECT_EQ(unit0[1].bytes, Packet(15, 0x02, {0x41, 0x42, 0x43}));
    EXPECT_EQ(unit0[2].bytes, "5Y\r\n");

    const std::vector<PlayItem>& unit1 = scenario.units[1];
    ASSERT_EQ(unit1.size(), 3u);
    EXPECT_EQ(unit1[0].delayMs, 10u);
    EXPECT_EQ(unit1[0].bytes, "12N\r\n");
    EXPECT_EQ(unit1[1].bytes, "Pbx   Errors = 1 2\r\n");
    EXPECT_EQ(unit1[2].bytes, std::string("\x01\x03\x58\x02\x41\x42\x7E", 7));

    EXPECT_EQ(scenario.units[2].at(0).bytes, Packet(0, 0, {}));
}

TEST(Scenario, DelaysAreScaled)
{
    EXPECT_EQ(ParseScenario("+300 packet 0 0 01\n", 0.5).units[0][0].delayMs, 150u);
    EXPECT_EQ(ParseScenario("+300 packet 0 0 01\n", 0).units[0][0].delayMs, 0u);
}

TEST(Scenario, ErrorsNameTheirLines)
{
    struct Case {
        const char* line;
        const char* messageStart;
    };
    const Case cases[] = {
        {"packet 0 16 58", "bad channel"},
        {"packet 16 0 58", "bad unit"},
        {"packet 0 0 5", "bad type"},
        {"packet 0 0 58 4G", "bad payload byte"},
        {"packet 0 0 58 414", "bad payload byte"},
        {"packet 0 0", "too few values"},
        {"+x packet 0 0 58", "bad delay"},
        {"+3600001 packet 0 0 58", "bad delay"},
        {"notice 0 5 Q", "bad notice state"},
        {"notice 0 10000 Y", "bad notice channel"},
        {"bytes 0 zz", "bad byte"},
        {"jump 0 1", "unknown keyword"},
        {"packet", "expected a keyword and a unit"},
    };
    for (const Case& c : cases) {
        const zaqsim::Scenario scenario = ParseScenario(std::string("# first\n\n") + c.line + "\npacket 0 0 58\n");
        ASSERT_EQ(scenario.errors.size(), 1u) << c.line;
        EXPECT_EQ(scenario.errors[0].line, 3u) << c.line;
        EXPECT_TRUE(scenario.errors[0].message.starts_with(c.messageStart)) << c.line << ": "
                                                                           << scenario.errors[0].message;
        // The good line after it is still read.
        EXPECT_EQ(scenario.units.at(0).size(), 1u) << c.line;
    }
}

TEST(Scenario, PayloadOfMoreThan255BytesIsRefused)
{
    const zaqsim::Scenario scenario = ParseScenario("packet 0 0 58 " + std::string(512, 'A') + "\n");
    ASSERT_EQ(scenario.errors.size(), 1u);
    EXPECT_EQ(scenario.errors[0].message, "payload of 256 bytes (at most 255)");
    const zaqsim::Scenario largest = ParseScenario("packet 0 0 58 " + std::string(510, 'A') + "\n");
    EXPECT_TRUE(largest.errors.empty());
    EXPECT_EQ(largest.units[0][0].bytes.size(), 255u + 5u);
}
