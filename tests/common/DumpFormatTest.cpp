// The dump file's header and records: written and read back byte for byte,
// both formats, and files cut short anywhere.
#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "common/DumpFormat.h"

namespace {

using Bytes = std::vector<uint8_t>;

struct HeaderCase {
    const char* what;
    Bytes file;
    wire::DumpHeaderParse result;
    Bytes pbxTypes;
    size_t size;
};

TEST(DumpFormat, HeaderOfEachFormat)
{
    const std::vector<HeaderCase> cases = {
        {"two units, Definity and ISDN", {0x02, 0x02, 0x02, 0x15, 0x01}, wire::DumpHeaderParse::FormatTwo, {0x02, 0x15}, 4},
        {"no unit", {0x02, 0x00}, wire::DumpHeaderParse::FormatTwo, {}, 2},
        {"old format: a record from the first byte", {0x01, 0x03, 0x58, 0x00, 0x00}, wire::DumpHeaderParse::OldFormat, {}, 0},
        {"old format: anything but 0x02 first", {0x03, 0x02}, wire::DumpHeaderParse::OldFormat, {}, 0},
        {"empty file", {}, wire::DumpHeaderParse::OldFormat, {}, 0},
        {"format byte alone", {0x02}, wire::DumpHeaderParse::CutShort, {}, 0},
        {"types cut short", {0x02, 0x03, 0x02, 0x15}, wire::DumpHeaderParse::CutShort, {}, 0},
    };
    for (const HeaderCase& c : cases) {
        SCOPED_TRACE(c.what);
        wire::DumpHeader header;
        header.size = 99;  // left over from an earlier file
        EXPECT_EQ(wire::ParseDumpHeader(c.file, header), c.result);
        EXPECT_EQ(header.pbxTypes, c.pbxTypes);
        EXPECT_EQ(header.size, c.size);
        EXPECT_EQ(header.formatTwo, c.result != wire::DumpHeaderParse::OldFormat);
    }
}

TEST(DumpFormat, HeaderWrittenIsReadBack)
{
    Bytes file;
    ASSERT_TRUE(wire::AppendDumpHeader(file, Bytes{2, 21}));
    EXPECT_EQ(file, (Bytes{0x02, 0x02, 0x02, 0x15}));

    Bytes longest;
    ASSERT_TRUE(wire::AppendDumpHeader(longest, Bytes(255, 30)));
    EXPECT_EQ(longest.size(), wire::kLongestDumpHeader);
    wire::DumpHeader header;
    ASSERT_EQ(wire::ParseDumpHeader(longest, header), wire::DumpHeaderParse::FormatTwo);
    EXPECT_EQ(header.pbxTypes.size(), 255u);

    Bytes untouched;
    EXPECT_FALSE(wire::AppendDumpHeader(untouched, Bytes(256, 30)));  // the count is one byte
    EXPECT_TRUE(untouched.empty());
}

// Board 1, 0x81020304 ms (high bit set: the gap is unsigned), channel 3,
// type 0x58, "AB" and its checksum.
const Bytes kRecord = {0x01, 0x01, 0x04, 0x03, 0x02, 0x81, 0x03, 0x58, 0x02, 0x41, 0x42, 0x7D};
const Bytes kOldRecord = {0x01, 0x03, 0x58, 0x02, 0x41, 0x42, 0x7D};

TEST(DumpFormat, RecordsAreWrittenByteForByte)
{
    Bytes built;
    ASSERT_TRUE(wire::AppendDumpRecord(built, 1, 0x81020304, 3, 0x58, Bytes{0x41, 0x42}));
    EXPECT_EQ(built, kRecord);

    // As received: the bytes are kept even when their checksum is wrong.
    Bytes recorded;
    const std::array<uint8_t, 3> header = {0x03, 0x58, 0x02};
    wire::AppendRecordedPacket(recorded, 1, 0x81020304, header, Bytes{0x41, 0x42, 0x7E});
    Bytes expected = kRecord;
    expected.back() = 0x7E;
    EXPECT_EQ(recorded, expected);

    Bytes untouched;
    EXPECT_FALSE(wire::AppendDumpRecord(untouched, 0, 0, 0, 0x58, Bytes(256, 0)));
    EXPECT_TRUE(untouched.empty());
}

TEST(DumpFormat, RecordsOfEachFormatAreRead)
{
    struct Case {
        const char* what;
        Bytes bytes;
        bool formatTwo;
        uint8_t board;
        uint32_t gapMs;
    };
    const std::vector<Case> cases = {
        {"format 2", kRecord, true, 1, 0x81020304},
        {"old format: no board, no gap", kOldRecord, false, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Bytes withNext = c.bytes;
        withNext.insert(withNext.end(), {0x01, 0x00});  // the next record is not read
        wire::DumpRecord record;
        ASSERT_EQ(wire::ParseDumpRecord(withNext, c.formatTwo, record), wire::RecordParse::Complete);
        EXPECT_EQ(record.board, c.board);
        EXPECT_EQ(record.gapMs, c.gapMs);
        EXPECT_EQ(record.channel, 3);
        EXPECT_EQ(record.type, 0x58);
        EXPECT_EQ(record.Length(), 2);
        EXPECT_EQ(Bytes(record.dataAndChecksum.begin(), record.dataAndChecksum.end()), (Bytes{0x41, 0x42, 0x7D}));
        EXPECT_EQ(record.size, c.bytes.size());
    }
}

TEST(DumpFormat, RecordCutShortAnywhereIsTold)
{
    for (const bool formatTwo : {true, false}) {
        const Bytes& whole = formatTwo ? kRecord : kOldRecord;
        for (size_t size = 1; size < whole.size(); ++size) {
            wire::DumpRecord record;
            EXPECT_EQ(wire::ParseDumpRecord(std::span<const uint8_t>(whole.data(), size), formatTwo, record),
                      wire::RecordParse::CutShort)
                << (formatTwo ? "format 2, " : "old format, ") << size << " bytes";
        }
    }
    wire::DumpRecord record;
    EXPECT_EQ(wire::ParseDumpRecord({}, true, record), wire::RecordParse::NoStartByte);
    EXPECT_EQ(wire::ParseDumpRecord(Bytes{0x02, 0x01}, true, record), wire::RecordParse::NoStartByte);
}

TEST(DumpFormat, GapFieldIsLittleEndianAndUnsigned)
{
    const uint8_t field[] = {0xFF, 0xFF, 0xFF, 0xFF};
    EXPECT_EQ(wire::ReadRecordGap(field), 0xFFFFFFFFu);
    const uint8_t oneSecond[] = {0xE8, 0x03, 0x00, 0x00};
    EXPECT_EQ(wire::ReadRecordGap(oneSecond), 1000u);
}

}  // namespace
