// Packets per second through the demo's decoders: fed in this process from an
// in-memory unit through the port's reader, to the decoder alone, and end to
// end from zaqsim over a pseudo-terminal into the library. The goals: at least
// 1,000,000 packets per second through the port, 2,000,000 to a decoder alone.
//
//   decoder_benchmark [seconds in-process] [packets end to end]
#include <cstdio>
#include <cstdlib>
#include <string>

#include "EndToEndRate.h"
#include "InProcessRate.h"
#include "PacketMix.h"

int main(int argc, char** argv)
{
    const double seconds = argc > 1 ? std::atof(argv[1]) : 3.0;
    const uint64_t packets = argc > 2 ? std::strtoull(argv[2], nullptr, 10) : 1000000;
    std::string error;
    const std::vector<PacketMix> mixes = DemoPacketMixes(error);
    if (mixes.empty()) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    int failures = 0;
    for (const PacketMix& mix : mixes) {
        const Rate local = MeasureInProcess(mix, seconds);
        std::printf("%-10s in-process: %10.0f packets/s (%llu packets, %.0f events/s)%s\n", mix.name.c_str(),
                    local.PacketsPerSecond(), static_cast<unsigned long long>(local.packets), local.EventsPerSecond(),
                    local.PacketsPerSecond() >= 1e6 ? "" : "  below the goal of 1,000,000");
        const Rate alone = MeasureDecoderAlone(mix, seconds);
        std::printf("%-10s decoder alone: %10.0f packets/s (%llu packets, %.0f events/s)%s\n", mix.name.c_str(),
                    alone.PacketsPerSecond(), static_cast<unsigned long long>(alone.packets), alone.EventsPerSecond(),
                    alone.PacketsPerSecond() >= 2e6 ? "" : "  below the goal of 2,000,000");
        Rate wire;
        if (!MeasureEndToEnd(mix, packets, wire, error)) {
            std::printf("%-10s end to end: failed: %s\n", mix.name.c_str(), error.c_str());
            ++failures;
            continue;
        }
        std::printf("%-10s end to end: %10.0f packets/s (%llu packets in %.2f s, %.0f events/s)\n", mix.name.c_str(),
                    wire.PacketsPerSecond(), static_cast<unsigned long long>(wire.packets), wire.seconds,
                    wire.EventsPerSecond());
    }
    return failures == 0 ? 0 : 1;
}
