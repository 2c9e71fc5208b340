#include "PriPair.h"

#include <cstring>

#include "platform/Clock.h"

namespace isdntraffic {

namespace {

// libpri's frames carry two bytes for the check sequence after the frame.
constexpr int kFcsBytes = 2;
// The capture's clock starts on 2024-01-01 00:00:00 UTC.
constexpr uint64_t kCaptureStartNs = 1'704'067'200ull * 1'000'000'000ull;
constexpr uint64_t kNsPerMs = 1'000'000;
constexpr uint32_t kIdleWaitMs = 1;
constexpr int kPointToMultipoint = 0;

}  // namespace

PriPair::PriPair(pcap2dmp::PcapWriter& capture, EventHandler onEvent)
    : capture_(capture), onEvent_(std::move(onEvent)), startTick_(platform::TickCount())
{
    network_.ctrl = pri_new_bri_cb(-1, kPointToMultipoint, PRI_NETWORK, PRI_SWITCH_EUROISDN_E1, &PriPair::Read,
                                   &PriPair::Write, this);
    user_.ctrl = pri_new_bri_cb(-1, kPointToMultipoint, PRI_CPE, PRI_SWITCH_EUROISDN_E1, &PriPair::Read,
                                &PriPair::Write, this);
    for (Side* side : {&network_, &user_}) {
        pri_hold_enable(side->ctrl, 1);
    }
}

PriPair::~PriPair()
{
    // libpri 1.6 has no call to free a D-channel: the process ends soon after.
}

struct pri* PriPair::Ctrl(End end) const
{
    return end == End::Network ? network_.ctrl : user_.ctrl;
}

PriPair::Side& PriPair::SideOf(struct pri* ctrl)
{
    return ctrl == network_.ctrl ? network_ : user_;
}

uint64_t PriPair::NowNs() const
{
    return kCaptureStartNs + (uint64_t{platform::TickCount() - startTick_} + pausedMs_) * kNsPerMs;
}

int PriPair::Write(struct pri* ctrl, void* buffer, int size)
{
    auto& pair = *static_cast<PriPair*>(pri_get_userdata(ctrl));
    Side& from = pair.SideOf(ctrl);
    if (size < kFcsBytes) {
        return size;
    }
    const auto* bytes = static_cast<const uint8_t*>(buffer);
    std::vector<uint8_t> frame(bytes, bytes + size - kFcsBytes);
    std::vector<uint8_t> packet = pcap2dmp::LinuxLapdHeader(&from == &pair.network_, true);
    packet.insert(packet.end(), frame.begin(), frame.end());
    pair.capture_.Add(pair.NowNs(), packet);
    ++pair.framesWritten_;
    pair.Other(from).inbox.push_back(std::move(frame));
    return size;
}

int PriPair::Read(struct pri* ctrl, void* buffer, int size)
{
    auto& pair = *static_cast<PriPair*>(pri_get_userdata(ctrl));
    Side& side = pair.SideOf(ctrl);
    if (side.inbox.empty()) {
        return 0;
    }
    std::vector<uint8_t> frame = std::move(side.inbox.front());
    side.inbox.pop_front();
    const int length = static_cast<int>(frame.size());
    if (length + kFcsBytes > size) {
        return 0;
    }
    std::memcpy(buffer, frame.data(), frame.size());
    std::memset(static_cast<uint8_t*>(buffer) + length, 0, kFcsBytes);
    return length + kFcsBytes;
}

bool PriPair::DeliverOne()
{
    for (Side* side : {&network_, &user_}) {
        if (!side->inbox.empty()) {
            if (pri_event* event = pri_check_event(side->ctrl)) {
                onEvent_(side == &network_ ? End::Network : End::User, event);
            }
            return true;
        }
    }
    return false;
}

bool PriPair::RunUntil(const std::function<bool()>& done, uint32_t timeoutMs)
{
    const uint32_t start = platform::TickCount();
    while (!done()) {
        if (platform::TickCount() - start >= timeoutMs) {
            return false;
        }
        if (DeliverOne()) {
            continue;
        }
        bool ranTimer = false;
        for (Side* side : {&network_, &user_}) {
            if (pri_event* event = pri_schedule_run(side->ctrl)) {
                onEvent_(side == &network_ ? End::Network : End::User, event);
                ranTimer = true;
            }
        }
        if (!ranTimer && Quiet()) {
            platform::SleepMs(kIdleWaitMs);
        }
    }
    return true;
}

}  // namespace isdntraffic
