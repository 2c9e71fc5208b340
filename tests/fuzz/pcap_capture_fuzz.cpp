// Fuzz target: arbitrary bytes as a capture file through pcap2dmp's
// conversion (pcap and pcapng reading, LAPD senders, dump writing). Seeds in
// corpus/pcap/; without ZAQ_FUZZ each seed runs as a test.
#include <cstddef>
#include <cstdint>
#include <span>

#include "Conversion.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    pcap2dmp::ConvertCapture(std::span<const uint8_t>(data, size));
    return 0;
}
