// Firmware upload time for a 256 KiB image over a line simulated at 115200
// baud in both directions, against the line's own limit. The unit is the
// simulator's engine behind a pseudo-terminal; every byte it receives or
// sends takes the time it would take on the line (11520 bytes per second).
//
//   bench_upload [kibibytes]
#include <atomic>
#include <chrono>
#include <cstdio>
#include <deque>
#include <filesystem>
#include <fstream>
#include <thread>

#include "SimUnit.h"
#include "common/Registry.h"
#include "platform/Clock.h"
#include "platform/ProcessEnvironment.h"
#include "platform/Pty.h"
#include "qxzaqlnk.h"

namespace {

constexpr double kBytesPerSecond = 11520.0;

double NowSeconds()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// Plays the unit: bytes from the library reach the engine when they would have
// crossed the line; the engine's answers go out at line rate too.
void PlayUnit(platform::PtyPair& pty, const std::atomic<bool>& stop)
{
    zaqsim::UnitConfig config;
    zaqsim::SimUnit engine(config, platform::SystemClock());
    std::deque<std::pair<double, char>> arriving;
    double lineFreeIn = NowSeconds();
    double lineFreeOut = NowSeconds();
    std::string outgoing;
    char buffer[512];
    while (!stop) {
        const platform::PtyIo got = pty.Read(buffer, sizeof buffer);
        for (size_t i = 0; i < got.bytes; ++i) {
            lineFreeIn = std::max(lineFreeIn, NowSeconds()) + 1.0 / kBytesPerSecond;
            arriving.emplace_back(lineFreeIn, buffer[i]);
        }
        std::string delivered;
        while (!arriving.empty() && arriving.front().first <= NowSeconds()) {
            delivered += arriving.front().second;
            arriving.pop_front();
        }
        if (!delivered.empty()) {
            engine.Receive(delivered);
        }
        engine.Poll();
        outgoing += engine.TakeOutput();
        if (!outgoing.empty() && lineFreeOut <= NowSeconds()) {
            const platform::PtyIo sent = pty.Write(outgoing.data(), 1);
            if (sent.bytes == 1) {
                outgoing.erase(0, 1);
                lineFreeOut = std::max(lineFreeOut, NowSeconds()) + 1.0 / kBytesPerSecond;
            }
        }
        std::this_thread::sleep_for(std::chrono::microseconds(50));
    }
}

}  // namespace

int main(int argc, char** argv)
{
    const size_t kibibytes = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 256;
    const std::filesystem::path directory = std::filesystem::temp_directory_path() / "zaq-bench-upload";
    std::filesystem::remove_all(directory);
    std::filesystem::create_directories(directory / "com");
    uint32_t error = 0;
    auto pty = platform::PtyPair::Open(error);
    if (!pty) {
        std::fprintf(stderr, "no pty: %u\n", error);
        return 1;
    }
    std::filesystem::create_symlink(pty->SlaveName(), directory / "com" / "COM1");
    platform::SetEnvironmentVariable("QXZAQ_COMDIR", (directory / "com").string());
    platform::SetEnvironmentVariable("QXZAQ_REGISTRY", (directory / "qxzaq16.reg").string());
    TraceWriter quiet;
    CRegistry registry(quiet);
    registry.createProviderKey();
    CRegistry::HKEY key = 0;
    registry.openProviderKey(platform::registry::kAccessAll, &key);
    registry.setDwordValue(key, CRegistry::kPortCountValue, 1);
    registry.setStringValue(key, "CARD1", "COM1");
    registry.closeKey(key);

    const std::string image = (directory / "image.zaq").string();
    {
        std::ofstream file(image, std::ios::binary);
        for (size_t i = 0; i < kibibytes * 1024; ++i) {
            file.put(static_cast<char>(i * 31));
        }
    }
    std::atomic<bool> stop{false};
    std::thread unit(PlayUnit, std::ref(*pty), std::cref(stop));
    if (QXZAQStartLink(nullptr) != 1) {
        std::fprintf(stderr, "the unit did not start\n");
        stop = true;
        unit.join();
        return 1;
    }
    const double start = NowSeconds();
    const uint32_t result = QXZAQUploadFirmware(0, image.c_str());
    const double seconds = NowSeconds() - start;
    QXZAQStopLink();
    stop = true;
    unit.join();
    std::filesystem::remove_all(directory);

    const size_t blocks = (kibibytes * 1024 + 127) / 128;
    // Every frame and its ACK cross the line once.
    const double lineLimit = (blocks * 133.0 + blocks) / kBytesPerSecond;
    std::printf("uploaded %zu KiB (%zu blocks) in %.2f s, result 0x%08X; the line's own limit is %.2f s (%.1f %%)\n",
                kibibytes, blocks, seconds, result, lineLimit, 100.0 * lineLimit / seconds);
    return result == 0 ? 0 : 1;
}
