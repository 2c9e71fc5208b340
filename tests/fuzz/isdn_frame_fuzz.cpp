// Fuzz entry: arbitrary frames and timer ticks through the ISDN front end.
//
// Input: a configuration byte (bit 0: the mode; the rest: the number of call
// entities), then records:
//   framer (0 to 0xFC), length, that many frame bytes  - one frame
//   0xFD, channel                                      - the status copies of that channel
//   0xFE, count                                        - 4 x count timer ticks
// A record cut short by the end of the input takes what is left.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "isdn/frontend/ISDNPT.h"
#include "ReadingSink.h"

namespace {

constexpr uint8_t kStatusRecord = 0xFD;
constexpr uint8_t kTickRecord = 0xFE;

void CopyStatus(ISDNPT& frontEnd, uint32_t channel)
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
    if (size == 0) {
        return 0;
    }
    ReadingSink sink;
    isdn::IsdnMonitor monitor;
    ISDNPT frontEnd(monitor, sink);
    frontEnd.Start(data[0] & 0x01, 32, 1 + (data[0] >> 1) % 60);
    size_t position = 1;
    while (position < size) {
        const uint8_t kind = data[position++];
        const uint8_t count = position < size ? data[position++] : 0;
        if (kind == kTickRecord) {
            for (int tick = 0; tick < 4 * count; ++tick) {
                frontEnd.Tick();
            }
        } else if (kind == kStatusRecord) {
            CopyStatus(frontEnd, count);
        } else {
            const size_t length = count < size - position ? count : size - position;
            // A copy of exactly the frame's size, so a read past it is caught.
            const std::vector<uint8_t> frame(data + position, data + position + length);
            frontEnd.HDLCFrameRcvd(kind, frame.data(), static_cast<uint32_t>(frame.size()), 0, 0);
            position += length;
        }
    }
    return 0;
}
