// A capture played directly: zaqmon --play and zaqsim --dump take a pcap or
// pcapng file (found by its magic number) and convert it in memory as pcap2dmp
// does, so that one command replays it with the same events.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "CaptureFile.h"
#include "CaptureWriter.h"
#include "LapdFrames.h"
#include "PlayableFile.h"
#include "PlaySource.h"
#include "platform/Program.h"
#include "support/TempDir.h"

namespace {

using Bytes = std::vector<uint8_t>;

// An incoming call on a basic-rate line as the network side captured it:
// "CO" frames it sent, "CPE" frames it received (no check sequence).
const struct {
    bool fromCo;
    uint32_t atMs;
    const char* hex;
} kCall[] = {
    {false, 0, "00 81 7F"},                                                  // SABME from the terminal
    {true, 20, "00 81 73"},                                                  // UA
    {true, 100, "02 81 00 00 08 01 05 05 04 03 80 90 A3 18 01 89 6C 09 01 81 35 35 35 31 32 33 34 70 04 80 33 30 31"},
    {false, 130, "02 81 01 02"},                                             // RR
    {false, 300, "00 81 00 02 08 01 85 01"},                                 // ALERTING
    {true, 320, "00 81 01 02"},
    {false, 900, "00 81 02 02 08 01 85 07"},                                 // CONNECT
    {true, 920, "00 81 01 04"},
    {true, 940, "02 81 02 04 08 01 05 0F"},                                  // CONNECT ACKNOWLEDGE
    {false, 960, "02 81 01 04"},
    {false, 3000, "00 81 04 04 08 01 85 45 08 02 80 90"},                    // DISCONNECT, normal clearing
    {true, 3020, "00 81 01 06"},
    {true, 3040, "02 81 04 06 08 01 05 4D"},                                 // RELEASE
    {false, 3060, "02 81 01 06"},
    {false, 3080, "00 81 06 06 08 01 85 5A"},                                // RELEASE COMPLETE
    {true, 3100, "00 81 01 08"},
};

Bytes Hex(const std::string& text)
{
    std::istringstream in(text);
    Bytes bytes;
    unsigned value = 0;
    while (in >> std::hex >> value) {
        bytes.push_back(static_cast<uint8_t>(value));
    }
    return bytes;
}

std::string WriteCallCapture(const TempDir& dir)
{
    pcap2dmp::PcapWriter capture(pcap2dmp::kLinkTypeLinuxLapd);
    const uint64_t start = 1'700'000'000'000'000'000ull;
    for (const auto& frame : kCall) {
        Bytes packet = pcap2dmp::LinuxLapdHeader(frame.fromCo, true);
        const Bytes bytes = Hex(frame.hex);
        packet.insert(packet.end(), bytes.begin(), bytes.end());
        capture.Add(start + frame.atMs * 1'000'000ull, packet);
    }
    const std::string path = dir.File("call.pcap");
    const Bytes& file = capture.Bytes();
    EXPECT_TRUE(WriteWholeFile(path, std::string(file.begin(), file.end())));
    return path;
}

// zaqmon's JSON lines without their time stamps.
std::string ZaqmonEvents(const std::string& file, const TempDir& dir)
{
    const auto [code, output] = platform::RunProgram(
        {std::string(ZAQ_BINARY_DIR) + "/tools/zaqmon/zaqmon", "--json", "--play", file, "--time-mode", "0"},
        {{"QXZAQ_REGISTRY", dir.File("none.reg")}, {"QXZAQ_SYSDIR", dir.path().string()},
         {"TMPDIR", dir.path().string()}},
        30000);
    EXPECT_EQ(code, 0) << output;
    const std::string stamp = ",\"timeStamp\":";
    std::istringstream lines(output);
    std::string events, line;
    while (std::getline(lines, line)) {
        const size_t at = line.find(stamp);
        if (line.rfind("{\"code\":", 0) == 0 && at != std::string::npos) {
            events += line.substr(0, at) + line.substr(line.find_first_not_of("0123456789", at + stamp.size())) + "\n";
        }
    }
    return events;
}

TEST(CapturePlay, ZaqmonPlaysACaptureAsPcap2dmpAndTheDumpGive)
{
    TempDir dir;
    const std::string capture = WriteCallCapture(dir);
    const std::string dump = dir.File("call.dmp");
    const auto [code, output] = platform::RunProgram(
        {std::string(ZAQ_BINARY_DIR) + "/tools/pcap2dmp/pcap2dmp", capture, dump}, {}, 10000);
    ASSERT_EQ(code, 0) << output;

    const std::string fromDump = ZaqmonEvents(dump, dir);
    const std::string fromCapture = ZaqmonEvents(capture, dir);
    EXPECT_EQ(fromCapture, fromDump);
    // The call is there, with its numbers, and the playback ends on its own.
    EXPECT_NE(fromCapture.find("\"name\":\"QXEVT_CALL_CONNECTED\""), std::string::npos) << fromCapture;
    EXPECT_NE(fromCapture.find("\"callingNumber\":\"5551234\""), std::string::npos) << fromCapture;
    EXPECT_NE(fromCapture.find("QXEVT_FINISHED_PLAY"), std::string::npos) << fromCapture;
    // The converted dump was a temporary file of zaqmon's own (in TMPDIR, the
    // test's directory): nothing is left behind.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 2);
}

TEST(CapturePlay, ADamagedCaptureIsReportedNotPlayed)
{
    TempDir dir;
    const std::string capture = WriteCallCapture(dir);
    std::string bytes = ReadWholeFile(capture);
    const std::string cut = dir.File("cut.pcap");
    // The magic number survives; the file header does not.
    ASSERT_TRUE(WriteWholeFile(cut, bytes.substr(0, 10)));
    const auto [code, output] = platform::RunProgram(
        {std::string(ZAQ_BINARY_DIR) + "/tools/zaqmon/zaqmon", "--play", cut, "--time-mode", "0"},
        {{"QXZAQ_REGISTRY", dir.File("none.reg")}, {"QXZAQ_SYSDIR", dir.path().string()}}, 30000);
    EXPECT_EQ(code, 1) << output;
    EXPECT_NE(output.find(cut + ": "), std::string::npos) << output;
}

TEST(CapturePlay, OnlyCaptureMagicNumbersMakeACapture)
{
    const struct {
        Bytes start;
        bool capture;
    } cases[] = {
        {{0xD4, 0xC3, 0xB2, 0xA1}, true},   // pcap, microseconds, little-endian
        {{0xA1, 0xB2, 0xC3, 0xD4}, true},   // big-endian
        {{0x4D, 0x3C, 0xB2, 0xA1}, true},   // nanoseconds
        {{0x0A, 0x0D, 0x0D, 0x0A}, true},   // pcapng section header
        {{0x02, 0x03, 0x02, 0x14}, false},  // a dump file of three boards
        {{0x01, 0x00, 0x10, 0x03}, false},  // an old-format dump file
        {{0xD4, 0xC3, 0xB2}, false},        // too short for a magic number
        {{}, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(pcap2dmp::IsCaptureFile(c.start), c.capture) << c.start.size();
    }
}

TEST(CapturePlay, ZaqsimTakesACaptureAsTheDumpPcap2dmpWrites)
{
    TempDir dir;
    const std::string capture = WriteCallCapture(dir);
    const pcap2dmp::PlayableFile playable = pcap2dmp::LoadPlayableFile(capture);
    ASSERT_TRUE(playable.error.empty()) << playable.error;
    ASSERT_TRUE(playable.fromCapture);
    const std::string dump = dir.File("call.dmp");
    ASSERT_TRUE(WriteWholeFile(dump, std::string(playable.dump.begin(), playable.dump.end())));

    const zaqsim::PlaySource fromCapture = zaqsim::LoadDumpFile(capture, 1, 1.0);
    const zaqsim::PlaySource fromDump = zaqsim::LoadDumpFile(dump, 1, 1.0);
    ASSERT_TRUE(fromCapture.error.empty()) << fromCapture.error;
    ASSERT_EQ(fromCapture.units.size(), 1u);
    ASSERT_EQ(fromCapture.units[0].size(), std::size(kCall));
    ASSERT_EQ(fromCapture.units[0].size(), fromDump.units[0].size());
    for (size_t i = 0; i < fromDump.units[0].size(); ++i) {
        EXPECT_EQ(fromCapture.units[0][i].bytes, fromDump.units[0][i].bytes) << i;
        EXPECT_EQ(fromCapture.units[0][i].delayMs, fromDump.units[0][i].delayMs) << i;
    }
    const zaqsim::PlaySource missing = zaqsim::LoadDumpFile(dir.File("none.pcap"), 1, 1.0);
    EXPECT_NE(missing.error.find("none.pcap: cannot be read"), std::string::npos) << missing.error;
}

}  // namespace
