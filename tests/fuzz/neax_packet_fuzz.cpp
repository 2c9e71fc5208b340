// Fuzz entry: arbitrary packets, time and read-back through CNeax2400D
// (the input format is DecoderFuzzHarness.h's; NEAX packets have no framing).
#include "DecoderFuzzHarness.h"
#include "decoders/CNeax2400D.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    return fuzz::RunDecoder<CNeax2400D>(data, size, nullptr);
}
