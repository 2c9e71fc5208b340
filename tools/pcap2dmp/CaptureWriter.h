// Writes classic pcap files (for the ISDN traffic generator and the tests):
// a file header for one link type, then one record per packet.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace pcap2dmp {

class PcapWriter {
public:
    // nanoseconds: time stamps with nanoseconds instead of microseconds.
    explicit PcapWriter(uint32_t linkType, bool bigEndian = false, bool nanoseconds = false);

    // `originalLength` 0: the packet as captured is the whole packet.
    void Add(uint64_t timeNs, std::span<const uint8_t> packet, uint32_t originalLength = 0);

    const std::vector<uint8_t>& Bytes() const { return bytes_; }

private:
    void U16(uint16_t value);
    void U32(uint32_t value);

    bool bigEndian_;
    bool nanoseconds_;
    std::vector<uint8_t> bytes_;
};

// The 16-byte LINUX_LAPD header: packet type 4 when the capturing side sent
// the frame (0 when it received it), address byte 0 = 1 when the capturing
// side is the network, protocol 0x0030 (LAPD).
std::vector<uint8_t> LinuxLapdHeader(bool sentByCapturer, bool capturerIsNetwork);

}  // namespace pcap2dmp
