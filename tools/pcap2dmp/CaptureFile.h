// Capture files as libpcap and Wireshark write them: the classic pcap format
// (either byte order, micro- or nanosecond time stamps) and pcapng (sections,
// interfaces with their own link types and time resolutions, enhanced,
// simple and obsolete packet blocks; other blocks are passed over).
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace pcap2dmp {

struct CapturedPacket {
    uint64_t timeNs = 0;          // since 1970; pcapng simple packets take the time of the packet before
    uint32_t linkType = 0;
    uint32_t originalLength = 0;  // on the wire; more than bytes.size() when the capture cut it short
    std::span<const uint8_t> bytes;  // in the file's bytes
};

struct Capture {
    std::vector<CapturedPacket> packets;
    std::string error;  // empty when the whole file was read; else what is wrong and where
};

// True when the file starts with the magic number of pcap (either byte order,
// micro- or nanoseconds) or pcapng; dump files never do (they start with 0x01 or 0x02).
bool IsCaptureFile(std::span<const uint8_t> file);

// Reads a whole capture file. On a damaged or truncated file `error` says
// what and where, and `packets` holds what came before the damage. The
// packets refer to the file's bytes, which must outlive them.
Capture ReadCapture(std::span<const uint8_t> file);
// A file that would be gone before its packets are read is refused at compile time.
Capture ReadCapture(std::vector<uint8_t>&& file) = delete;

}  // namespace pcap2dmp
