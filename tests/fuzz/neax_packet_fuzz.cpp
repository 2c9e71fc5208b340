// Fuzz entry: arbitrary packets, time and read-back through CNeax2400D
// (the input format is ContextFuzzHarness.h's; NEAX packets have no framing).
#include "ContextFuzzHarness.h"
#include "decoders/CNeax2400D.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    return fuzz::RunOnContext<CNeax2400D>(data, size, nullptr);
}
