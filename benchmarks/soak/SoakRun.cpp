#include "SoakRun.h"

#include <chrono>
#include <cstdio>
#include <sstream>

#include "platform/Clock.h"

namespace {

constexpr uint32_t kSimulatorStartMs = 10000;
constexpr uint32_t kSimulatorEndMs = 15000;
// An unplug still under way when the time is up gets this long to finish.
constexpr uint32_t kUnplugSettleMs = 30000;
// A pseudo-terminal that fills up makes the simulator pause inside a packet,
// which the library drops (as it should: a real line never pauses there). The
// units therefore wait while a reader has this much unread (a tenth of a
// second): far below the 4 KiB a pty passes on at once, so that a push of the
// pty that comes late (a busy machine) rarely leaves a packet half passed on.
constexpr size_t kMaxUnreadBytes = 1024;
// How often the trace and the simulator's lines are read.
constexpr uint32_t kFollowEveryMs = 100;
// The allowance for resident memory between the first and the last window.
constexpr long kFlatKiB = 2048;
// Packets a unit sends in a second at 115200 baud: 12-byte lamp packets.
constexpr double kLinePacketsPerSecond = 11520.0 / 12;

std::string PortName(size_t unit)
{
    return "COM" + std::to_string(unit + 1);
}

}  // namespace

SoakRun::SoakRun(SoakOptions options, std::string simulatorFile, std::string libraryFile)
    : options_(options),
      simulatorFile_(std::move(simulatorFile)),
      libraryFile_(std::move(libraryFile)),
      tally_(options.units),
      unplugs_(options.units)
{
}

SoakRun::~SoakRun()
{
    draining_ = true;
    if (poller_.joinable())
        poller_.join();
    if (!options_.keep)
        RemoveSoakFolder(folder_);
}

void SoakRun::Fail(const std::string& reason)
{
    failures_.push_back(reason);
    std::printf("zaq_soak: %s\n", reason.c_str());
    std::fflush(stdout);
}

bool SoakRun::Start(std::string& error)
{
    if (!PrepareSoakFolder(options_.units, folder_, error))
        return false;
    trace_ = std::make_unique<TraceWatch>(folder_.traceLog);

    std::vector<std::string> simulator = {simulatorFile_, "--units", std::to_string(options_.units), "--comdir",
                                          folder_.comDirectory, "--scenario", folder_.scenario, "--loop",
                                          "--sent-counts", folder_.sentCounts, "--max-unread",
                                          std::to_string(kMaxUnreadBytes)};
    std::ostringstream speed;
    speed << options_.speed;
    simulator.insert(simulator.end(), {"--speed", speed.str()});
    // Unplugs that leave room for the last one to finish before the time is up.
    const uint32_t every = options_.unplugEverySeconds;
    const uint32_t room = options_.unplugAwayMs / 1000 + 8;
    if (every > 0 && options_.seconds > room + every) {
        simulator.insert(simulator.end(), {"--unplug-every", std::to_string(every), "--unplug-away",
                                           std::to_string(options_.unplugAwayMs), "--unplug-count",
                                           std::to_string((options_.seconds - room) / every)});
    }
    simulator_ = platform::Program::Start(simulator);
    if (!simulator_ || !simulator_->WaitForOutput(PortName(options_.units - 1) + " ->", kSimulatorStartMs)) {
        error = "zaqsim did not start: " + (simulator_ ? simulator_->Output() : simulatorFile_);
        return false;
    }
    simulatorOutputSeen_ = simulator_->Output().size();

    if (!LoadLinkApi(libraryFile_, api_, error))
        return false;
    const uint32_t boards = api_.StartLink(nullptr);
    if (boards != options_.units) {
        error = "the link started " + std::to_string(boards) + " of " + std::to_string(options_.units) + " units";
        return false;
    }
    api_.EnableEventUpdates();  // every packet is an event, changed or not
    if (api_.RecordDChannelEvents(folder_.dump.c_str()) != ZAQ16_RET_SUCCESS) {
        error = folder_.dump + ": recording did not start";
        return false;
    }
    poller_ = std::thread(&SoakRun::Poll, this);
    for (uint32_t board = 0; board < boards; ++board) {
        if (api_.EnableDChEvents(board) != ZAQ16_RET_SUCCESS) {
            error = "board " + std::to_string(board) + ": D-channel output not switched on";
            return false;
        }
    }
    return true;
}

