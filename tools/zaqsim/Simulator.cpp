#include "Simulator.h"

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "LinePacer.h"
#include "OptionTable.h"
#include "PacketFrame.h"
#include "SimUnit.h"
#include "platform/Clock.h"

namespace zaqsim {

namespace {

constexpr size_t kChunk = 4096;
constexpr int64_t kLongestWaitMs = 250;
constexpr uint32_t kWaitStepMs = 5;
// An unplug waits this long with nothing unread before it pulls the unit.
constexpr uint32_t kCaughtUpMs = 50;
// How often a unit held back by its reader's backlog looks again.
constexpr int64_t kBacklogWaitMs = 2;

bool WriteImage(const std::string& path, const std::string& image)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(image.data(), static_cast<std::streamsize>(image.size()));
    return static_cast<bool>(file);
}

void RemoveLink(const std::string& path)
{
    std::error_code ignored;
    if (std::filesystem::is_symlink(std::filesystem::symlink_status(path, ignored)))
        std::filesystem::remove(path, ignored);
}

}  // namespace

struct Simulator::Slot {
    Slot(UnitConfig config, double bytesPerSecond)
        : unit(std::move(config), platform::SystemClock()), pacer(platform::SystemClock(), bytesPerSecond)
    {
    }

    SimUnit unit;
    LinePacer pacer;
    std::unique_ptr<platform::PtyPair> pty;
    std::string pending;  // taken from the unit, not yet written
    SentCounter counter;
    bool holding = false;   // being unplugged: no new item goes out
    bool settling = false;  // plugged back in, the library not yet in charge
    bool backlogged = false;  // the reader has the unread limit waiting
    size_t commandsAtPlugIn = 0;
    std::string linkName;
    std::string linkPath;
    std::string firmwareFile;
};

Simulator::Simulator(SimulatorSettings settings) : settings_(std::move(settings)) {}

Simulator::~Simulator()
{
    Stop();
}

size_t Simulator::AddUnit(UnitConfig config, std::vector<std::string>* problems)
{
    std::vector<std::string> refused;
    PowerOnOptionValues(config.powerOnOptions, refused);
    if (problems != nullptr)
        *problems = refused;

    std::lock_guard lock(mutex_);
    const size_t index = slots_.size();
    auto slot = std::make_unique<Slot>(std::move(config), kLineBytesPerSecond * settings_.speed);
    slot->linkName = "COM" + std::to_string(index + 1);
    slot->linkPath = (std::filesystem::path(settings_.comDirectory) / slot->linkName).string();
    if (!settings_.firmwareDirectory.empty())
        slot->firmwareFile = (std::filesystem::path(settings_.firmwareDirectory) / (slot->linkName + ".zaq")).string();
    Slot* raw = slot.get();
    raw->unit.SetFirmwareSaver([raw](const std::string& image) {
        return raw->firmwareFile.empty() || WriteImage(raw->firmwareFile, image);
    });
    slots_.push_back(std::move(slot));
    if (running_) {
        std::string ignored;  // the unit then stays without a link, as if unplugged
        OpenLink(*raw, ignored);
        poller_.Wake();
    }
    return index;
}

bool Simulator::OpenLink(Slot& slot, std::string& error)
{
    uint32_t code = 0;
    slot.pty = platform::PtyPair::Open(code);
    if (!slot.pty) {
        error = slot.linkName + ": no pseudo-terminal (error " + std::to_string(code) + ")";
        return false;
    }
    std::error_code failure;
    RemoveLink(slot.linkPath);
    std::filesystem::create_symlink(slot.pty->SlaveName(), slot.linkPath, failure);
    if (failure) {
        error = slot.linkPath + ": " + failure.message();
        slot.pty.reset();
        return false;
    }
    return true;
}

