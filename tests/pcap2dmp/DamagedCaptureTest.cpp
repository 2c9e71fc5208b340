// Damaged and truncated capture files: each gives an error that says what is
// wrong and where, and no dump at all.
#include <gtest/gtest.h>

#include "CaptureFile.h"
#include "CaptureWriter.h"
#include "Conversion.h"
#include "LapdFrames.h"
#include "PcapngBuilder.h"

using capturetest::Bytes;
using capturetest::PcapngBuilder;

namespace {

const Bytes kSabme{0x02, 0x81, 0x7F};

Bytes TwoFramePcap()
{
    pcap2dmp::PcapWriter capture(pcap2dmp::kLinkTypeLapd);
    capture.Add(1'000'000'000, kSabme);
    capture.Add(2'000'000'000, kSabme);
    return capture.Bytes();
}

Bytes Cut(Bytes bytes, size_t keep)
{
    bytes.resize(keep);
    return bytes;
}

Bytes WithWord(Bytes bytes, size_t offset, uint32_t value)
{
    for (int i = 0; i < 4; ++i) {
        bytes[offset + static_cast<size_t>(i)] = static_cast<uint8_t>(value >> (8 * i));
    }
    return bytes;
}

Bytes Pcapng(const std::function<void(PcapngBuilder&)>& blocks)
{
    PcapngBuilder capture;
    blocks(capture);
    return capture.File();
}

// The first block of a section followed by one raw block header: type, length, and `bodyBytes` zero bytes.
Bytes AfterSection(uint32_t type, uint32_t length, size_t bodyBytes)
{
    Bytes bytes = Pcapng([](PcapngBuilder& capture) { capture.SectionHeader(); });
    PcapngBuilder fields;
    for (const Bytes& part : {fields.U32(type), fields.U32(length), Bytes(bodyBytes, 0)}) {
        bytes.insert(bytes.end(), part.begin(), part.end());
    }
    return bytes;
}

}  // namespace

TEST(DamagedCapture, SaysWhatIsWrongAndWritesNothing)
{
    const Bytes good = TwoFramePcap();
    const size_t firstRecord = 24;
    const size_t secondRecord = firstRecord + 16 + kSabme.size();
    struct Case {
        const char* what;
        Bytes file;
        const char* error;
    };
    const Case cases[] = {
        {"empty", {}, "not a capture file: 0 bytes"},
        {"three bytes", {0xD4, 0xC3, 0xB2}, "not a capture file: 3 bytes"},
        {"another format", Bytes(64, 0x00), "not a pcap or pcapng file (it starts with neither magic number)"},
        {"pcap header cut", Cut(good, 20), "truncated pcap file header (20 of 24 bytes)"},
        {"record header cut", Cut(good, firstRecord + 10), "packet 1: truncated record header at offset 24"},
        {"data cut", Cut(good, firstRecord + 16 + 1), "packet 1: truncated data (1 of 3 bytes) at offset 24"},
        {"second packet cut", Cut(good, secondRecord + 17),
         "packet 2: truncated data (1 of 3 bytes) at offset 43"},
        {"data length beyond the file", WithWord(good, firstRecord + 8, 0xFFFFFFFF),
         "packet 1: truncated data (22 of 4294967295 bytes) at offset 24"},
        {"pcapng section cut", Cut(Pcapng([](PcapngBuilder& c) { c.SectionHeader(); }), 10),
         "truncated section header at offset 0"},
        {"pcapng without byte-order magic",
         WithWord(Pcapng([](PcapngBuilder& c) { c.SectionHeader(); }), 8, 0x12345678),
         "section header without its byte-order magic at offset 0"},
        {"block shorter than its frame", AfterSection(6, 8, 8),
         "block of type 6 with a bad length (8 bytes, 16 left) at offset 28"},
        {"block length not a multiple of 4", AfterSection(6, 14, 8),
         "block of type 6 with a bad length (14 bytes, 16 left) at offset 28"},
        {"block beyond the file", AfterSection(6, 64, 8),
         "block of type 6 with a bad length (64 bytes, 16 left) at offset 28"},
        {"block lengths differ", AfterSection(6, 16, 8), "block whose two lengths differ (16 and 0) at offset 28"},
        {"block header cut", Cut(Pcapng([](PcapngBuilder& c) { c.SectionHeader().Interface(203); }), 30),
         "truncated block header at offset 28"},
        {"packet before any interface",
         Pcapng([](PcapngBuilder& c) { c.SectionHeader().Enhanced(0, 1, kSabme); }),
         "packet of interface 0, which no block described at offset 36"},
        {"packet of an interface of another section",
         Pcapng([](PcapngBuilder& c) { c.SectionHeader().Interface(203).SectionHeader().Enhanced(0, 1, kSabme); }),
         "packet of interface 0, which no block described at offset 84"},
        {"packet block shorter than its data",
         Pcapng([](PcapngBuilder& c) { c.SectionHeader().Interface(203).Block(6, Bytes{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 200, 0, 0, 0, 200, 0, 0, 0}); }),
         "packet block shorter than its data (200 bytes) at offset 56"},
        {"interface description cut", Pcapng([](PcapngBuilder& c) { c.SectionHeader().Block(1, {0xCB, 0x00}); }),
         "truncated interface description at offset 36"},
        {"interface option cut",
         Pcapng([](PcapngBuilder& c) { c.SectionHeader().Block(1, {0xCB, 0, 0, 0, 0, 0, 0, 0, 9, 0, 8, 0}); }),
         "truncated interface option at offset 36"},
        {"time resolution beyond 10^-18", Pcapng([](PcapngBuilder& c) { c.SectionHeader().Interface(203, 19); }),
         "interface with an unsupported time resolution at offset 36"},
        {"no LAPD at all", Pcapng([](PcapngBuilder& c) { c.SectionHeader().Interface(1).Enhanced(0, 1, kSabme); }),
         "no LAPD frame to write (1 packets read)"},
    };
    for (const Case& c : cases) {
        const pcap2dmp::Conversion conversion = pcap2dmp::ConvertCapture(c.file);
        EXPECT_EQ(conversion.error, c.error) << c.what;
        EXPECT_TRUE(conversion.dump.empty()) << c.what;
    }
}

TEST(DamagedCapture, KeepsThePacketsBeforeTheDamage)
{
    const Bytes good = TwoFramePcap();
    const auto cut = Cut(good, good.size() - 1);
    const pcap2dmp::Capture capture = pcap2dmp::ReadCapture(cut);
    EXPECT_NE(capture.error, "");
    ASSERT_EQ(capture.packets.size(), 1u);
    EXPECT_EQ(std::vector<uint8_t>(capture.packets[0].bytes.begin(), capture.packets[0].bytes.end()), kSabme);
    EXPECT_EQ(capture.packets[0].timeNs, 1'000'000'000u);
    EXPECT_EQ(capture.packets[0].linkType, pcap2dmp::kLinkTypeLapd);
}
