// Fuzz entry: arbitrary packets, time and read-back through DEFINITY2D
// (the input format is DecoderFuzzHarness.h's).
#include "DecoderFuzzHarness.h"
#include "decoders/DEFINITY2D.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    return fuzz::RunDecoder<DEFINITY2D>(data, size);
}
