// A capture of LAPD frames turned into a dump file for one basic-rate unit,
// the capture's time gaps kept (DumpWriter.h tells the file's layout).
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace pcap2dmp {

struct Conversion {
    std::vector<uint8_t> dump;          // the whole dump file; empty when `error` is set
    size_t framesWritten = 0;
    size_t packetsSkipped = 0;
    std::vector<std::string> warnings;  // one per packet left out, with its number
    std::string error;                  // why nothing can be written
};

Conversion ConvertCapture(std::span<const uint8_t> captureFile);

}  // namespace pcap2dmp
