// Packets per second through a decoder in this process: its port's reader
// loop takes the packets from an in-memory unit that replays them without end,
// or the decoder alone is handed them one by one.
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

// Through the port: framing, decoding, posting.
Rate MeasureInProcess(const PacketMix& mix, double seconds);
// The decoder alone: decoding and posting.
Rate MeasureDecoderAlone(const PacketMix& mix, double seconds);