// The application's polling thread: takes every event as soon as it waits;
// once asked to drain, ends at the first empty queue.
void SoakRun::Poll()
{
    for (;;) {
        uint32_t reserved = 0, timeStamp = 0, code = 0, param = 0, board = 0, channel = 0;
        const uint32_t result = api_.GetEvent(&reserved, &timeStamp, &code, &param, &board, &channel);
        if (result == ZAQ16_RET_SUCCESS) {
            tally_.CountEvent(board, channel);
            ++taken_;
            continue;
        }
        if (draining_)
            return;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

void SoakRun::FollowUnplugs()
{
    const std::string output = simulator_->Output();
    std::istringstream lines(output.substr(std::min(simulatorOutputSeen_, output.size())));
    simulatorOutputSeen_ = output.size();
    std::string line;
    while (std::getline(lines, line)) {
        for (size_t unit = 0; unit < unplugs_.size(); ++unit) {
            if (line == PortName(unit) + " unplugged") {
                unplugs_[unit].unplugged = true;
                ++unplugsTold_;
            } else if (line == PortName(unit) + " plugged in") {
                unplugs_[unit].pluggedIn = true;
            } else if (line.starts_with(PortName(unit) + " not plugged in")) {
                Fail(line);
            }
        }
    }
    // The library may tell the loss before the simulator's line is read.
    for (uint32_t port : trace_->Read()) {
        const size_t unit = port - 1;
        if (unit >= unplugs_.size()) {
            Fail(PortName(unit) + " failed, a port of no board");
        } else if (!unplugs_[unit].lossReported) {
            unplugs_[unit].lossReported = true;
            unplugs_[unit].lossTick = platform::TickCount();
        }
    }
    for (size_t unit = 0; unit < unplugs_.size(); ++unit) {
        Unplug& unplug = unplugs_[unit];
        if (!unplug.lossReported || !unplug.pluggedIn)
            continue;
        const uint32_t board = static_cast<uint32_t>(unit);
        const uint32_t restarted = api_.Restart(board);
        if (restarted != ZAQ16_RET_SUCCESS) {
            Fail("board " + std::to_string(board) + ": restart failed (" + std::to_string(restarted) + ")");
        } else if (api_.EnableDChEvents(board) != ZAQ16_RET_SUCCESS) {
            Fail("board " + std::to_string(board) + ": D-channel output not switched on after the restart");
        } else {
            const uint32_t away = platform::TickCount() - unplug.lossTick;
            ++restarts_;
            awayTotalMs_ += away;
            awayLongestMs_ = std::max(awayLongestMs_, away);
        }
        unplug = Unplug{};
    }
}

bool SoakRun::UnplugsPending() const
{
    for (const Unplug& unplug : unplugs_) {
        if (unplug.unplugged || unplug.lossReported)
            return true;
    }
    return false;
}

void SoakRun::Finish()
{
    const uint32_t settleStart = platform::TickCount();
    while (UnplugsPending() && platform::TickCount() - settleStart < kUnplugSettleMs) {
        platform::SleepMs(kFollowEveryMs);
        FollowUnplugs();
    }
    for (size_t unit = 0; unit < unplugs_.size(); ++unit) {
        if (unplugs_[unit].unplugged)
            Fail(PortName(unit) + " was unplugged but not back and restarted in time");
        else if (unplugs_[unit].lossReported)
            Fail(PortName(unit) + " failed without being unplugged");
    }
    // The answer to "DISRAW" comes after every packet the unit sent before it:
    // once each board has it, every packet sent is in the queue.
    for (uint32_t board = 0; board < options_.units; ++board) {
        if (api_.DisableDChEvents(board) != ZAQ16_RET_SUCCESS)
            Fail("board " + std::to_string(board) + ": D-channel output not switched off");
    }
    draining_ = true;
    poller_.join();
    api_.RecordDChannelEvents(nullptr);
    api_.StopLink();
    trace_->Read();
    simulator_->Interrupt();
    const int simulatorExit = simulator_->Wait(kSimulatorEndMs);
    if (simulatorExit != 0)
        Fail("zaqsim ended with " + std::to_string(simulatorExit) + ": " + simulator_->Output());
    std::string error;
    if (!tally_.ReadSentCounts(folder_.sentCounts, error))
        Fail(error);
    if (!tally_.ReadDump(folder_.dump, error))
        Fail(error);
}

int SoakRun::Run()
{
    std::string error;
    if (!Start(error)) {
        std::printf("zaq_soak: %s\n", error.c_str());
        return 2;
    }
    std::printf("zaq_soak: %u units for %u s in %s\n", options_.units, options_.seconds, folder_.directory.c_str());
    std::fflush(stdout);
    const uint32_t start = platform::TickCount();
    const uint64_t takenBefore = taken_;
    const uint32_t progressEvery = options_.seconds >= 300 ? 60 : 10;
    uint32_t nextSecond = 0;
    while (nextSecond < options_.seconds) {
        FollowUnplugs();
        const uint32_t elapsedMs = platform::TickCount() - start;
        if (elapsedMs < nextSecond * 1000) {
            platform::SleepMs(std::min<uint32_t>(nextSecond * 1000 - elapsedMs, kFollowEveryMs));
            continue;
        }
        memory_.Sample(nextSecond);
        if (nextSecond > 0 && nextSecond % progressEvery == 0) {
            std::printf("zaq_soak: %u s: %llu events, %u unplugs, %u restarts, %ld KiB resident\n", nextSecond,
                        static_cast<unsigned long long>(taken_.load()), unplugsTold_, restarts_, memory_.Last());
            std::fflush(stdout);
        }
        // A restart may have taken seconds: the samples keep their own seconds.
        nextSecond = std::max(nextSecond + 1, (platform::TickCount() - start) / 1000);
    }
    runSeconds_ = (platform::TickCount() - start) / 1000;
    takenInRun_ = taken_ - takenBefore;
    Finish();
    return Report();
}

int SoakRun::Report()
{
    const std::vector<uint32_t> mismatches = tally_.Mismatches();
    uint32_t mismatched = 0;
    std::string perBoard;
    for (size_t board = 0; board < mismatches.size(); ++board) {
        mismatched += mismatches[board];
        perBoard += (board == 0 ? "" : ",") + std::to_string(mismatches[board]);
        for (size_t channel = 0; channel < SoakTally::kChannels && mismatches[board] > 0; ++channel) {
            const ChannelCounts& counts = tally_.Boards()[board][channel];
            if (!counts.Balanced())
                std::printf("zaq_soak: board %zu channel %zu: sent %llu at-risk %llu events %llu records %llu\n", board,
                            channel, static_cast<unsigned long long>(counts.sent),
                            static_cast<unsigned long long>(counts.atRisk),
                            static_cast<unsigned long long>(counts.events),
                            static_cast<unsigned long long>(counts.records));
        }
    }
    if (mismatched > 0)
        Fail(std::to_string(mismatched) + " channels out of balance");
    if (tally_.StrayEvents() > 0)
        Fail(std::to_string(tally_.StrayEvents()) + " events of channels no board has");
    if (restarts_ != unplugsTold_)
        Fail(std::to_string(unplugsTold_) + " unplugs but " + std::to_string(restarts_) + " restarts");
    if (trace_->LostEventLines() > 0)
        Fail(std::to_string(trace_->LostEventLines()) + " lost-event trace lines");
    const long growth = memory_.Growth(runSeconds_);
    if (growth > kFlatKiB)
        Fail("resident memory grew by " + std::to_string(growth) + " KiB after the warm-up");

    const uint64_t sent = tally_.Total(&ChannelCounts::sent);
    const double perUnit = runSeconds_ > 0 ? static_cast<double>(takenInRun_) / options_.units / runSeconds_ : 0;
    std::printf("zaq_soak: %u units %u s: sent %llu received %llu recorded %llu at-risk %llu; mismatches %u [%s]; "
                "unplugs %u restarts %u away avg %.1f s max %.1f s; rss KiB start %ld end %ld max %ld growth %ld; "
                "lost-event lines %llu, cut-packet lines %llu; %.0f events/s per unit (line rate %.0f packets/s): "
                "%s\n",
                options_.units, runSeconds_, static_cast<unsigned long long>(sent),
                static_cast<unsigned long long>(tally_.Total(&ChannelCounts::events)),
                static_cast<unsigned long long>(tally_.Total(&ChannelCounts::records)),
                static_cast<unsigned long long>(tally_.Total(&ChannelCounts::atRisk)), mismatched, perBoard.c_str(),
                unplugsTold_, restarts_, restarts_ > 0 ? awayTotalMs_ / 1000.0 / restarts_ : 0.0,
                awayLongestMs_ / 1000.0, memory_.First(), memory_.Last(), memory_.Highest(), growth,
                static_cast<unsigned long long>(trace_->LostEventLines()),
                static_cast<unsigned long long>(trace_->CutPacketLines()), perUnit,
                kLinePacketsPerSecond * options_.speed, failures_.empty() ? "PASS" : "FAIL");
    std::fflush(stdout);
    return failures_.empty() ? 0 : 1;
}
