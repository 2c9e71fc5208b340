// The unit's D-channel packet on the serial line: 0x01, local channel, type,
// length L, L payload bytes, and a checksum byte that brings the 8-bit sum of
// payload and checksum to 0. Built and checked here for every producer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace wire {

inline constexpr uint8_t kPacketStart = 0x01;
// Channel, type and length follow the start marker.
inline constexpr size_t kPacketHeaderSize = 3;
inline constexpr size_t kMaxPacketPayload = 255;

// The checksum byte that completes `payload`.
uint8_t PacketChecksum(std::span<const uint8_t> payload);
// The payload and its checksum byte (L + 1 bytes) sum to 0.
bool PacketChecksumHolds(std::span<const uint8_t> payloadAndChecksum);

// Appends channel, type, L, the payload and its checksum: a packet after its
// start marker, as a dump record carries it. False (nothing appended) when the
// payload is longer than kMaxPacketPayload.
bool AppendPacketBody(std::vector<uint8_t>& out, uint8_t channel, uint8_t type, std::span<const uint8_t> payload);
// The same with the start marker in front: the packet as the unit sends it.
bool AppendPacket(std::vector<uint8_t>& out, uint8_t channel, uint8_t type, std::span<const uint8_t> payload);

// One packet read from memory.
struct PacketFields {
    uint8_t channel = 0;
    uint8_t type = 0;
    std::span<const uint8_t> payload;
    uint8_t checksum = 0;
    // Bytes from the start marker to the checksum.
    size_t size = 0;
};

enum class PacketParse { Complete, NoStartMarker, CutShort, BadChecksum };

// Reads the packet at the front of `bytes` (start marker first). On
// BadChecksum the fields are filled in all the same.
PacketParse ParsePacket(std::span<const uint8_t> bytes, PacketFields& packet);

}  // namespace wire
