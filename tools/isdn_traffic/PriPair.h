// Two libpri ends of one ISDN basic-rate line in point-to-multipoint mode,
// the network and the user, joined back to back through libpri's frame
// callbacks: every frame one end writes is handed to the other end and also
// written, with its direction, into a LINUX_LAPD capture (taken from the
// network side).
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <vector>

// libpri's header declares C functions without saying so.
extern "C" {
#include <libpri.h>
}

#include "CaptureWriter.h"

namespace isdntraffic {

enum class End { Network, User };

class PriPair {
public:
    // `onEvent` receives every libpri event with the end that produced it.
    using EventHandler = std::function<void(End end, pri_event* event)>;

    PriPair(pcap2dmp::PcapWriter& capture, EventHandler onEvent);
    ~PriPair();
    PriPair(const PriPair&) = delete;
    PriPair& operator=(const PriPair&) = delete;

    struct pri* Ctrl(End end) const;

    // Hands frames across and runs libpri's timers until `done` says so; false
    // when `timeoutMs` passed first.
    bool RunUntil(const std::function<bool()>& done, uint32_t timeoutMs);
    // No frame is on its way.
    bool Quiet() const { return network_.inbox.empty() && user_.inbox.empty(); }
    // Time that passes on the line without traffic: the capture's clock moves on.
    void Pause(uint32_t milliseconds) { pausedMs_ += milliseconds; }

    size_t FramesWritten() const { return framesWritten_; }

private:
    struct Side {
        struct pri* ctrl = nullptr;
        std::deque<std::vector<uint8_t>> inbox;
    };

    static int Read(struct pri* ctrl, void* buffer, int size);
    static int Write(struct pri* ctrl, void* buffer, int size);
    Side& SideOf(struct pri* ctrl);
    Side& Other(const Side& side) { return &side == &network_ ? user_ : network_; }
    uint64_t NowNs() const;
    bool DeliverOne();

    pcap2dmp::PcapWriter& capture_;
    EventHandler onEvent_;
    Side network_;
    Side user_;
    uint32_t startTick_;
    uint64_t pausedMs_ = 0;
    size_t framesWritten_ = 0;
};

}  // namespace isdntraffic
