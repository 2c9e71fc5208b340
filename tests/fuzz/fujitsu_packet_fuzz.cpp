// Fuzz entry: arbitrary packets, time and read-back through FUJITSU
// (the input format is DecoderFuzzHarness.h's).
#include "DecoderFuzzHarness.h"
#include "decoders/FUJITSU.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    return fuzz::RunDecoder<FUJITSU>(data, size);
}
