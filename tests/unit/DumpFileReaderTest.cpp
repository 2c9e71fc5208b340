// The dump file of a playback read in blocks: the header passed over, pieces
// that straddle two blocks handed out whole, and files that end early.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/TempDir.h"
#include "unit/DumpFileReader.h"

namespace {

std::string Bytes(std::initializer_list<int> values)
{
    std::string bytes;
    for (int value : values) {
        bytes.push_back(static_cast<char>(value));
    }
    return bytes;
}

std::vector<uint8_t> Piece(const uint8_t* data, size_t count)
{
    return data == nullptr ? std::vector<uint8_t>{} : std::vector<uint8_t>(data, data + count);
}

class DumpFileReading : public testing::Test {
protected:
    std::string Write(const std::string& contents)
    {
        const std::string path = dir.File("test.dmp");
        WriteWholeFile(path, contents);
        return path;
    }
    TempDir dir;
};

TEST_F(DumpFileReading, HeaderIsPassedOverOrKeptByFormat)
{
    struct Case {
        const char* name;
        std::string contents;
        bool boardField;
        int firstByte;  // -1: the file has nothing after its header
    };
    const Case cases[] = {
        {"format 2, two units", Bytes({0x02, 0x02, 0x02, 0x15, 0x01}), true, 0x01},
        {"format 2, no units", Bytes({0x02, 0x00, 0x01}), true, 0x01},
        {"old format starts at its first byte", Bytes({0x01, 0x03, 0x48}), false, 0x01},
        {"empty file", "", false, -1},
        {"ends inside the unit count", Bytes({0x02}), true, -1},
        {"ends inside the type bytes", Bytes({0x02, 0x05, 0x02, 0x15}), true, -1},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        DumpFileReader reader;
        ASSERT_TRUE(reader.Open(Write(test.contents).c_str()));
        EXPECT_EQ(reader.HasBoardField(), test.boardField);
        uint8_t byte = 0;
        if (test.firstByte < 0) {
            EXPECT_FALSE(reader.NextByte(byte));
            EXPECT_FALSE(reader.Failed());
        } else {
            ASSERT_TRUE(reader.NextByte(byte));
            EXPECT_EQ(byte, test.firstByte);
        }
    }
}

TEST_F(DumpFileReading, PiecesStraddlingBlocksComeWhole)
{
    // With the smallest block, a 300-byte piece always spans a refill.
    std::string contents(1, '\x07');
    for (int i = 0; i < 3000; ++i) {
        contents.push_back(static_cast<char>(i % 251));
    }
    DumpFileReader reader(1);
    ASSERT_TRUE(reader.Open(Write(contents).c_str()));
    uint8_t byte = 0;
    ASSERT_TRUE(reader.NextByte(byte));
    size_t offset = 0;
    for (size_t count : {300u, 1u, 511u, 512u, 7u}) {
        const std::vector<uint8_t> piece = Piece(reader.Take(count), count);
        const std::string expected = contents.substr(1 + offset, count);
        EXPECT_EQ(std::string(piece.begin(), piece.end()), expected) << "at " << offset;
        offset += count;
    }
}

TEST_F(DumpFileReading, FileEndingInsideAPieceUsesUpTheRest)
{
    DumpFileReader reader(1);
    ASSERT_TRUE(reader.Open(Write(Bytes({0x01, 0x05, 0x48, 0x04, 0xAA})).c_str()));
    ASSERT_NE(reader.Take(3), nullptr);
    EXPECT_EQ(reader.Take(5), nullptr);
    uint8_t byte = 0;
    EXPECT_FALSE(reader.NextByte(byte));
    EXPECT_FALSE(reader.Failed());
}

TEST_F(DumpFileReading, OversizedPieceIsRefusedWithoutReading)
{
    DumpFileReader reader;
    ASSERT_TRUE(reader.Open(Write(std::string(2000, '\x01')).c_str()));
    EXPECT_EQ(reader.Take(DumpFileReader::kLongestPiece + 1), nullptr);
    EXPECT_NE(reader.Take(DumpFileReader::kLongestPiece), nullptr);
}

TEST_F(DumpFileReading, MissingFileDoesNotOpenAndReopeningStartsAfresh)
{
    DumpFileReader reader;
    EXPECT_FALSE(reader.Open(dir.File("absent.dmp").c_str()));
    EXPECT_FALSE(reader.IsOpen());
    const std::string path = Write(Bytes({0x02, 0x00, 0x01, 0x02}));
    ASSERT_TRUE(reader.Open(path.c_str()));
    ASSERT_NE(reader.Take(2), nullptr);
    ASSERT_TRUE(reader.Open(path.c_str()));
    uint8_t byte = 0;
    ASSERT_TRUE(reader.NextByte(byte));
    EXPECT_EQ(byte, 0x01);
}

TEST_F(DumpFileReading, DirectoryReadsAsAFailureNotAnEnd)
{
    DumpFileReader reader;
    if (!reader.Open(dir.File(".").c_str())) {
        GTEST_SKIP() << "this system does not open a directory as a file";
    }
    uint8_t byte = 0;
    EXPECT_FALSE(reader.NextByte(byte));
    EXPECT_TRUE(reader.Failed());
}

}  // namespace
