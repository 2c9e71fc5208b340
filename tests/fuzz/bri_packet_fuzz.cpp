// Fuzz entry: the ISDN unit's packets through two BRI ports of one link (one
// ISDN monitor, so calls may move between the boards), with time passing for
// the 100 ms tick and the protocol timers, and the call-control read-back of
// an application. Call events come out with their call records.
//
// Input records:
//   P (0x00 to 0xEF), length, frame   a D-channel frame on local channel P & 0x0F of
//                                     board (P >> 5) & 1, as the CO (P & 0x10 clear)
//                                     or the CPE sends it
//   0xF0, n                           n x 100 ms pass
//   0xF1, channel                     call status by channel and by reference, statistics
// A record cut short by the end of the input takes what is left.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "isdn/monitor/IsdnMonitor.h"
#include "isdn/port/BRI.h"
#include "support/FakeClock.h"
#include "ReadingSink.h"

namespace {

constexpr uint8_t kTimeRecord = 0xF0;
constexpr uint8_t kStatusRecord = 0xF1;
constexpr uint8_t kFromCpe = 0x10;
constexpr uint8_t kSecondBoard = 0x20;
constexpr uint8_t kCoType = 0x58;
constexpr uint8_t kCpeType = 0x48;
constexpr uint32_t kClockStart = 1000;

// One BRI port's decoder side: its context, timer queue and the BRI itself.
struct Board {
    Board(uint32_t startChannel, EventSink& sink, FakeClock& clock, std::shared_ptr<isdn::IsdnMonitor> monitor)
        : timers(clock), context(startChannel, sink, timers), bri(context, std::move(monitor))
    {
    }
    platform::TimerQueue timers;
    DecoderContext context;
    BRI bri;
};

// Moves the clock, running each board's timers when they fall due.
void Advance(FakeClock& clock, Board& first, Board& second, uint32_t milliseconds)
{
    for (;;) {
        int64_t next = first.timers.MsUntilNextDue();
        const int64_t other = second.timers.MsUntilNextDue();
        if (next < 0 || (other >= 0 && other < next)) {
            next = other;
        }
        if (next < 0 || next > milliseconds) {
            break;
        }
        clock.Advance(static_cast<uint32_t>(next));
        milliseconds -= static_cast<uint32_t>(next);
        first.timers.RunDue();
        second.timers.RunDue();
    }
    clock.Advance(milliseconds);
}

void ReadStatus(ISDNPT& frontEnd, uint32_t channel)
{
    ZAQ16_CALL_STATUS status{};
    ZAQ16_CALL_STATISTICS statistics{};
    frontEnd.GetStatusByCh(channel, &status);
    frontEnd.GetStatusByRef(channel, &status);
    frontEnd.GetStatistics(channel, &statistics);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FakeClock clock;
    clock.Set(kClockStart);
    ReadingSink sink;
    auto monitor = std::make_shared<isdn::IsdnMonitor>();
    Board first(1, sink, clock, monitor);
    Board second(1 + DecoderContext::kChannels, sink, clock, monitor);
    first.bri.isdnFrontEnd->Advance(clock.Now());
    second.bri.isdnFrontEnd->Advance(clock.Now());

    size_t at = 0;
    auto next = [&]() -> uint8_t { return at < size ? data[at++] : 0; };
    while (at < size) {
        const uint8_t kind = next();
        if (kind == kTimeRecord) {
            Advance(clock, first, second, 100u * next());
        } else if (kind == kStatusRecord) {
            ReadStatus(*first.bri.isdnFrontEnd, next());
        } else {
            const size_t length = std::min<size_t>(next(), size - at);
            // A copy of exactly the frame's size, so a read past it is caught.
            const std::vector<uint8_t> frame(data + at, data + at + length);
            at += length;
            Packet packet;
            packet.channel = kind & 0x0F;
            packet.type = (kind & kFromCpe) != 0 ? kCpeType : kCoType;
            packet.data = frame.data();
            packet.length = static_cast<uint32_t>(frame.size());
            Board& board = (kind & kSecondBoard) != 0 ? second : first;
            board.bri.Decode(packet);
        }
    }
    return 0;
}
