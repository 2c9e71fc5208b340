// Fuzz entry: arbitrary packets, time and read-back through HICOMD
// (the input format is DecoderFuzzHarness.h's).
#include "DecoderFuzzHarness.h"
#include "decoders/HICOMD.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    return fuzz::RunDecoder<HICOMD>(data, size);
}
