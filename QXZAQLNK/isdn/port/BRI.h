// BRI: the port of a unit with the "ISDN4WD" firmware. The unit taps ISDN
// basic-rate lines and forwards every D-channel frame: channel 2k of a line
// pair carries what the CO sends, channel 2k + 1 what the CPE sends. The port
// hands each frame to its ISDN front end, drives the front end's protocol
// timers with a 100 ms tick on its reader thread, and posts the call events
// through its own event sink. Every BRI port of a link shares one ISDN
// monitor (one pool of calls, calls that move between boards).
#pragma once

#include <cstdint>
#include <memory>

#include "base/EventSink.h"
#include "isdn/frontend/ISDNPT.h"
#include "platform/TimerQueue.h"
#include "unit/ZAQ16PORT.h"

class BRI : public ZAQ16PORT, private EventSink {
public:
    static constexpr uint32_t kTickMs = 100;

    // portName: the unit's COM port, or null for a playback port. The port
    // keeps `monitor` for as long as it lives.
    BRI(const char* portName, uint32_t start_channel, std::shared_ptr<isdn::IsdnMonitor> monitor);
    ~BRI() override;

    void Main() override;
    // Reads a packet through the base and hands its frame to the front end on
    // framer start_channel + chdev - 1. 0 when the base read nothing usable, else 1.
    uint8_t HandlePacket() override;

    // Arms the 100 ms tick on the port's timer queue (again, restarting its
    // delay). The reader thread does so when it starts; a test that drives the
    // port without a thread does so after giving the queue its clock.
    void StartTick();

    // The ISDN monitor the port shares with the other BRI ports of its link.
    const std::shared_ptr<isdn::IsdnMonitor>& Monitor() const { return monitor_; }

private:
    // Declared before the front end, which must not outlive it.
    std::shared_ptr<isdn::IsdnMonitor> monitor_;

public:
    std::unique_ptr<ISDNPT> isdnFrontEnd;

private:
    // Call events of the front end go out as the port's own events.
    uint32_t Post(const ZAQ16_EVENT& event) override;
    static void TickRoutine(void* context);

    platform::TimerQueue::TimerId tickTimer_ = platform::TimerQueue::kNoTimer;
};
