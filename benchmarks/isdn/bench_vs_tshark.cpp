// The same capture decoded by the monitor and by tshark -V, side by side:
// libpri's calls (tools/isdn_traffic) repeated into one large capture; the
// monitor reads it as a user's capture would go (capture -> dump records ->
// HDLCFrameRcvd on each record's framer), tshark decodes it verbosely.
// Goal: the monitor at least 50 times faster.
//
//   bench_vs_tshark [repeats]
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <span>
#include <string>
#include <vector>

#include "CaptureFile.h"
#include "CaptureWriter.h"
#include "Conversion.h"
#include "base/EventSink.h"
#include "common/DumpFormat.h"
#include "isdn/frontend/ISDNPT.h"
#include "platform/Program.h"

namespace {

class CountingSink : public EventSink {
public:
    uint32_t Post(const ZAQ16_EVENT&) override
    {
        ++events;
        return 0;
    }
    uint64_t events = 0;
};

double Seconds()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

std::vector<uint8_t> ReadFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(file), {});
}

// The monitor's part: the capture's frames through the ISDN front end.
uint64_t DecodeWithTheMonitor(const std::vector<uint8_t>& captureFile, CountingSink& sink, double& convertSeconds)
{
    const double start = Seconds();
    const pcap2dmp::Conversion conversion = pcap2dmp::ConvertCapture(captureFile);
    convertSeconds = Seconds() - start;
    isdn::IsdnMonitor monitor;
    ISDNPT frontEnd(monitor, sink);
    frontEnd.Start(1, 32, 60);
    const std::vector<uint8_t>& dump = conversion.dump;
    uint64_t frames = 0;
    wire::DumpHeader header;
    wire::ParseDumpHeader(dump, header);
    wire::DumpRecord record;
    for (size_t at = header.size;
         wire::ParseDumpRecord(std::span<const uint8_t>(dump).subspan(at), true, record) == wire::RecordParse::Complete;
         at += record.size) {
        frontEnd.HDLCFrameRcvd(record.channel, record.dataAndChecksum.data(), record.Length(), 0, 0);
        ++frames;
    }
    frontEnd.Stop();
    return frames;
}

}  // namespace

int main(int argc, char** argv)
{
    const int repeats = argc > 1 ? std::atoi(argv[1]) : 1000;
    const std::filesystem::path directory = std::filesystem::temp_directory_path() / "zaq-bench-tshark";
    std::filesystem::create_directories(directory);
    const std::string calls = (directory / "calls.pcap").string();
    const std::string big = (directory / "many-calls.pcap").string();

    if (platform::RunProgram({ZAQ_ISDN_TRAFFIC, calls}, {}, 60000).first != 0) {
        std::fprintf(stderr, "isdn_traffic did not write %s\n", calls.c_str());
        return 1;
    }
    const std::vector<uint8_t> callsFile = ReadFile(calls);
    const pcap2dmp::Capture capture = pcap2dmp::ReadCapture(callsFile);
    pcap2dmp::PcapWriter writer(capture.packets.front().linkType);
    const uint64_t span = capture.packets.back().timeNs - capture.packets.front().timeNs + 1000000000ull;
    for (int repeat = 0; repeat < repeats; ++repeat) {
        for (const pcap2dmp::CapturedPacket& packet : capture.packets) {
            writer.Add(packet.timeNs + repeat * span, packet.bytes);
        }
    }
    std::ofstream(big, std::ios::binary)
        .write(reinterpret_cast<const char*>(writer.Bytes().data()), static_cast<std::streamsize>(writer.Bytes().size()));

    const std::vector<uint8_t> file = ReadFile(big);
    CountingSink sink;
    double start = Seconds();
    double convertSeconds = 0;
    const uint64_t frames = DecodeWithTheMonitor(file, sink, convertSeconds);
    const double monitorSeconds = Seconds() - start;
    std::printf("monitor: %llu frames in %.3f s (%.3f s of it reading the capture) = %.0f frames/s, %llu call events\n",
                static_cast<unsigned long long>(frames), monitorSeconds, convertSeconds, frames / monitorSeconds,
                static_cast<unsigned long long>(sink.events));

    start = Seconds();
    const int tshark = platform::RunProgram({"/bin/sh", "-c", "tshark -V -r '" + big + "' > /dev/null"}, {}, 600000).first;
    const double tsharkSeconds = Seconds() - start;
    std::filesystem::remove_all(directory);
    if (tshark != 0) {
        std::printf("tshark -V: not run (is Debian's tshark installed?)\n");
        return 0;
    }
    std::printf("tshark -V: the same %llu frames in %.3f s; the monitor is %.0f times faster\n",
                static_cast<unsigned long long>(frames), tsharkSeconds, tsharkSeconds / monitorSeconds);
    return 0;
}
