// Fuzz entry: arbitrary packets, time and read-back through INTERTELD (the
// input format is ContextFuzzHarness.h's). A framed packet gets a frame byte,
// its count and the byte that makes its sum 0xAA, so that it passes the check.
#include <algorithm>
#include <numeric>

#include "ContextFuzzHarness.h"
#include "decoders/INTERTELD.h"

namespace {

std::vector<uint8_t> WithChecksum(const std::vector<uint8_t>& messages)
{
    std::vector<uint8_t> packet(messages.size() + 3);
    packet[1] = static_cast<uint8_t>(messages.size());
    std::copy(messages.begin(), messages.end(), packet.begin() + 2);
    const auto sum = static_cast<uint8_t>(std::accumulate(packet.begin() + 1, packet.end() - 1, 0u));
    packet.back() = static_cast<uint8_t>(0xAA - sum);
    return packet;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    return fuzz::RunOnContext<INTERTELD>(data, size, &WithChecksum);
}
