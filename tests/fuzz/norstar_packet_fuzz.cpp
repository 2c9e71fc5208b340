// Fuzz entry: arbitrary packets, time and read-back through NORSTARD
// (the input format is DecoderFuzzHarness.h's; Norstar packets have no framing).
#include "DecoderFuzzHarness.h"
#include "decoders/NORSTARD.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    return fuzz::RunDecoder<NORSTARD>(data, size, nullptr);
}
