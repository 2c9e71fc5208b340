// The ISDN unit's packets to the front end, and the tick of its timers.
#include "isdn/port/BRI.h"

#include <utility>

#include "base/Trace.h"

namespace {

// Multi-TEI (two terminals per line), two boards' worth of framers, and every
// call entity the pool can have: sixteen lines with two B-channels each carry
// up to 32 calls at once, and broadcast offers take an entity per terminal.
constexpr uint32_t kMultiTei = 1;
constexpr uint32_t kFramers = 32;
constexpr uint32_t kCallEntities = 60;

}  // namespace

BRI::BRI(DecoderContext& context, std::shared_ptr<isdn::IsdnMonitor> sharedMonitor)
    : Decoder(context),
      monitor(std::move(sharedMonitor)),
      isdnFrontEnd(std::make_unique<ISDNPT>(*monitor, static_cast<EventSink&>(*this), context.StartChannel() - 1))
{
    const uint32_t result = isdnFrontEnd->Start(kMultiTei, kFramers, kCallEntities);
    if (result != 0) {
        Trace(TRACE_INFO, "BRI::BRI", "Start Err (%0x)", result);
    }
    StartTick();
}

BRI::~BRI()
{
    context_.Timers().Close(tickTimer);
    isdnFrontEnd->Stop();
}

uint8_t BRI::Decode(const Packet& packet)
{
    const uint32_t channel = context_.AbsoluteChannel(packet.channel);
    const uint32_t result = isdnFrontEnd->HDLCFrameRcvd(channel - 1, packet.data, packet.length, 0, 0);
    if (result != 0) {
        Trace(TRACE_INFO, "BRI::HandlePacket", "HDLCFrameRcvd Err (%0x)", result);
    }
    return 1;
}

void BRI::StartTick()
{
    platform::TimerQueue& timers = context_.Timers();
    if (tickTimer == platform::TimerQueue::kNoTimer) {
        tickTimer = timers.Create();
        // The tick is housekeeping: a playback's end does not wait for it.
        timers.SetBackground(tickTimer, true);
    }
    timers.Set(tickTimer, kTickMs, &BRI::TickRoutine, this);
}

void BRI::TickRoutine(void* context)
{
    BRI& bri = *static_cast<BRI*>(context);
    bri.isdnFrontEnd->Advance(bri.context_.Now());
    bri.context_.Timers().Set(bri.tickTimer, kTickMs, &BRI::TickRoutine, &bri);
}

uint32_t BRI::Post(const ZAQ16_EVENT& event)
{
    return context_.Sink().Post(event);
}
