// Fuzz entry: arbitrary packets, time and read-back through DMERIDIAN
// (the input format is DecoderFuzzHarness.h's).
#include "DecoderFuzzHarness.h"
#include "decoders/DMERIDIAN.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    return fuzz::RunDecoder<DMERIDIAN>(data, size);
}
