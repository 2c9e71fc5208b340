// Fuzz entry: arbitrary packets, time and read-back through INTERTELD (the
// input format is ContextFuzzHarness.h's). A framed packet gets a frame byte,
// its count and the byte that makes its sum 0xAA, so that it passes the check.
#include <numeric>

#include "ContextFuzzHarness.h"
#include "decoders/INTERTELD.h"

namespace {

std::vector<uint8_t> WithChecksum(const std::vector<uint8_t>& messages)
{
    std::vector<uint8_t> packet{0x00, static_cast<uint8_t>(messages.size())};
    packet.insert(packet.end(), messages.begin(), messages.end());
    const auto sum = static_cast<uint8_t>(std::accumulate(packet.begin() + 1, packet.end(), 0u));
    packet.push_back(static_cast<uint8_t>(0xAA - sum));
    return packet;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    return fuzz::RunOnContext<INTERTELD>(data, size, &WithChecksum);
}
