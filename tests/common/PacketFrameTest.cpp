// The unit's packet frame: fields to bytes and back, the checksum, packets
// cut short or damaged.
#include <gtest/gtest.h>

#include <vector>

#include "common/PacketFrame.h"

namespace {

struct FrameCase {
    const char* what;
    uint8_t channel;
    uint8_t type;
    std::vector<uint8_t> payload;
    std::vector<uint8_t> bytes;  // the packet as the unit sends it
};

const std::vector<FrameCase> kFrames = {
    {"lamp frame with its sum wrapping", 3, 0x58, {0x41, 0x42}, {0x01, 0x03, 0x58, 0x02, 0x41, 0x42, 0x7D}},
    {"no payload: the checksum is 0", 0, 0x01, {}, {0x01, 0x00, 0x01, 0x00, 0x00}},
    {"payload summing to 0", 15, 0x48, {0x80, 0x80}, {0x01, 0x0F, 0x48, 0x02, 0x80, 0x80, 0x00}},
    {"payload holding the start marker", 1, 0x01, {0x01, 0xFF}, {0x01, 0x01, 0x01, 0x02, 0x01, 0xFF, 0x00}},
    {"one byte", 7, 0x58, {0xFF}, {0x01, 0x07, 0x58, 0x01, 0xFF, 0x01}},
};

TEST(PacketFrame, FieldsBecomeTheUnitsBytesAndBack)
{
    for (const FrameCase& c : kFrames) {
        SCOPED_TRACE(c.what);
        std::vector<uint8_t> built = {0xAA};  // appended behind what is there
        ASSERT_TRUE(wire::AppendPacket(built, c.channel, c.type, c.payload));
        std::vector<uint8_t> expected = {0xAA};
        expected.insert(expected.end(), c.bytes.begin(), c.bytes.end());
        EXPECT_EQ(built, expected);

        std::vector<uint8_t> body;
        ASSERT_TRUE(wire::AppendPacketBody(body, c.channel, c.type, c.payload));
        EXPECT_EQ(body, std::vector<uint8_t>(c.bytes.begin() + 1, c.bytes.end()));

        wire::PacketFields fields;
        std::vector<uint8_t> withMore = c.bytes;
        withMore.push_back(0x01);  // the next packet's start marker is not read
        ASSERT_EQ(wire::ParsePacket(withMore, fields), wire::PacketParse::Complete);
        EXPECT_EQ(fields.channel, c.channel);
        EXPECT_EQ(fields.type, c.type);
        EXPECT_EQ(std::vector<uint8_t>(fields.payload.begin(), fields.payload.end()), c.payload);
        EXPECT_EQ(fields.checksum, c.bytes.back());
        EXPECT_EQ(fields.size, c.bytes.size());
    }
}

TEST(PacketFrame, ChecksumHoldsOnlyWhenPayloadAndChecksumSumToZero)
{
    EXPECT_TRUE(wire::PacketChecksumHolds(std::vector<uint8_t>{0x41, 0x42, 0x7D}));
    EXPECT_FALSE(wire::PacketChecksumHolds(std::vector<uint8_t>{0x41, 0x42, 0x7E}));
    EXPECT_TRUE(wire::PacketChecksumHolds(std::vector<uint8_t>{0x00}));
    EXPECT_EQ(wire::PacketChecksum(std::vector<uint8_t>(255, 0xFF)), 0xFF);  // 255 x 0xFF = 0xFE01
}

TEST(PacketFrame, LongestPayloadFitsAndOneMoreIsRefusedWithNothingAppended)
{
    std::vector<uint8_t> out;
    ASSERT_TRUE(wire::AppendPacket(out, 0, 0x58, std::vector<uint8_t>(255, 0x10)));
    EXPECT_EQ(out.size(), 1u + 3 + 255 + 1);
    EXPECT_EQ(out[3], 0xFF);

    std::vector<uint8_t> untouched = {0x55};
    EXPECT_FALSE(wire::AppendPacket(untouched, 0, 0x58, std::vector<uint8_t>(256, 0x10)));
    EXPECT_FALSE(wire::AppendPacketBody(untouched, 0, 0x58, std::vector<uint8_t>(256, 0x10)));
    EXPECT_EQ(untouched, std::vector<uint8_t>{0x55});
}

TEST(PacketFrame, PacketsCutShortDamagedOrMisplacedAreTold)
{
    const std::vector<uint8_t> whole = {0x01, 0x03, 0x58, 0x02, 0x41, 0x42, 0x7D};
    for (size_t size = 1; size < whole.size(); ++size) {
        wire::PacketFields fields;
        EXPECT_EQ(wire::ParsePacket(std::span<const uint8_t>(whole.data(), size), fields),
                  wire::PacketParse::CutShort)
            << size << " bytes";
    }
    wire::PacketFields fields;
    EXPECT_EQ(wire::ParsePacket({}, fields), wire::PacketParse::NoStartMarker);
    EXPECT_EQ(wire::ParsePacket(std::vector<uint8_t>{'O', 'K', '\r', '\n'}, fields), wire::PacketParse::NoStartMarker);

    const std::vector<uint8_t> damaged = {0x01, 0x03, 0x58, 0x02, 0x41, 0x42, 0x7E};
    ASSERT_EQ(wire::ParsePacket(damaged, fields), wire::PacketParse::BadChecksum);
    EXPECT_EQ(fields.channel, 3);
    EXPECT_EQ(fields.size, damaged.size());  // the reader can step over it
}

}  // namespace
