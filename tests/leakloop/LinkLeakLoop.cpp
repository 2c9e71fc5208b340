// Starts, restarts and stops the link many times on simulated units, some of
// which vanish, and compares the process's open file descriptors, threads and
// resident memory before and after: none may grow.
//
//   link_leak_loop [ROUNDS]   (default 1000)
//
// Two units answer for the whole run: a Definity unit whose display packets
// loop while raw output is on, and an ISDN unit (a BRI port with its ISDN
// monitor). A third unit lives for one round at a time: in one round of three
// it vanishes (its pty closed, its link removed) while the link runs and its
// restart fails, in the next an answering unit is restarted, in the third the
// unit is missing when the link starts. Rounds alternate between the event
// callback and polling; every 50th unloads and reloads the library.
// The counts are taken after a warm-up, then again after the last round,
// each time with the library unloaded.
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "PacketFrame.h"
#include "Simulator.h"
#include "common/Registry.h"
#include "core/LibraryLifetime.h"
#include "platform/ProcessEnvironment.h"
#include "platform/ProcessUsage.h"
#include "qxzaqlnk.h"
#include "support/TempDir.h"

#if defined(__SANITIZE_ADDRESS__)
#define ZAQ_LEAK_LOOP_UNDER_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define ZAQ_LEAK_LOOP_UNDER_ASAN 1
#endif
#endif

namespace {

constexpr uint32_t kDefaultRounds = 1000;
constexpr uint32_t kReloadEvery = 50;
// Under AddressSanitizer freed memory is held back in quarantine, so resident
// memory says nothing there: LeakSanitizer checks at exit instead.
#ifdef ZAQ_LEAK_LOOP_UNDER_ASAN
constexpr bool kCheckMemory = false;
#else
constexpr bool kCheckMemory = true;
#endif
// Resident memory may move a little with the allocator's arenas and caches.
constexpr long kMemorySlackKiB = 2048;

struct Usage {
    size_t descriptors = 0;
    size_t threads = 0;
    long residentKiB = 0;
};

size_t CountEntries(const char* directory)
{
    size_t count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(directory)) {
        ++count;
    }
    return count;
}

Usage Measure()
{
    return Usage{CountEntries("/proc/self/fd"), CountEntries("/proc/self/task"), platform::ResidentKiB()};
}

// Takes each event and lets it go, as a busy application would.
uint32_t IgnoringCallback(ZAQ16_EVENT*)
{
    return 0;
}

void DrainEvents()
{
    uint32_t reserved = 0, stamp = 0, code = 0, param = 0, board = 0, channel = 0;
    for (int i = 0; i < 1000 && QXZAQGetEvent(&reserved, &stamp, &code, &param, &board, &channel) == ZAQ16_RET_SUCCESS; ++i) {
    }
}

bool WriteRegistry(const std::vector<std::string>& cards, const std::string& tracePath)
{
    TraceWriter quiet;
    CRegistry registry(quiet);
    CRegistry::HKEY key = 0;
    if (registry.createProviderKey() != 1 || registry.openProviderKey(platform::registry::kAccessAll, &key) != 1) {
        return false;
    }
    registry.setDwordValue(key, CRegistry::kPortCountValue, static_cast<uint32_t>(cards.size()));
    for (size_t i = 0; i < cards.size(); ++i) {
        registry.setStringValue(key, ("CARD" + std::to_string(i + 1)).c_str(), cards[i].c_str());
    }
    // Start-up and errors: enough to show why a round failed.
    registry.setDwordValue(key, CRegistry::kTraceLevelValue, 3);
    registry.setStringValue(key, CRegistry::kTracePathValue, tracePath.c_str());
    registry.closeKey(key);
    return true;
}

class LeakLoop {
public:
    LeakLoop()
    {
        platform::SetEnvironmentVariable("QXZAQ_REGISTRY", dir_.File("qxzaq16.reg"));
        platform::SetEnvironmentVariable("QXZAQ_SYSDIR", dir_.path().string());
        platform::SetEnvironmentVariable("QXZAQ_COMDIR", dir_.File("steady"));
    }

    bool Prepare()
    {
        zaqsim::SimulatorSettings settings;
        settings.comDirectory = dir_.File("steady");
        settings.speed = 0;
        steady_ = std::make_unique<zaqsim::Simulator>(settings);
        steady_->AddUnit(zaqsim::UnitConfig{});
        zaqsim::UnitConfig isdn;
        isdn.pbxName = "ISDN4WD";
        steady_->AddUnit(isdn);
        std::string failure;
        if (!steady_->Start(failure)) {
            std::fprintf(stderr, "leak loop: the simulated units did not start: %s\n", failure.c_str());
            return false;
        }
        // A lamp on and off, looping while raw output is on: events flow in every round.
        const std::vector<uint8_t> lampOn{0xE3, 0x03, 0x80, 0x2F, 0x0F, 0x70, 0x88};
        steady_->Play(0, {zaqsim::PlayItem{5, zaqsim::BuildPacket(2, 0x58, lampOn)}}, true);
        // COM3 leads to the third unit's link while that unit is there.
        std::error_code error;
        std::filesystem::create_symlink(dir_.File("fleeting") + "/COM1", dir_.File("steady") + "/COM3", error);
        if (error || !WriteRegistry({"COM1", "COM2", "COM3"}, dir_.path().string())) {
            std::fprintf(stderr, "leak loop: the registry file could not be written\n");
            return false;
        }
        LibraryAttach();
        return true;
    }

