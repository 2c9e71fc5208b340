// Fuzz entry: arbitrary packets, time and read-back through ERRICSOND
// (the input format is ContextFuzzHarness.h's; framed packets get their
// header byte and checksum).
#include "ContextFuzzHarness.h"
#include "decoders/ERRICSOND.h"
#include "../decoders/EricssonFrames.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    return fuzz::RunOnContext<ERRICSOND>(data, size, &md110_test::Frame);
}
