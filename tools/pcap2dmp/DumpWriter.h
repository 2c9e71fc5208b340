// A dump file of format 2 for one basic-rate unit (board 0, PBX type 30): the
// header 0x02, 0x01, 30, then one record per frame: 0x01, board 0, the
// milliseconds since the previous record (32-bit little-endian), the unit's
// channel, the packet type, L, the L bytes of the frame with its check
// sequence, and a checksum byte that brings the 8-bit sum of the L bytes and
// itself to 0.
//
// Frames that the CO sent go on channel 0 (the even framer of line 0) with
// packet type 0x58 ('X', as the other PBX families mark the network's
// direction), frames that the CPE sent on channel 1 with type 0x48 ('H').
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "LapdFrames.h"

namespace pcap2dmp {

inline constexpr uint8_t kBriPbxType = 30;
inline constexpr uint8_t kCoChannel = 0;
inline constexpr uint8_t kCpeChannel = 1;
inline constexpr uint8_t kCoPacketType = 0x58;
inline constexpr uint8_t kCpePacketType = 0x48;
// A packet's length is one byte: the frame and its two check bytes must fit.
inline constexpr size_t kMaxFrameWithoutFcs = 255 - 2;

// The HDLC frame check sequence (CRC-16/X.25, ITU-T X.25 / ISO/IEC 13239) of `frame`.
uint16_t FrameCheckSequence(std::span<const uint8_t> frame);

class DumpWriter {
public:
    DumpWriter();

    // Appends the frame's record `gapMs` after the previous one; false (and
    // nothing written) when the frame does not fit a packet.
    bool Add(uint32_t gapMs, Sender sender, std::span<const uint8_t> frame);

    const std::vector<uint8_t>& Bytes() const { return bytes_; }
    std::vector<uint8_t> TakeBytes() { return std::move(bytes_); }
    // Room for about `bytes` of records, so that a long capture does not make the file grow many times.
    void Reserve(size_t bytes) { bytes_.reserve(bytes); }

private:
    std::vector<uint8_t> bytes_;
    // The frame being added, with its check sequence.
    std::vector<uint8_t> frameWithFcs_;
};

}  // namespace pcap2dmp
