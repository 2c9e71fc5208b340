// Captures of LAPD frames to dump files: the records as the library and
// zaqsim read them, the sender of each frame, the time gaps, and what is left
// out with a warning.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "CaptureWriter.h"
#include "Conversion.h"
#include "DumpFile.h"
#include "DumpWriter.h"
#include "PcapngBuilder.h"
#include "decoders/HdlcFrameCheck.h"

using capturetest::Bytes;
using capturetest::PcapngBuilder;
using pcap2dmp::Sender;

namespace {

constexpr uint64_t kMs = 1'000'000;  // ns
constexpr uint64_t kStart = 1'700'000'000ull * 1'000'000'000ull;

const Bytes kSabme{0x02, 0x81, 0x7F};
const Bytes kUa{0x02, 0x81, 0x73};
const Bytes kSetup{0x02, 0x81, 0x00, 0x00, 0x08, 0x01, 0x05, 0x05, 0x18, 0x01, 0x81, 0x70, 0x03, 0x80, 0x32, 0x30};

struct Record {
    uint32_t gapMs;
    uint8_t chdev;
    uint8_t type;
    Bytes payload;  // frame and check sequence
};

// Reads a dump file of one unit back, checking the parts every record shares.
std::vector<Record> Records(const Bytes& dump)
{
    std::vector<Record> records;
    EXPECT_GE(dump.size(), 3u);
    EXPECT_EQ(Bytes(dump.begin(), dump.begin() + 3), (Bytes{0x02, 0x01, 30}));
    size_t at = 3;
    while (at + 9 <= dump.size()) {
        EXPECT_EQ(dump[at], 0x01);
        EXPECT_EQ(dump[at + 1], 0x00) << "board 0";
        Record record;
        record.gapMs = dump[at + 2] | dump[at + 3] << 8 | dump[at + 4] << 16 | uint32_t{dump[at + 5]} << 24;
        record.chdev = dump[at + 6];
        record.type = dump[at + 7];
        const size_t length = dump[at + 8];
        if (at + 9 + length + 1 > dump.size()) {
            ADD_FAILURE() << "record cut short at " << at;
            break;
        }
        record.payload.assign(dump.begin() + at + 9, dump.begin() + at + 9 + length);
        uint8_t sum = dump[at + 9 + length];
        for (uint8_t byte : record.payload) {
            sum = static_cast<uint8_t>(sum + byte);
        }
        EXPECT_EQ(sum, 0) << "checksum of the record at " << at;
        records.push_back(record);
        at += 9 + length + 1;
    }
    EXPECT_EQ(at, dump.size());
    return records;
}

Bytes WithFcs(const Bytes& frame)
{
    const uint16_t fcs = pcap2dmp::FrameCheckSequence(frame);
    Bytes bytes = frame;
    bytes.push_back(static_cast<uint8_t>(fcs));
    bytes.push_back(static_cast<uint8_t>(fcs >> 8));
    return bytes;
}

Bytes LinuxLapd(bool sentByCapturer, bool capturerIsNetwork, const Bytes& frame)
{
    Bytes packet = pcap2dmp::LinuxLapdHeader(sentByCapturer, capturerIsNetwork);
    packet.insert(packet.end(), frame.begin(), frame.end());
    return packet;
}

Bytes ReadFixture(const std::string& name)
{
    std::ifstream in(std::string(PCAP2DMP_FIXTURES) + "/" + name, std::ios::binary);
    EXPECT_TRUE(in) << name;
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

TEST(Conversion, WritesOneRecordPerFrameWithItsSenderGapAndCheckSequence)
{
    pcap2dmp::PcapWriter capture(pcap2dmp::kLinkTypeLinuxLapd);
    capture.Add(kStart, LinuxLapd(true, true, kSabme));
    capture.Add(kStart + 250'400'000, LinuxLapd(false, true, kUa));
    capture.Add(kStart + 1'000'999'000, LinuxLapd(true, true, kSetup));
    const pcap2dmp::Conversion conversion = pcap2dmp::ConvertCapture(capture.Bytes());
    ASSERT_EQ(conversion.error, "");
    EXPECT_EQ(conversion.framesWritten, 3u);
    EXPECT_TRUE(conversion.warnings.empty());

    const std::vector<Record> records = Records(conversion.dump);
    ASSERT_EQ(records.size(), 3u);
    const Record expected[] = {
        {0, 0, 0x58, WithFcs(kSabme)},
        {250, 1, 0x48, WithFcs(kUa)},
        {750, 0, 0x58, WithFcs(kSetup)},
    };
    for (size_t i = 0; i < records.size(); ++i) {
        EXPECT_EQ(records[i].gapMs, expected[i].gapMs) << i;
        EXPECT_EQ(records[i].chdev, expected[i].chdev) << i;
        EXPECT_EQ(records[i].type, expected[i].type) << i;
        EXPECT_EQ(records[i].payload, expected[i].payload) << i;
        // The library's own frame check accepts the check sequence.
        EXPECT_TRUE(CheckHdlcFrame(records[i].payload.data(), records[i].payload.size()).good) << i;
    }
    EXPECT_EQ(records[0].payload.size(), kSabme.size() + 2);
}

TEST(Conversion, TheCheckSequenceIsThatOfHdlc)
{
    // CRC-16/X.25 check value: "123456789" gives 0x906E.
    const Bytes digits{'1', '2', '3', '4', '5', '6', '7', '8', '9'};
    EXPECT_EQ(pcap2dmp::FrameCheckSequence(digits), 0x906E);
    EXPECT_EQ(WithFcs(digits).back(), 0x90) << "the high byte goes last";
}

TEST(Conversion, TheLinuxLapdHeaderTellsTheSender)
{
    struct Case {
        bool sentByCapturer;
        bool capturerIsNetwork;
        uint8_t chdev;
    };
    const Case cases[] = {{true, true, 0}, {false, true, 1}, {true, false, 1}, {false, false, 0}};
    for (const Case& c : cases) {
        pcap2dmp::PcapWriter capture(pcap2dmp::kLinkTypeLinuxLapd);
        capture.Add(kStart, LinuxLapd(c.sentByCapturer, c.capturerIsNetwork, kSabme));
        const std::vector<Record> records = Records(pcap2dmp::ConvertCapture(capture.Bytes()).dump);
        ASSERT_EQ(records.size(), 1u);
        EXPECT_EQ(records[0].chdev, c.chdev) << "sent by capturer " << c.sentByCapturer << ", capturer is network "
                                             << c.capturerIsNetwork;
        EXPECT_EQ(records[0].type, c.chdev == 0 ? 0x58 : 0x48);
    }
}

TEST(Conversion, TheCommandResponseBitTellsTheSenderOfBareFrames)
{
    struct Case {
        Bytes frame;
        uint8_t chdev;
        const char* what;
    };
    const Case cases[] = {
        {{0x02, 0x81, 0x7F}, 0, "SABME with C/R set: a command of the network"},
        {{0x00, 0x81, 0x6F}, 1, "SABME with C/R clear: a command of the subscriber"},
        {{0x02, 0x81, 0x73}, 1, "UA with C/R set: a response of the subscriber"},
        {{0x00, 0x81, 0x0F}, 0, "DM with C/R clear: a response of the network"},
        {{0x00, 0x81, 0x02, 0x00, 0x08}, 1, "I frame with C/R clear"},
        {{0x00, 0x81, 0x01, 0x02}, 0, "RR without P/F: an acknowledgement of the network"},
        {{0x02, 0x81, 0x01, 0x04}, 1, "RR without P/F and C/R set: an acknowledgement of the subscriber"},
        {{0x00, 0x81, 0x01, 0x05}, 1, "RR with P set, no poll waiting: a poll of the subscriber"},
        {{0x00, 0x81, 0x01, 0x03}, 0, "RR with F set: the network answers the poll"},
        {{0x02, 0x81, 0x05, 0x03}, 0, "RNR with P set, no poll waiting: a poll of the network"},
        {{0x00, 0x83, 0x01, 0x03}, 1, "a poll on another TEI waits for nobody: a poll of the subscriber"},
        {{0x02, 0x81, 0x09, 0x05}, 1, "REJ with F set: the subscriber answers the network's poll"},
    };
    pcap2dmp::PcapWriter capture(pcap2dmp::kLinkTypeLapd);
    for (size_t i = 0; i < std::size(cases); ++i) {
        capture.Add(kStart + i * kMs, cases[i].frame);
    }
    const std::vector<Record> records = Records(pcap2dmp::ConvertCapture(capture.Bytes()).dump);
    ASSERT_EQ(records.size(), std::size(cases));
    for (size_t i = 0; i < records.size(); ++i) {
        EXPECT_EQ(records[i].chdev, cases[i].chdev) << cases[i].what;
        EXPECT_EQ(records[i].payload, WithFcs(cases[i].frame)) << cases[i].what;
    }
}

TEST(Conversion, EveryCaptureFormatGivesTheSameDump)
{
    const uint64_t times[] = {kStart, kStart + 12 * kMs, kStart + 1'262'500'000, kStart + 3'310 * kMs};
    const Bytes frames[] = {kSabme, kUa, kSetup, kUa};
    auto pcap = [&](bool bigEndian, bool nanoseconds) {
        pcap2dmp::PcapWriter capture(pcap2dmp::kLinkTypeLapd, bigEndian, nanoseconds);
        for (size_t i = 0; i < std::size(times); ++i) {
            capture.Add(times[i], frames[i]);
        }
        return capture.Bytes();
    };
    // pcapng ticks of 10^-exponent or (with the top bit) 2^-exponent seconds.
    auto pcapng = [&](bool bigEndian, std::optional<uint8_t> tsresol, uint64_t ticksPerSecond) {
        PcapngBuilder capture(bigEndian);
        capture.SectionHeader().Interface(1).Interface(pcap2dmp::kLinkTypeLapd, tsresol);
        capture.Block(4, {0x00, 0x00, 0x00, 0x00});  // a name resolution block: passed over
        for (size_t i = 0; i < std::size(times); ++i) {
            // Rounded up: a binary fraction read back never falls before the millisecond it stands for.
            const uint64_t ticks = static_cast<uint64_t>(
                (static_cast<unsigned __int128>(times[i]) * ticksPerSecond + 999'999'999u) / 1'000'000'000u);
            capture.Enhanced(1, ticks, frames[i]);
        }
        return capture.File();
    };
    const Bytes expected = pcap(false, false);
    const pcap2dmp::Conversion reference = pcap2dmp::ConvertCapture(expected);
    ASSERT_EQ(reference.error, "");
    const std::vector<Record> records = Records(reference.dump);
    ASSERT_EQ(records.size(), 4u);
    EXPECT_EQ(records[2].gapMs, 1250u);
    EXPECT_EQ(records[3].gapMs, 2048u) << "1262.5 ms and 3310 ms from the first frame: 1262 and 3310 whole ms";

    struct Case {
        const char* what;
        Bytes capture;
    };
    const Case cases[] = {
        {"pcap, big-endian", pcap(true, false)},
        {"pcap, nanoseconds", pcap(false, true)},
        {"pcap, big-endian nanoseconds", pcap(true, true)},
        {"pcapng, microseconds", pcapng(false, std::nullopt, 1'000'000)},
        {"pcapng, big-endian nanoseconds", pcapng(true, 9, 1'000'000'000)},
        {"pcapng, 2^-20 s", pcapng(false, 0x80 | 20, 1u << 20)},
    };
    for (const Case& c : cases) {
        const pcap2dmp::Conversion conversion = pcap2dmp::ConvertCapture(c.capture);
        EXPECT_EQ(conversion.error, "") << c.what;
        EXPECT_EQ(conversion.dump, reference.dump) << c.what;
        EXPECT_EQ(conversion.warnings.size(), 0u) << c.what;
    }
}

TEST(Conversion, ReadsCapturesThatWiresharkWrote)
{
    // text2pcap (Wireshark) wrote these from fixtures/frames.txt. Its LINUX_LAPD
    // header says "received by a subscriber": every frame is the network's.
    struct Case {
        const char* file;
        std::vector<uint8_t> channels;
    };
    const Case cases[] = {
        {"lapd_text2pcap.pcap", {0, 1, 0, 1, 0, 1}},
        {"lapd_text2pcap.pcapng", {0, 1, 0, 1, 0, 1}},
        {"linux_lapd_text2pcap.pcapng", {0, 0, 0, 0, 0, 0}},
    };
    const uint32_t gaps[] = {0, 12, 1250, 38, 2000, 10};
    for (const Case& c : cases) {
        const pcap2dmp::Conversion conversion = pcap2dmp::ConvertCapture(ReadFixture(c.file));
        ASSERT_EQ(conversion.error, "") << c.file;
        const std::vector<Record> records = Records(conversion.dump);
        ASSERT_EQ(records.size(), 6u) << c.file;
        for (size_t i = 0; i < records.size(); ++i) {
            EXPECT_EQ(records[i].chdev, c.channels[i]) << c.file << " frame " << i + 1;
            EXPECT_EQ(records[i].gapMs, gaps[i]) << c.file << " frame " << i + 1;
        }
        EXPECT_EQ(records[2].payload.size(), 30u + 2) << c.file;
    }
}

TEST(Conversion, LeavesOutWithAWarningWhatCannotBeAFrameOfThePacket)
{
    PcapngBuilder capture;
    capture.SectionHeader()
        .Interface(pcap2dmp::kLinkTypeLapd)
        .Interface(1)  // Ethernet
        .Interface(pcap2dmp::kLinkTypeLinuxLapd);
    Bytes longest(253, 0x20);
    longest[0] = 0x02;
    longest[1] = 0x81;
    longest[2] = 0x03;
    Bytes tooLong = longest;
    tooLong.push_back(0x20);
    capture.Enhanced(0, 1'000'000, longest)        // 1 s: fits exactly (255 with its check sequence)
        .Enhanced(0, 1'400'000, tooLong)           // too long for a packet
        .Enhanced(1, 1'500'000, {0xFF, 0xFF})      // Ethernet
        .Enhanced(2, 1'600'000, {0x00, 0x04, 0x03}) // shorter than the LINUX_LAPD header
        .Enhanced(0, 1'700'000, kSabme, 40)        // cut short by the capture
        .Enhanced(0, 2'000'000, kUa)
        .Simple(kSetup);                           // no time of its own: that of the packet before
    const pcap2dmp::Conversion conversion = pcap2dmp::ConvertCapture(capture.File());
    ASSERT_EQ(conversion.error, "");
    EXPECT_EQ(conversion.framesWritten, 3u);
    EXPECT_EQ(conversion.packetsSkipped, 4u);
    ASSERT_EQ(conversion.warnings.size(), 4u);
    EXPECT_EQ(conversion.warnings[0],
              "packet 2 left out: a frame of 254 bytes does not fit a packet (at most 253 and the check sequence)");
    EXPECT_EQ(conversion.warnings[1], "packet 3 left out: link type 1 is not LAPD");
    EXPECT_EQ(conversion.warnings[2], "packet 4 left out: shorter than the LINUX_LAPD header and an address");
    EXPECT_EQ(conversion.warnings[3], "packet 5 left out: cut short by the capture (3 of 40 bytes)");
    const std::vector<Record> records = Records(conversion.dump);
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[0].payload.size(), 255u);
    EXPECT_EQ(records[1].gapMs, 1000u) << "from the last record, not from the frames left out";
    EXPECT_EQ(records[1].payload, WithFcs(kUa));
    EXPECT_EQ(records[2].gapMs, 0u);
    EXPECT_EQ(records[2].payload, WithFcs(kSetup));
}

TEST(Conversion, FramesStampedOutOfOrderFollowAtOnce)
{
    pcap2dmp::PcapWriter capture(pcap2dmp::kLinkTypeLapd);
    capture.Add(kStart + 500 * kMs, kSabme);
    capture.Add(kStart, kUa);                // before the first frame
    capture.Add(kStart + 400 * kMs, kUa);    // before the last record's time
    capture.Add(kStart + 900 * kMs, kSetup);
    std::vector<uint32_t> gaps;
    for (const Record& record : Records(pcap2dmp::ConvertCapture(capture.Bytes()).dump)) {
        gaps.push_back(record.gapMs);
    }
    EXPECT_EQ(gaps, (std::vector<uint32_t>{0, 0, 0, 400}));
}

TEST(Conversion, ZaqsimPlaysTheDumpAsOneIsdnUnit)
{
    pcap2dmp::PcapWriter capture(pcap2dmp::kLinkTypeLinuxLapd);
    capture.Add(kStart, LinuxLapd(true, true, kSabme));
    capture.Add(kStart + 40 * kMs, LinuxLapd(false, true, kUa));
    const pcap2dmp::Conversion conversion = pcap2dmp::ConvertCapture(capture.Bytes());
    ASSERT_EQ(conversion.error, "");
    const zaqsim::DumpPlay play =
        zaqsim::LoadDump(std::string_view(reinterpret_cast<const char*>(conversion.dump.data()), conversion.dump.size()), 1);
    EXPECT_EQ(play.error, "");
    EXPECT_TRUE(play.formatTwo);
    ASSERT_EQ(play.units.size(), 1u);
    ASSERT_EQ(play.units[0].size(), 2u);
    EXPECT_EQ(play.units[0][1].delayMs, 40u);
    const Bytes ua = WithFcs(kUa);
    Bytes packet{0x01, 0x01, 0x48, static_cast<uint8_t>(ua.size())};
    packet.insert(packet.end(), ua.begin(), ua.end());
    uint8_t sum = 0;
    for (uint8_t byte : ua) {
        sum = static_cast<uint8_t>(sum + byte);
    }
    packet.push_back(static_cast<uint8_t>(0x100 - sum));
    EXPECT_EQ(play.units[0][1].bytes, std::string(packet.begin(), packet.end()));
}
