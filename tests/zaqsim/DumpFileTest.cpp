#include <gtest/gtest.h>

#include "DumpFile.h"

using zaqsim::LoadDump;

namespace {

// Records as the library writes them.
std::string Record2(uint8_t board, uint32_t gap, const std::string& packetAfterMarker)
{
    std::string record = "\x01";
    record.push_back(static_cast<char>(board));
    for (int i = 0; i < 4; ++i)
        record.push_back(static_cast<char>((gap >> (8 * i)) & 0xFF));
    return record + packetAfterMarker;
}

// channel 3, type 0x58, "AB", checksum 0x7D; and channel 0, type 1, no payload.
const std::string kPacketA("\x03\x58\x02\x41\x42\x7D", 6);
const std::string kPacketB("\x00\x01\x00\x00", 4);
const std::string kHeaderTwoUnits("\x02\x02\x02\x15", 4);

}  // namespace

TEST(DumpFile, FormatTwoRoutesByBoardAndKeepsEachBoardsGaps)
{
    const std::string file = kHeaderTwoUnits + Record2(0, 0, kPacketA) + Record2(1, 1500, kPacketB) +
                             Record2(0, 70000, kPacketB) + Record2(5, 10, kPacketA);
    const zaqsim::DumpPlay play = LoadDump(file, 2);
    EXPECT_TRUE(play.formatTwo);
    EXPECT_TRUE(play.error.empty()) << play.error;
    EXPECT_EQ(play.records, 4u);
    EXPECT_EQ(play.skippedRecords, 1u);
    ASSERT_EQ(play.units.size(), 2u);
    ASSERT_EQ(play.units[0].size(), 2u);
    EXPECT_EQ(play.units[0][0].bytes, "\x01" + kPacketA);
    EXPECT_EQ(play.units[0][0].delayMs, 0u);
    EXPECT_EQ(play.units[0][1].bytes, "\x01" + kPacketB);
    EXPECT_EQ(play.units[0][1].delayMs, 70000u);
    ASSERT_EQ(play.units[1].size(), 1u);
    EXPECT_EQ(play.units[1][0].delayMs, 1500u);
}

TEST(DumpFile, GapsAreScaledOrIgnored)
{
    const std::string file = kHeaderTwoUnits + Record2(0, 1000, kPacketA);
    EXPECT_EQ(LoadDump(file, 1, 0.25).units[0][0].delayMs, 250u);
    EXPECT_EQ(LoadDump(file, 1, 0).units[0][0].delayMs, 0u);
}

TEST(DumpFile, OldFormatGoesToEveryUnitWithoutGaps)
{
    const std::string file = "\x01" + kPacketA + "\x01" + kPacketB;
    const zaqsim::DumpPlay play = LoadDump(file, 2);
    EXPECT_FALSE(play.formatTwo);
    EXPECT_EQ(play.records, 2u);
    for (const auto& unit : play.units) {
        ASSERT_EQ(unit.size(), 2u);
        EXPECT_EQ(unit[0].bytes, "\x01" + kPacketA);
        EXPECT_EQ(unit[1].bytes, "\x01" + kPacketB);
        EXPECT_EQ(unit[1].delayMs, 0u);
    }
}

TEST(DumpFile, RecordsAreSentExactlyAsRecordedEvenWithABadChecksum)
{
    const std::string bad("\x03\x58\x02\x41\x42\x7E", 6);
    EXPECT_EQ(LoadDump("\x01" + bad, 1).units[0][0].bytes, "\x01" + bad);
}

TEST(DumpFile, DamagedFilesKeepWhatCameBeforeTheDamage)
{
    struct Case {
        const char* name;
        std::string file;
        size_t records;
        const char* error;
    };
    const std::string good = Record2(0, 0, kPacketA);
    const Case cases[] = {
        {"header cut", std::string("\x02\x03\x02", 3), 0, "offset 2: header cut short"},
        {"time cut", kHeaderTwoUnits + good + Record2(0, 0, kPacketA).substr(0, 4), 1, "offset 16: record cut short"},
        {"payload cut", kHeaderTwoUnits + good + Record2(0, 0, kPacketA).substr(0, 10), 1,
         "offset 16: record cut short"},
        {"old cut", "\x01" + kPacketA + "\x01" + kPacketA.substr(0, 4), 1, "offset 7: record cut short"},
        {"no marker", kHeaderTwoUnits + good + "\x07", 1, "offset 16: record does not start with 0x01"},
    };
    for (const Case& c : cases) {
        const zaqsim::DumpPlay play = LoadDump(c.file, 1);
        EXPECT_EQ(play.records, c.records) << c.name;
        EXPECT_EQ(play.units[0].size(), c.records) << c.name;
        EXPECT_EQ(play.error, c.error) << c.name;
    }
}

TEST(DumpFile, EmptyFilePlaysNothing)
{
    const zaqsim::DumpPlay play = LoadDump("", 2);
    EXPECT_TRUE(play.error.empty());
    EXPECT_EQ(play.records, 0u);
}
