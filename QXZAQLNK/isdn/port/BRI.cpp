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

BRI::BRI(const char* portName, uint32_t start_channel, std::shared_ptr<isdn::IsdnMonitor> monitor)
    : ZAQ16PORT(portName, start_channel),
      monitor_(std::move(monitor)),
      isdnFrontEnd(std::make_unique<ISDNPT>(*monitor_, static_cast<EventSink&>(*this), start_channel - 1))
{
    const uint32_t result = isdnFrontEnd->Start(kMultiTei, kFramers, kCallEntities);
    if (result != 0) {
        Trace(TRACE_INFO, "BRI::BRI", "Start Err (%0x)", result);
    }
}

BRI::~BRI()
{
    Timers().Close(tickTimer_);
    isdnFrontEnd->Stop();
}

void BRI::Main()
{
    StartTick();
    ZAQ16PORT::Main();
}

uint8_t BRI::HandlePacket()
{
    if (ZAQ16PORT::HandlePacket() == 0) {
        return 0;
    }
    currentEvent.channel = AbsoluteChannel();
    const uint32_t result = isdnFrontEnd->HDLCFrameRcvd(currentEvent.channel - 1, packetData, packetLength, 0, 0);
    if (result != 0) {
        Trace(TRACE_INFO, "BRI::HandlePacket", "HDLCFrameRcvd Err (%0x)", result);
    }
    return 1;
}

void BRI::StartTick()
{
    if (tickTimer_ == platform::TimerQueue::kNoTimer) {
        tickTimer_ = Timers().Create();
        // The tick is housekeeping: a playback's end does not wait for it.
        Timers().SetBackground(tickTimer_, true);
    }
    Timers().Set(tickTimer_, kTickMs, &BRI::TickRoutine, this);
}

void BRI::TickRoutine(void* context)
{
    BRI& port = *static_cast<BRI*>(context);
    port.isdnFrontEnd->Advance(port.Timers().clock().Now());
    port.Timers().Set(port.tickTimer_, kTickMs, &BRI::TickRoutine, &port);
}

uint32_t BRI::Post(const ZAQ16_EVENT& event)
{
    return PostEvent(event);
}
