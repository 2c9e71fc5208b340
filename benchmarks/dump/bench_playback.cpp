// Megabytes of dump per second through the decoders with time mode 0: a dump
// of two units (a Definity and a Meridian) with lamp, display and key
// traffic is played back and the time until both boards finish is taken.
//
//   bench_playback [megabytes]
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <thread>
#include <vector>

#include "common/Registry.h"
#include "platform/ProcessEnvironment.h"
#include "common/DumpFormat.h"
#include "common/HdlcFcs.h"
#include "qxzaqlnk.h"

namespace {

std::atomic<uint32_t> finished{0};
std::atomic<uint64_t> events{0};

uint32_t QXZAQ_CALL Count(ZAQ16_EVENT* event)
{
    if (event->eventCode == QXEVT_FINISHED_PLAY) {
        ++finished;
    }
    ++events;
    return 0;
}

std::vector<uint8_t> WithFcs(std::vector<uint8_t> frame)
{
    AppendHdlcFcs(frame);
    return frame;
}

void AppendRecord(std::vector<uint8_t>& out, uint8_t board, uint8_t channel, uint8_t type,
                  const std::vector<uint8_t>& payload)
{
    wire::AppendDumpRecord(out, board, 0, channel, type, payload);
}

std::string WriteDump(const std::string& path, size_t megabytes)
{
    std::vector<uint8_t> block;
    for (uint8_t channel = 0; channel < 16; ++channel) {
        AppendRecord(block, 0, channel, 0x58, WithFcs({0xE3, 0x03, 0x80, 0x2F, 0x0F}));
        AppendRecord(block, 0, channel, 0x48, WithFcs({0xE3, 0x03, 0x80, 0x20, 0x20}));
        AppendRecord(block, 0, channel, 0x58,
                     WithFcs({0xE3, 0x03, 0xE3, 0x1B, 0x5B, 0x31, 0x3B, 0x00, 'C', 'a', 'l', 'l', ' ', '4', '7', '1', '1',
                              0x1B, 0x5B, 0x30, 0x4B}));
        AppendRecord(block, 0, channel, 0x58, WithFcs({0xE3, 0x03, 0x80, 0x20, 0x0F}));
        AppendRecord(block, 1, channel, 0x58, {0x20, 0xF3});
        AppendRecord(block, 1, channel, 0x48, {0x11, 0xDA});
        AppendRecord(block, 1, channel, 0x58, {0x42, 0x02, 0x03, 0x01, 0x00, 'H', 'e', 'l', 'l', 'o'});
        AppendRecord(block, 1, channel, 0x58, {0x20, 0x03});
    }
    std::ofstream file(path, std::ios::binary);
    std::vector<uint8_t> header;
    wire::AppendDumpHeader(header, std::vector<uint8_t>{ZAQ16_PBX_LUCENT_DEFINITY2D, ZAQ16_PBX_NORTEL_MERIDIAND});
    file.write(reinterpret_cast<const char*>(header.data()), static_cast<std::streamsize>(header.size()));
    for (size_t written = 0; written < megabytes * 1000000; written += block.size()) {
        file.write(reinterpret_cast<const char*>(block.data()), static_cast<std::streamsize>(block.size()));
    }
    return path;
}

}  // namespace

int main(int argc, char** argv)
{
    const size_t megabytes = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 50;
    const std::filesystem::path directory = std::filesystem::temp_directory_path() / "zaq-bench-playback";
    std::filesystem::create_directories(directory);
    // No units: the link runs for the playback alone.
    platform::SetEnvironmentVariable("QXZAQ_REGISTRY", (directory / "none.reg").string());
    const std::string dump = WriteDump((directory / "bench.dmp").string(), megabytes);
    const double size = static_cast<double>(std::filesystem::file_size(dump)) / 1e6;

    QXZAQStartLink(Count);
    QXZAQDisableEventUpdates();
    const auto start = std::chrono::steady_clock::now();
    if (QXZAQPlayDChannelEventsTime(dump.c_str(), 0) != ZAQ16_RET_SUCCESS) {
        std::fprintf(stderr, "playback did not start\n");
        return 1;
    }
    while (finished < 2) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    QXZAQStopLink();
    std::filesystem::remove_all(directory);
    std::printf("played %.1f MB (two units, each port reading the whole file) in %.2f s = %.1f MB/s, %.0f events/s\n",
                size, seconds, size / seconds, events / seconds);
    return 0;
}