    // One round; false (with a line on stderr) when the link misbehaved.
    bool Round(uint32_t round)
    {
        const uint32_t kind = round % 3;
        std::unique_ptr<zaqsim::Simulator> fleeting;
        if (kind != 2) {
            zaqsim::SimulatorSettings settings;
            settings.comDirectory = dir_.File("fleeting");
            settings.speed = 0;
            fleeting = std::make_unique<zaqsim::Simulator>(settings);
            fleeting->AddUnit(zaqsim::UnitConfig{});
            std::string error;
            if (!fleeting->Start(error)) {
                std::fprintf(stderr, "leak loop: round %u: the third unit did not start: %s\n", round, error.c_str());
                return false;
            }
        }
        const bool polling = round % 2 == 1;
        const uint32_t expected = fleeting ? 3 : 2;
        const uint32_t started = QXZAQStartLink(polling ? nullptr : &IgnoringCallback);
        if (started != expected) {
            // A unit whose answer to the start-up query came late on a loaded
            // machine is left out, as it should be; the round still counts.
            ++shortStarts_;
            QXZAQStopLink();
            return true;
        }
        QXZAQEnableDChEvents(0);
        QXZAQEnableDChEvents(1);
        if (kind == 0) {
            fleeting->Vanish(0);
            if (QXZAQRestart(2) != ZAQ16_RET_RESTART_FAILED) {
                std::fprintf(stderr, "leak loop: round %u: a restart of the vanished unit did not fail\n", round);
                QXZAQStopLink();
                return false;
            }
        } else if (kind == 1 && QXZAQRestart(round % 4 == 1 ? 0 : 1) != ZAQ16_RET_SUCCESS) {
            // As at a start: an answer that came late on a loaded machine.
            ++shortStarts_;
        }
        if (polling) {
            DrainEvents();
        }
        QXZAQStopLink();
        // The simulator logs every command it received: that log is not the library's memory.
        steady_->ClearCommandLog(0);
        steady_->ClearCommandLog(1);
        if (round % kReloadEvery == kReloadEvery - 1) {
            LibraryDetach();
            LibraryAttach();
        }
        return true;
    }

    // The end of the trace log, to show why a round failed.
    void PrintTraceTail() const
    {
        std::ifstream log(dir_.File("qxzaqlnk.log"));
        std::vector<std::string> lines;
        for (std::string line; std::getline(log, line);) {
            lines.push_back(line);
        }
        for (size_t i = lines.size() > 20 ? lines.size() - 20 : 0; i < lines.size(); ++i) {
            std::fprintf(stderr, "  %s\n", lines[i].c_str());
        }
    }

    // Rounds in which fewer units started, or restarted, than were there.
    uint32_t ShortStarts() const { return shortStarts_; }

    // The counts are taken with the library unloaded, so that what it keeps
    // open between calls (its trace file) is not counted at one end only.
    Usage MeasureUnloaded(bool reload)
    {
        LibraryDetach();
        const Usage usage = Measure();
        if (reload) {
            LibraryAttach();
        }
        return usage;
    }

    void Finish() { steady_.reset(); }

private:
    TempDir dir_;
    std::unique_ptr<zaqsim::Simulator> steady_;
    uint32_t shortStarts_ = 0;
};

}  // namespace

int main(int argc, char** argv)
{
    uint32_t rounds = kDefaultRounds;
    if (argc > 1) {
        char* end = nullptr;
        const unsigned long value = std::strtoul(argv[1], &end, 10);
        if (end == argv[1] || *end != '\0' || value < 10 || value > 1000000) {
            std::fprintf(stderr, "usage: %s [ROUNDS] (10 to 1000000, default %u)\n", argv[0], kDefaultRounds);
            return 2;
        }
        rounds = static_cast<uint32_t>(value);
    }
    const uint32_t warmUp = rounds / 10;

    LeakLoop loop;
    if (!loop.Prepare()) {
        return 1;
    }
    const auto start = std::chrono::steady_clock::now();
    Usage before;
    bool failed = false;
    for (uint32_t round = 0; round < rounds && !failed; ++round) {
        if (round == warmUp) {
            before = loop.MeasureUnloaded(true);
        }
        failed = !loop.Round(round);
    }
    if (failed) {
        loop.PrintTraceTail();
    }
    if (!failed && loop.ShortStarts() > rounds / 10) {
        std::fprintf(stderr, "leak loop: in %u rounds a unit that was there was left out\n", loop.ShortStarts());
        loop.PrintTraceTail();
        failed = true;
    }
    const Usage after = loop.MeasureUnloaded(false);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("leak loop: %u rounds in %.1f s; after %u warm-up rounds: descriptors %zu -> %zu, threads %zu -> %zu, "
                "resident %ld -> %ld KiB%s; %u rounds with a unit left out at a start or restart\n",
                rounds, seconds, warmUp, before.descriptors, after.descriptors, before.threads, after.threads,
                before.residentKiB, after.residentKiB, kCheckMemory ? "" : " (not checked under AddressSanitizer)",
                loop.ShortStarts());
    loop.Finish();

    if (after.descriptors > before.descriptors) {
        std::fprintf(stderr, "leak loop: open file descriptors grew\n");
        failed = true;
    }
    if (after.threads > before.threads) {
        std::fprintf(stderr, "leak loop: threads grew\n");
        failed = true;
    }
    if (kCheckMemory && after.residentKiB > before.residentKiB + kMemorySlackKiB) {
        std::fprintf(stderr, "leak loop: resident memory grew by more than %ld KiB\n", kMemorySlackKiB);
        failed = true;
    }
    return failed ? 1 : 0;
}