bool Simulator::Start(std::string& error)
{
    std::lock_guard lock(mutex_);
    if (running_)
        return true;
    if (!poller_.IsValid()) {
        error = "no wake-up pipe";
        return false;
    }
    std::error_code failure;
    std::filesystem::create_directories(settings_.comDirectory, failure);
    if (failure) {
        error = settings_.comDirectory + ": " + failure.message();
        return false;
    }
    if (!settings_.firmwareDirectory.empty())
        std::filesystem::create_directories(settings_.firmwareDirectory, failure);
    for (auto& slot : slots_) {
        if (!OpenLink(*slot, error)) {
            for (auto& opened : slots_) {
                if (opened->pty)
                    RemoveLink(opened->linkPath);
                opened->pty.reset();
            }
            return false;
        }
    }
    running_ = true;
    stopping_ = false;
    thread_ = std::thread(&Simulator::Run, this);
    return true;
}

void Simulator::Stop()
{
    {
        std::lock_guard lock(mutex_);
        if (!running_)
            return;
        stopping_ = true;
    }
    poller_.Wake();
    thread_.join();
    std::lock_guard lock(mutex_);
    for (auto& slot : slots_) {
        if (slot->pty)
            RemoveLink(slot->linkPath);
        slot->pty.reset();
    }
    running_ = false;
}

void Simulator::Run()
{
    std::vector<platform::PtyPoller::Interest> interests;
    std::vector<platform::PtyPoller::Readiness> ready;
    std::unique_lock lock(mutex_);
    while (!stopping_) {
        const int64_t waitMs = ServeUnits();
        interests.clear();
        for (auto& slot : slots_)
            interests.push_back(
                {slot->pty.get(), !slot->pending.empty() && !slot->backlogged && slot->pacer.Budget() > 0});
        lock.unlock();
        poller_.Wait(interests, ready, static_cast<int>(waitMs));
        lock.lock();
    }
}

// One pass over every unit: read what the library wrote, run the unit's
// timers, write what is due within the line rate. Returns how long the thread
// may wait before the next pass is needed.
int64_t Simulator::ServeUnits()
{
    int64_t waitMs = kLongestWaitMs;
    char buffer[kChunk];
    std::vector<size_t> itemSizes;
    for (auto& slot : slots_) {
        if (!slot->pty || !slot->pty->IsOpen())
            continue;
        platform::PtyIo io;
        do {
            io = slot->pty->Read(buffer, sizeof buffer);
            slot->unit.Receive(std::string_view(buffer, io.bytes));
        } while (io.bytes > 0);
        if (io.error != 0) {
            // The pair is broken: the unit is gone, as after Vanish.
            slot->counter.Unplugged(slot->pty->UnreadBytes());
            slot->pty->Close();
            RemoveLink(slot->linkPath);
            continue;
        }
        slot->unit.Poll();

        size_t budget = slot->pacer.Budget();
        bool blocked = false;
        while (budget > 0 && !blocked) {
            size_t room = std::min(budget, kChunk);
            if (settings_.maxUnreadBytes > 0) {
                const size_t unread = slot->pty->UnreadBytes();
                slot->backlogged = unread >= settings_.maxUnreadBytes;
                room = std::min(room, settings_.maxUnreadBytes - std::min(unread, settings_.maxUnreadBytes));
            }
            if (slot->backlogged)
                break;
            if (slot->pending.empty() && !slot->holding) {
                itemSizes.clear();
                slot->pending = slot->unit.TakeWholeItems(room, &itemSizes);
                slot->counter.Queue(slot->pending, itemSizes);
            }
            if (slot->pending.empty())
                break;
            // Whole items go out in one write (the pacer's credit may go below
            // zero for it), so the library never sees a pause inside a packet.
            const platform::PtyIo io = slot->pty->Write(slot->pending.data(), slot->pending.size());
            slot->pacer.Spend(io.bytes);
            slot->counter.Written(io.bytes);
            slot->pending.erase(0, io.bytes);
            budget -= std::min(budget, io.bytes);
            blocked = io.bytes == 0;  // the pty is full (or gone): wait until it is writable
            if (settings_.maxUnreadBytes > 0)
                break;  // the pty counts the bytes unread only once it has passed them on: look next pass
        }
        if (slot->settling && slot->unit.CommandLog().size() > slot->commandsAtPlugIn && !slot->unit.RawOutput() &&
            !slot->unit.HasOutput() && slot->pending.empty()) {
            slot->settling = false;
            slot->counter.SetSettling(false);
        }

        int64_t unitWait = slot->unit.MsUntilNextDue();
        if (!slot->pending.empty() || unitWait == 0) {
            // Output is waiting: for line-rate credit, or (credit there) for the pty to drain.
            const int64_t creditWait = slot->pacer.MsUntilBudget(slot->pending.size() + 1);
            unitWait = creditWait > 0 ? creditWait : blocked ? kLongestWaitMs : slot->backlogged ? kBacklogWaitMs : 1;
        }
        if (unitWait >= 0)
            waitMs = std::min(waitMs, std::max<int64_t>(unitWait, 1));
    }
    return waitMs;
}

