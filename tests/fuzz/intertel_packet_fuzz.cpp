// Fuzz entry: arbitrary packets, time and read-back through INTERTELD
// (the input format is ContextFuzzHarness.h's).
#include "ContextFuzzHarness.h"
#include "decoders/INTERTELD.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    return fuzz::RunOnContext<INTERTELD>(data, size);
}
