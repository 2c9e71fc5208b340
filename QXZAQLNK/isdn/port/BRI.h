// BRI: the decoder of a unit with the "ISDN4WD" firmware. The unit taps ISDN
// basic-rate lines and forwards every D-channel frame: channel 2k of a line
// pair carries what the CO sends, channel 2k + 1 what the CPE sends. BRI
// hands each frame to its ISDN front end, drives the front end's protocol
// timers with a 100 ms tick on the port's timer queue, and posts the call
// events as the front end made them. Every BRI of a link shares one ISDN
// monitor (one pool of calls, calls that move between boards).
#pragma once

#include <cstdint>
#include <memory>

#include "base/EventSink.h"
#include "decoders/Decoder.h"
#include "isdn/frontend/ISDNPT.h"
#include "platform/TimerQueue.h"

class BRI : public Decoder, private EventSink {
public:
    static constexpr uint32_t kTickMs = 100;

    // Keeps `sharedMonitor` for as long as it lives, and arms the tick.
    BRI(DecoderContext& context, std::shared_ptr<isdn::IsdnMonitor> sharedMonitor);
    ~BRI() override;

    // Hands the packet's frame to the front end on framer start_channel +
    // channel - 1; always 1 (a frame the front end refuses is traced).
    uint8_t Decode(const Packet& packet) override;

    // Arms the 100 ms tick again, restarting its delay: a test that hands
    // the timer queue another clock does so afterwards.
    void StartTick();

    // The ISDN monitor the port shares with the other BRI ports of its link.
    const std::shared_ptr<isdn::IsdnMonitor>& Monitor() const { return monitor; }

private:
    // Declared before the front end, which must not outlive it.
    std::shared_ptr<isdn::IsdnMonitor> monitor;

public:
    std::unique_ptr<ISDNPT> isdnFrontEnd;

private:
    // Call events of the front end go out as they are: their board and
    // channel are those of the call's B-channel.
    uint32_t Post(const ZAQ16_EVENT& event) override;
    static void TickRoutine(void* context);

    platform::TimerQueue::TimerId tickTimer = platform::TimerQueue::kNoTimer;
};