template <typename Action>
auto Simulator::WithUnit(size_t unit, Action action) const
{
    std::lock_guard lock(mutex_);
    const Slot* slot = unit < slots_.size() ? slots_[unit].get() : nullptr;
    return action(const_cast<Slot*>(slot));
}

void Simulator::Update(size_t unit, const std::function<void(Slot&)>& action)
{
    {
        std::lock_guard lock(mutex_);
        if (unit < slots_.size())
            action(*slots_[unit]);
    }
    poller_.Wake();
}

size_t Simulator::UnitCount() const
{
    std::lock_guard lock(mutex_);
    return slots_.size();
}

std::string Simulator::LinkName(size_t unit) const
{
    return WithUnit(unit, [](Slot* slot) { return slot ? slot->linkName : std::string(); });
}

std::string Simulator::LinkPath(size_t unit) const
{
    return WithUnit(unit, [](Slot* slot) { return slot ? slot->linkPath : std::string(); });
}

std::string Simulator::DeviceName(size_t unit) const
{
    return WithUnit(unit, [](Slot* slot) { return slot && slot->pty ? slot->pty->SlaveName() : std::string(); });
}

std::string Simulator::PbxName(size_t unit) const
{
    return WithUnit(unit, [](Slot* slot) { return slot ? slot->unit.config().pbxName : std::string(); });
}

bool Simulator::QueuePacket(size_t unit, uint8_t channel, uint8_t type, const std::vector<uint8_t>& payload,
                            uint32_t delayMs)
{
    if (payload.size() > kMaxPayload)
        return false;
    Play(unit, {PlayItem{delayMs, BuildPacket(channel, type, payload)}});
    return true;
}

void Simulator::Play(size_t unit, std::vector<PlayItem> items, bool loop)
{
    Update(unit, [&](Slot& slot) { slot.unit.Hold(std::move(items), loop); });
}

void Simulator::SendNotice(size_t unit, uint32_t channel, bool on)
{
    SendText(unit, NoticeText(channel, on));
}

void Simulator::SendText(size_t unit, const std::string& text)
{
    Update(unit, [&](Slot& slot) { slot.unit.SendLine(text); });
}

void Simulator::SendBytes(size_t unit, const std::string& bytes)
{
    Update(unit, [&](Slot& slot) { slot.unit.SendBytes(bytes); });
}

void Simulator::SetSilent(size_t unit, bool silent)
{
    Update(unit, [&](Slot& slot) { slot.unit.SetSilent(silent); });
}

void Simulator::SetSilentCommands(size_t unit, std::vector<std::string> prefixes)
{
    Update(unit, [&](Slot& slot) { slot.unit.SetSilentCommands(std::move(prefixes)); });
}

void Simulator::SetAnswerDelay(size_t unit, uint32_t ms)
{
    Update(unit, [&](Slot& slot) { slot.unit.SetAnswerDelay(ms); });
}

void Simulator::SetFirmwareInjections(size_t unit, FirmwareInjections injections)
{
    Update(unit, [&](Slot& slot) { slot.unit.SetFirmwareInjections(injections); });
}

void Simulator::SetFirmwareFile(size_t unit, std::string path)
{
    Update(unit, [&](Slot& slot) { slot.firmwareFile = std::move(path); });
}

void Simulator::Vanish(size_t unit)
{
    Update(unit, [](Slot& slot) {
        if (slot.pty) {
            slot.counter.Unplugged(slot.pty->UnreadBytes());
            slot.pty->Close();
            RemoveLink(slot.linkPath);
            slot.pending.clear();
        }
        slot.holding = false;
    });
}

