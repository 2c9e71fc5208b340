// Fuzz entry: arbitrary packets, time and read-back through ERRICSOND
// (the input format is DecoderFuzzHarness.h's; framed packets get their
// header byte and checksum).
#include "../decoders/EricssonFrames.h"
#include "DecoderFuzzHarness.h"
#include "decoders/ERRICSOND.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    return fuzz::RunDecoder<ERRICSOND>(data, size, &md110_test::Frame);
}
