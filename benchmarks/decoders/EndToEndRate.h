// Packets per second end to end: a simulated unit (zaqsim, unpaced) sends the
// packets over a pseudo-terminal into the real library, started as an
// application starts it, with an event callback.
#pragma once

#include <string>

#include "InProcessRate.h"
#include "PacketMix.h"

// `packets` packets of the mix, then its sentinel; the time runs from the
// library's "ENRAW" to the sentinel's event. False with `error` set on failure.
bool MeasureEndToEnd(const PacketMix& mix, uint64_t packets, Rate& rate, std::string& error);
