// The link's CPU cost with 16 units: idle (the units answer commands and send
// nothing) and at full line rate (each unit sends packets back to back at
// 115200 baud). The units are a separate zaqsim process, so only the
// library's own work is measured.
//
//   bench_link_cpu [idle|full] [seconds]
#include <atomic>
#include <cstdio>
#include <fstream>
#include <string>
#include <thread>

#include "BenchUnits.h"
#include "platform/Program.h"
#include "common/HdlcFcs.h"
#include "qxzaqlnk.h"

namespace {

constexpr uint32_t kUnits = 16;
std::atomic<uint64_t> eventCount{0};

uint32_t QXZAQ_CALL CountEvent(ZAQ16_EVENT*)
{
    ++eventCount;
    return 0;
}

// A Definity lamp frame: address 0xE3, control, lamp message 0x80 state lamp, and its FCS.
std::string LampFrameHex(uint8_t state, uint8_t lamp)
{
    const uint8_t frame[] = {0xE3, 0x03, 0x80, state, lamp};
    const uint16_t fcs = HdlcFcs(frame, sizeof frame);
    char text[64];
    std::snprintf(text, sizeof text, "%02X %02X %02X %02X %02X %02X %02X", frame[0], frame[1], frame[2], frame[3],
                  frame[4], fcs & 0xFF, fcs >> 8);
    return text;
}

std::string WriteFullRateScenario(const std::string& directory)
{
    const std::string path = directory + "/full-rate.scn";
    std::ofstream scenario(path);
    for (uint32_t unit = 0; unit < kUnits; ++unit) {
        for (uint32_t channel = 0; channel < 16; ++channel) {
            // Lamps on and off in turn: every packet is a change.
            scenario << "packet " << unit << " " << channel << " 58 " << LampFrameHex(0x2F, 15 + channel) << "\n";
            scenario << "packet " << unit << " " << channel << " 58 " << LampFrameHex(0x20, 15 + channel) << "\n";
        }
    }
    return path;
}

}  // namespace

int main(int argc, char** argv)
{
    const std::string mode = argc > 1 ? argv[1] : "idle";
    const int seconds = argc > 2 ? std::atoi(argv[2]) : 10;
    const BenchSetting setting = PrepareBench("cpu", kUnits, 0);

    std::vector<std::string> simulator = {std::string(ZAQ_BINARY_DIR) + "/tools/zaqsim/zaqsim",
                                          "--units", std::to_string(kUnits), "--comdir", setting.comDirectory};
    if (mode == "full") {
        simulator.insert(simulator.end(), {"--scenario", WriteFullRateScenario(setting.directory), "--loop"});
    }
    auto units = platform::Program::Start(simulator);
    if (!units || !units->WaitForOutput("COM16", 10000)) {
        std::fprintf(stderr, "zaqsim did not start\n");
        return 1;
    }
    const uint32_t boards = QXZAQStartLink(CountEvent);
    if (mode == "full") {
        for (uint32_t board = 0; board < boards; ++board) {
            QXZAQEnableDChEvents(board);
        }
    }
    std::this_thread::sleep_for(std::chrono::seconds(1));
    const uint64_t eventsBefore = eventCount;
    const double cpuBefore = ProcessCpuSeconds();
    const double wallBefore = WallSeconds();
    std::this_thread::sleep_for(std::chrono::seconds(seconds));
    const double cpu = ProcessCpuSeconds() - cpuBefore;
    const double wall = WallSeconds() - wallBefore;
    const uint64_t events = eventCount - eventsBefore;
    QXZAQStopLink();
    units->Interrupt();
    units->Wait(5000);
    RemoveBench(setting);

    std::printf("%s link, %u boards, %.1f s: CPU %.3f s = %.2f %% of one core; %.0f events/s\n", mode.c_str(), boards,
                wall, cpu, 100.0 * cpu / wall, events / wall);
    return 0;
}
