// Drives a BRI port without a thread: packets go straight to its BRI decoder
// (raw bytes through an in-memory device and the port's reader), a fake clock
// moves the port's timer queue (and so its 100 ms tick), and the port's events
// are kept with their records.
#pragma once

#include <memory>

#include "IsdnTestSupport.h"
#include "isdn/port/BRI.h"
#include "support/FakeClock.h"
#include "support/MemorySerialDevice.h"
#include "unit/ZAQ16PORT.h"

namespace isdntest {

// The unit's packet types for the two directions of a line.
inline constexpr uint8_t kFromCo = 0x58;
inline constexpr uint8_t kFromCpe = 0x48;

class BriPortDriver {
public:
    // Drivers given the same monitor share it as the BRI ports of one link do;
    // without one a driver has a fresh monitor of its own.
    explicit BriPortDriver(uint32_t startChannel = 1,
                           std::shared_ptr<isdn::IsdnMonitor> monitor = std::make_shared<isdn::IsdnMonitor>());
    ~BriPortDriver();
    BriPortDriver(const BriPortDriver&) = delete;
    BriPortDriver& operator=(const BriPortDriver&) = delete;

    // One packet on local channel `chdev`; returns what Decode returned.
    uint8_t Send(uint8_t chdev, const Bytes& frame);
    // Raw bytes as the unit sends them, read by the reader loop until none are left.
    void Feed(const Bytes& bytes);
    // Moves the clock, running the port's timers whenever they fall due.
    void Advance(uint32_t milliseconds);
    // Line `line` of this port (channels 2 x line and 2 x line + 1).
    Line PortLine(uint32_t line, uint8_t tei = 64);

    std::shared_ptr<Wire> wire = std::make_shared<Wire>();
    EventCollector events;
    FakeClock clock;
    std::shared_ptr<ZAQ16PORT> port;
    BRI* bri;  // the port's decoder
};

}  // namespace isdntest
