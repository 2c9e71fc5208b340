#include "EndToEndRate.h"

#include <atomic>
#include <chrono>
#include <filesystem>
#include <thread>

#include "Simulator.h"
#include "common/Registry.h"
#include "core/LibraryLifetime.h"
#include "platform/ProcessEnvironment.h"
#include "qxzaqlnk.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kLongestRun = std::chrono::seconds(120);

std::atomic<uint64_t> eventCount{0};
std::atomic<bool> sentinelSeen{false};
uint32_t sentinelCode = 0;
uint32_t sentinelParam = 0;
Clock::time_point sentinelTime;

uint32_t QXZAQ_CALL OnEvent(ZAQ16_EVENT* event)
{
    ++eventCount;
    if (event->eventCode == sentinelCode && event->param == sentinelParam && !sentinelSeen) {
        sentinelTime = Clock::now();
        sentinelSeen = true;
    }
    return 0;
}

// The library's settings for one unit on COM1, in a scratch directory.
bool PrepareLibrary(const std::string& directory, std::string& error)
{
    std::filesystem::remove_all(directory);
    std::filesystem::create_directories(directory);
    platform::SetEnvironmentVariable("QXZAQ_REGISTRY", directory + "/qxzaq16.reg");
    platform::SetEnvironmentVariable("QXZAQ_COMDIR", directory + "/com");
    platform::SetEnvironmentVariable("QXZAQ_SYSDIR", directory);
    TraceWriter quiet;
    CRegistry registry(quiet);
    CRegistry::HKEY key = 0;
    if (registry.createProviderKey() != 1 || registry.openProviderKey(platform::registry::kAccessAll, &key) != 1) {
        error = "the registry file cannot be written";
        return false;
    }
    registry.setDwordValue(key, CRegistry::kPortCountValue, 1);
    registry.setStringValue(key, "CARD1", "COM1");
    registry.setDwordValue(key, CRegistry::kTraceLevelValue, TRACE_FATAL);
    registry.setStringValue(key, CRegistry::kTracePathValue, directory.c_str());
    registry.closeKey(key);
    return true;
}

std::vector<zaqsim::PlayItem> Items(const PacketMix& mix, uint64_t packets)
{
    std::vector<zaqsim::PlayItem> items;
    items.reserve(packets + 1);
    for (uint64_t i = 0; i < packets; ++i) {
        items.push_back({0, mix.packets[i % mix.packets.size()]});
    }
    items.push_back({0, mix.sentinel});
    return items;
}

}  // namespace

bool MeasureEndToEnd(const PacketMix& mix, uint64_t packets, Rate& rate, std::string& error)
{
    const std::string directory = (std::filesystem::temp_directory_path() / "zaq-decoder-benchmark").string();
    if (!PrepareLibrary(directory, error)) {
        return false;
    }
    zaqsim::Simulator simulator({directory + "/com", 0, ""});
    zaqsim::UnitConfig unit;
    unit.pbxName = mix.pbxName;
    simulator.AddUnit(unit);
    if (!simulator.Start(error)) {
        return false;
    }
    // Held by the unit until the library switches raw output on.
    simulator.Play(0, Items(mix, packets));

    eventCount = 0;
    sentinelSeen = false;
    sentinelCode = mix.sentinelCode;
    sentinelParam = mix.sentinelParam;
    LibraryAttach();
    bool measured = false;
    if (QXZAQStartLink(&OnEvent) != 1) {
        error = "the link did not start with one board";
    } else {
        const Clock::time_point start = Clock::now();
        QXZAQEnableDChEvents(0);
        while (!sentinelSeen && Clock::now() - start < kLongestRun) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        if (sentinelSeen) {
            rate.packets = packets + 1;
            rate.events = eventCount;
            rate.seconds = std::chrono::duration<double>(sentinelTime - start).count();
            measured = true;
        } else {
            error = "the last packet's event did not arrive";
        }
    }
    QXZAQStopLink();
    LibraryDetach();
    simulator.Stop();
    std::filesystem::remove_all(directory);
    return measured;
}
