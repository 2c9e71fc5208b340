// Delivery latency: from the moment the last byte of a packet is written to a
// unit's pseudo-terminal to the moment the application's callback runs, with
// 16 units busy at full line rate. Each unit is played by a thread of this
// program (the simulator's engine answers the library's commands); besides the
// measured lamp packets every unit sends background packets back to back.
//
//   bench_latency [seconds]
#include <array>
#include <atomic>
#include <cstdio>
#include <deque>
#include <filesystem>
#include <mutex>
#include <thread>
#include <vector>

#include "BenchUnits.h"
#include "SimUnit.h"
#include "platform/Clock.h"
#include "platform/Pty.h"
#include "common/HdlcFcs.h"
#include "common/PacketFrame.h"
#include "qxzaqlnk.h"

namespace {

constexpr uint32_t kUnits = 16;
constexpr double kBytesPerSecond = 11520.0;  // 115200 baud, 8N1

double NowMs()
{
    return WallSeconds() * 1000.0;
}

std::vector<uint8_t> Framed(uint8_t channel, const std::vector<uint8_t>& payload)
{
    std::vector<uint8_t> bytes;
    wire::AppendPacket(bytes, channel, 0x58, payload);
    return bytes;
}

// A Definity lamp frame with its FCS: state 0x2F on, 0x20 off.
std::vector<uint8_t> LampPacket(uint8_t channel, uint8_t state)
{
    std::vector<uint8_t> frame = {0xE3, 0x03, 0x80, state, 15};
    AppendHdlcFcs(frame);
    return Framed(channel, frame);
}

struct Unit {
    std::unique_ptr<platform::PtyPair> pty;
    std::mutex sentLock;
    std::deque<double> sentAt;  // write times of the measured packets, in order
};

std::array<Unit, kUnits> units;
std::mutex latencyLock;
std::vector<double> latencies;
std::atomic<bool> measuring{false};

uint32_t QXZAQ_CALL OnEvent(ZAQ16_EVENT* event)
{
    const double now = NowMs();
    if (event->eventCode != QXEVT_LIGHT_ON && event->eventCode != QXEVT_LIGHT_OFF) {
        return 0;
    }
    Unit& unit = units[event->board];
    double sent = 0;
    {
        std::lock_guard<std::mutex> guard(unit.sentLock);
        if (unit.sentAt.empty()) {
            return 0;
        }
        sent = unit.sentAt.front();
        unit.sentAt.pop_front();
    }
    if (measuring) {
        std::lock_guard<std::mutex> guard(latencyLock);
        latencies.push_back(now - sent);
    }
    return 0;
}

bool WriteAll(platform::PtyPair& pty, const std::vector<uint8_t>& bytes)
{
    size_t done = 0;
    while (done < bytes.size()) {
        const platform::PtyIo io = pty.Write(bytes.data() + done, bytes.size() - done);
        if (io.error != 0) {
            return false;
        }
        done += io.bytes;
        if (io.wouldBlock) {
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
    }
    return true;
}

// Plays one unit: answers commands through the simulator's engine, and once
// raw output is on sends background packets at line rate with a measured lamp
// packet every 20 ms.
void PlayUnit(size_t index, const std::atomic<bool>& stop)
{
    Unit& unit = units[index];
    zaqsim::UnitConfig config;
    zaqsim::SimUnit engine(config, platform::SystemClock());
    const std::vector<uint8_t> background = Framed(static_cast<uint8_t>(index % 16), std::vector<uint8_t>(24, 0x55));
    double nextByteTime = NowMs();
    double nextMeasured = NowMs();
    uint8_t lampState = 0x2F;
    std::vector<uint8_t> input(256);
    while (!stop) {
        const platform::PtyIo got = unit.pty->Read(input.data(), input.size());
        if (got.bytes > 0) {
            engine.Receive(std::string_view(reinterpret_cast<const char*>(input.data()), got.bytes));
        }
        engine.Poll();
        const std::string answer = engine.TakeOutput();
        if (!answer.empty()) {
            WriteAll(*unit.pty, std::vector<uint8_t>(answer.begin(), answer.end()));
        }
        if (!engine.RawOutput()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            continue;
        }
        const double now = NowMs();
        if (now < nextByteTime) {
            std::this_thread::sleep_for(std::chrono::microseconds(static_cast<int>((nextByteTime - now) * 1000)));
            continue;
        }
        std::vector<uint8_t> bytes = background;
        bool measured = false;
        if (now >= nextMeasured) {
            bytes = LampPacket(static_cast<uint8_t>(index % 16), lampState);
            lampState = lampState == 0x2F ? 0x20 : 0x2F;
            nextMeasured = now + 20;
            measured = true;
        }
        if (measured) {
            // Noted before the write: the event may be delivered before the write call returns.
            std::lock_guard<std::mutex> guard(unit.sentLock);
            unit.sentAt.push_back(NowMs());
        }
        if (!WriteAll(*unit.pty, bytes)) {
            return;
        }
        nextByteTime += 1000.0 * bytes.size() / kBytesPerSecond;
    }
}

}  // namespace

int main(int argc, char** argv)
{
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 10;
    const BenchSetting setting = PrepareBench("latency", kUnits, 0);
    std::filesystem::create_directories(setting.comDirectory);
    for (size_t i = 0; i < kUnits; ++i) {
        uint32_t error = 0;
        units[i].pty = platform::PtyPair::Open(error);
        if (!units[i].pty) {
            std::fprintf(stderr, "no pty: %u\n", error);
            return 1;
        }
        std::filesystem::create_symlink(units[i].pty->SlaveName(), setting.comDirectory + "/COM" + std::to_string(i + 1));
    }
    std::atomic<bool> stop{false};
    std::vector<std::thread> players;
    for (size_t i = 0; i < kUnits; ++i) {
        players.emplace_back(PlayUnit, i, std::cref(stop));
    }
    const uint32_t boards = QXZAQStartLink(OnEvent);
    for (uint32_t board = 0; board < boards; ++board) {
        QXZAQEnableDChEvents(board);
    }
    std::this_thread::sleep_for(std::chrono::seconds(1));
    measuring = true;
    std::this_thread::sleep_for(std::chrono::seconds(seconds));
    measuring = false;
    QXZAQStopLink();
    stop = true;
    for (std::thread& player : players) {
        player.join();
    }
    RemoveBench(setting);

    std::lock_guard<std::mutex> guard(latencyLock);
    std::printf("%u boards busy at line rate, %zu measured packets: latency median %.3f ms, 99th percentile %.3f ms, "
                "max %.3f ms\n",
                boards, latencies.size(), Percentile(latencies, 0.5), Percentile(latencies, 0.99),
                Percentile(latencies, 1.0));
    return latencies.empty() ? 1 : 0;
}