void Simulator::Unplug(size_t unit, uint32_t drainMs)
{
    Update(unit, [](Slot& slot) { slot.holding = true; });
    // The pty counts bytes as unread only once it has passed them on, a
    // moment after the write: the reader has caught up when nothing has been
    // unread for a while.
    uint32_t caughtUpSince = 0;
    bool caughtUp = false;
    WaitFor(drainMs, [&] {
        const bool nothingUnread = WithUnit(unit, [](Slot* slot) {
            return slot == nullptr || !slot->pty || (slot->pending.empty() && slot->pty->UnreadBytes() == 0);
        });
        const uint32_t now = platform::TickCount();
        if (!nothingUnread || !caughtUp)
            caughtUpSince = now;
        caughtUp = nothingUnread;
        return caughtUp && now - caughtUpSince >= kCaughtUpMs;
    });
    Vanish(unit);
}

bool Simulator::PlugIn(size_t unit, std::string& error)
{
    bool plugged = false;
    {
        std::lock_guard lock(mutex_);
        if (!running_ || unit >= slots_.size()) {
            error = "no such unit running";
        } else if (slots_[unit]->pty && slots_[unit]->pty->IsOpen()) {
            error = slots_[unit]->linkName + " is plugged in";
        } else {
            Slot& slot = *slots_[unit];
            plugged = OpenLink(slot, error);
            // The unit goes on as it was (raw output may be on) until the library takes it over.
            slot.settling = plugged;
            slot.counter.SetSettling(plugged);
            slot.commandsAtPlugIn = slot.unit.CommandLog().size();
        }
    }
    poller_.Wake();
    return plugged;
}

std::vector<std::string> Simulator::CommandLog(size_t unit) const
{
    return WithUnit(unit, [](Slot* slot) { return slot ? slot->unit.CommandLog() : std::vector<std::string>(); });
}

void Simulator::ClearCommandLog(size_t unit)
{
    Update(unit, [&](Slot& slot) { slot.unit.ClearCommandLog(); });
}

std::optional<std::string> Simulator::FirmwareImage(size_t unit) const
{
    return WithUnit(unit, [](Slot* slot) { return slot ? slot->unit.FirmwareImage() : std::nullopt; });
}

bool Simulator::RawOutput(size_t unit) const
{
    return WithUnit(unit, [](Slot* slot) { return slot && slot->unit.RawOutput(); });
}

std::string Simulator::OptionValue(size_t unit, std::string_view word) const
{
    return WithUnit(unit, [word](Slot* slot) { return slot ? slot->unit.OptionValue(word) : std::string(); });
}

uint8_t Simulator::PbxLevel(size_t unit) const
{
    return WithUnit(unit, [](Slot* slot) { return slot ? slot->unit.PbxLevel() : uint8_t{0}; });
}

size_t Simulator::HeldItems(size_t unit) const
{
    return WithUnit(unit, [](Slot* slot) { return slot ? slot->unit.HeldItems() : size_t{0}; });
}

SentCounter::Counts Simulator::SentCounts(size_t unit) const
{
    return WithUnit(unit, [](Slot* slot) { return slot ? slot->counter.counts() : SentCounter::Counts{}; });
}

bool Simulator::WaitFor(uint32_t timeoutMs, const std::function<bool()>& done) const
{
    const uint32_t start = platform::TickCount();
    for (;;) {
        if (done())
            return true;
        if (platform::TickCount() - start >= timeoutMs)
            return false;
        platform::SleepMs(kWaitStepMs);
    }
}

bool Simulator::WaitUntilSent(size_t unit, uint32_t timeoutMs) const
{
    return WaitFor(timeoutMs, [&] {
        return WithUnit(unit, [](Slot* slot) {
            return slot && slot->unit.HeldItems() == 0 && !slot->unit.HasOutput() && slot->pending.empty();
        });
    });
}

bool Simulator::WaitForCommand(size_t unit, std::string_view line, uint32_t timeoutMs) const
{
    return WaitFor(timeoutMs, [&] {
        const std::vector<std::string> log = CommandLog(unit);
        return std::find(log.begin(), log.end(), line) != log.end();
    });
}

}  // namespace zaqsim
