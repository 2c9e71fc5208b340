// Packets per second through a decoder in this process: its reader loop takes
// the packets from an in-memory unit that replays them without end.
#pragma once

#include <cstdint>

#include "PacketMix.h"

struct Rate {
    uint64_t packets = 0;
    uint64_t events = 0;
    double seconds = 0;
    double PacketsPerSecond() const { return seconds > 0 ? packets / seconds : 0; }
    double EventsPerSecond() const { return seconds > 0 ? events / seconds : 0; }
};

Rate MeasureInProcess(const PacketMix& mix, double seconds);
// The decoder alone: each packet handed to Decode as the reader frames it,
// the display timers run between packets; no byte stream to frame.
Rate MeasureDecoderAlone(const PacketMix& mix, double seconds);
