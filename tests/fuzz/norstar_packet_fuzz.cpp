// Fuzz entry: arbitrary packets, time and read-back through NORSTARD
// (the input format is ContextFuzzHarness.h's; Norstar packets have no framing).
#include "ContextFuzzHarness.h"
#include "decoders/NORSTARD.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    return fuzz::RunOnContext<NORSTARD>(data, size, nullptr);
}
