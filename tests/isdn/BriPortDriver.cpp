#include "BriPortDriver.h"

#include <utility>

namespace isdntest {

namespace {

// A monitor's timers count from the last time any tick read a clock: every
// driver starts its clock after the previous one stopped, so the times of
// drivers that share a monitor are never "earlier", and each sets that
// reference before its first frame.
uint32_t& NextClockStart()
{
    static uint32_t start = 1000;
    return start;
}

}  // namespace

BriPortDriver::BriPortDriver(uint32_t startChannel, std::shared_ptr<isdn::IsdnMonitor> monitor)
    : port(std::make_shared<ZAQ16PORT>(nullptr, startChannel, events,
                                       [&monitor](DecoderContext& context) -> std::unique_ptr<Decoder> {
                                           return std::make_unique<BRI>(context, std::move(monitor));
                                       })),
      bri(static_cast<BRI*>(port->GetDecoder()))
{
    clock.Set(NextClockStart());
    port->AttachDevice(std::make_unique<MemorySerialDevice>(wire));
    port->Timers().SetClock(clock);
    bri->StartTick();
    bri->isdnFrontEnd->Advance(clock.Now());
}

BriPortDriver::~BriPortDriver()
{
    NextClockStart() = clock.Now() + 1000;
}

uint8_t BriPortDriver::Send(uint8_t chdev, const Bytes& frame)
{
    Packet packet;
    packet.channel = chdev;
    packet.type = (chdev & 1) != 0 ? kFromCpe : kFromCo;
    packet.data = frame.data();
    packet.length = static_cast<uint32_t>(frame.size());
    return bri->Decode(packet);
}

void BriPortDriver::Feed(const Bytes& bytes)
{
    ::Feed(*wire, bytes);
    for (;;) {
        {
            std::lock_guard<std::mutex> guard(wire->mutex);
            if (wire->input.empty()) {
                return;
            }
        }
        port->Step();
    }
}

void BriPortDriver::Advance(uint32_t milliseconds)
{
    AdvanceWithTimers(clock, port->Timers(), milliseconds);
}

Line BriPortDriver::PortLine(uint32_t line, uint8_t tei)
{
    return Line([this](uint32_t chdev, const Bytes& frame, uint32_t) { return uint32_t{Send(static_cast<uint8_t>(chdev), frame)}; },
                line, tei);
}

}  // namespace isdntest
