// Fuzz entry: arbitrary packets, time and read-back through MERLINMAGIXD
// (the input format is ContextFuzzHarness.h's; Merlin packets have no framing).
#include "ContextFuzzHarness.h"
#include "decoders/MERLINMAGIXD.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    return fuzz::RunOnContext<MERLINMAGIXD>(data, size, nullptr);
}
