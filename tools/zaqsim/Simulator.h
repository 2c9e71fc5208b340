// Simulated units behind pseudo-terminals, for tests (in-process) and for the
// zaqsim program. Each unit gets a pty pair whose slave is linked into the COM
// directory as COM1, COM2 ...; one I/O thread drives every unit: it feeds the
// unit what the library wrote, runs its timers and writes its output, paced at
// line rate. Every method may be called from any thread.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "PlayItem.h"
#include "SentCounter.h"
#include "UnitConfig.h"
#include "platform/Pty.h"

namespace zaqsim {

struct SimulatorSettings {
    std::string comDirectory;       // created when missing
    double speed = 1.0;             // line-rate factor; 0: unpaced
    std::string firmwareDirectory;  // received images go to <dir>/COMn.zaq; empty: memory only
    // A unit writes only while fewer bytes than this wait unread in its pty,
    // and then no more than fit below it (one whole item at least); 0: no
    // limit. A reader that falls behind then slows the unit down, instead of
    // a full pty cutting a packet in two with a pause inside.
    size_t maxUnreadBytes = 0;
};

class Simulator {
public:
    explicit Simulator(SimulatorSettings settings);
    ~Simulator();
    Simulator(const Simulator&) = delete;
    Simulator& operator=(const Simulator&) = delete;

    // Adds a unit and returns its index (its link is COM<index + 1>). Refused
    // power-on options are listed in `problems`. Units added after Start get
    // their link at once.
    size_t AddUnit(UnitConfig config, std::vector<std::string>* problems = nullptr);

    // Creates the links and starts the I/O thread; false with `error` set when
    // a pty or link could not be made.
    bool Start(std::string& error);
    // Stops the thread, closes every pty and removes the links. Also done by the destructor.
    void Stop();

    size_t UnitCount() const;
    std::string LinkName(size_t unit) const;    // "COM1"
    std::string LinkPath(size_t unit) const;    // "<comDirectory>/COM1"
    std::string DeviceName(size_t unit) const;  // "/dev/pts/5"; empty before Start
    std::string PbxName(size_t unit) const;

    // Items wait for raw output ("ENRAW"); see SimUnit::Hold. A payload of more
    // than 255 bytes does not fit a packet: false, nothing queued.
    bool QueuePacket(size_t unit, uint8_t channel, uint8_t type, const std::vector<uint8_t>& payload,
                     uint32_t delayMs = 0);
    void Play(size_t unit, std::vector<PlayItem> items, bool loop = false);
    // Sent at once, whatever raw output is.
    void SendNotice(size_t unit, uint32_t channel, bool on);
    void SendText(size_t unit, const std::string& text);
    // Bytes sent at once exactly as given (line noise, broken frames).
    void SendBytes(size_t unit, const std::string& bytes);

    void SetSilent(size_t unit, bool silent);
    void SetSilentCommands(size_t unit, std::vector<std::string> prefixes);
    void SetAnswerDelay(size_t unit, uint32_t ms);
    void SetFirmwareInjections(size_t unit, FirmwareInjections injections);
    void SetFirmwareFile(size_t unit, std::string path);
    // Closes the unit's pty and removes its link: the library's reads fail.
    void Vanish(size_t unit);
    // Vanish between two items: the unit finishes the item it is sending and
    // waits up to `drainMs` for the library to read what was written first.
    void Unplug(size_t unit, uint32_t drainMs);
    // Plugs a vanished unit back in: a new pty linked under the same name. The
    // unit keeps its state. False (with `error` set) when the simulator is not
    // running, the unit is still plugged in, or no pty or link could be made.
    bool PlugIn(size_t unit, std::string& error);

    std::vector<std::string> CommandLog(size_t unit) const;
    void ClearCommandLog(size_t unit);
    std::optional<std::string> FirmwareImage(size_t unit) const;
    bool RawOutput(size_t unit) const;
    std::string OptionValue(size_t unit, std::string_view word) const;
    uint8_t PbxLevel(size_t unit) const;
    size_t HeldItems(size_t unit) const;
    // The packets the unit has written, per channel, and those the library may
    // have missed around an unplug (see SentCounter).
    SentCounter::Counts SentCounts(size_t unit) const;

    // Polls every few milliseconds, at most `timeoutMs`.
    bool WaitUntilSent(size_t unit, uint32_t timeoutMs) const;
    bool WaitForCommand(size_t unit, std::string_view line, uint32_t timeoutMs) const;

private:
    struct Slot;

    bool OpenLink(Slot& slot, std::string& error);
    void Run();
    int64_t ServeUnits();
    template <typename Action>
    auto WithUnit(size_t unit, Action action) const;
    // Applies `action` to the unit under the lock, then wakes the I/O thread.
    void Update(size_t unit, const std::function<void(Slot&)>& action);
    bool WaitFor(uint32_t timeoutMs, const std::function<bool()>& done) const;

    SimulatorSettings settings_;
    mutable std::mutex mutex_;
    std::vector<std::unique_ptr<Slot>> slots_;
    platform::PtyPoller poller_;
    std::thread thread_;
    bool running_ = false;
    bool stopping_ = false;
};

}  // namespace zaqsim
