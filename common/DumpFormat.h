// The dump file of recorded D-channel packets. Format 2 (the one written):
// 0x02, N units, N PBX type bytes, then records of 0x01, board, 4-byte
// little-endian milliseconds since that board's previous record, and the
// packet after its start marker (channel, type, L, L payload bytes, checksum).
// An older format, only ever read, has no header and its records lack the
// board and time fields. Written and read here for every producer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "common/PacketFrame.h"

namespace wire {

inline constexpr uint8_t kDumpFormat2 = 0x02;
inline constexpr size_t kMaxDumpUnits = 255;
// Format byte, unit count and a type byte for each of 255 units.
inline constexpr size_t kLongestDumpHeader = 2 + kMaxDumpUnits;
inline constexpr uint8_t kRecordStart = kPacketStart;
// A format-2 record's board byte and time field, behind its start byte.
inline constexpr size_t kRecordBoardAndGapSize = 5;

struct DumpHeader {
    bool formatTwo = false;
    std::vector<uint8_t> pbxTypes;  // format 2: one a unit, in board order
    size_t size = 0;                // bytes before the first record
};

enum class DumpHeaderParse { FormatTwo, OldFormat, CutShort };

// Appends the format-2 header; false (nothing appended) for more than kMaxDumpUnits units.
bool AppendDumpHeader(std::vector<uint8_t>& out, std::span<const uint8_t> pbxTypes);
// Reads the header at the front of a file's bytes. A first byte other than
// 0x02 (or none) is the old format, without a header.
DumpHeaderParse ParseDumpHeader(std::span<const uint8_t> bytes, DumpHeader& header);

// The time field, little-endian.
uint32_t ReadRecordGap(const uint8_t* field);

// Appends a format-2 record of a packet exactly as the unit sent it: the
// three header bytes and the L + 1 data bytes with their checksum.
void AppendRecordedPacket(std::vector<uint8_t>& out, uint8_t board, uint32_t gapMs,
                          std::span<const uint8_t, kPacketHeaderSize> header, std::span<const uint8_t> dataAndChecksum);
// Appends a format-2 record of a new packet, its checksum computed; false
// (nothing appended) when the payload does not fit a packet.
bool AppendDumpRecord(std::vector<uint8_t>& out, uint8_t board, uint32_t gapMs, uint8_t channel, uint8_t type,
                      std::span<const uint8_t> payload);

// One record read from memory; format 2 only gives board and gap.
struct DumpRecord {
    uint8_t board = 0;
    uint32_t gapMs = 0;
    uint8_t channel = 0;
    uint8_t type = 0;
    std::span<const uint8_t> dataAndChecksum;  // L + 1 bytes
    size_t size = 0;                           // bytes from the start byte to the checksum
    uint8_t Length() const { return static_cast<uint8_t>(dataAndChecksum.size() - 1); }
};

enum class RecordParse { Complete, NoStartByte, CutShort };

// Reads the record at the front of `bytes`. The checksum is not judged here:
// a player checks it as it checks a live packet.
RecordParse ParseDumpRecord(std::span<const uint8_t> bytes, bool formatTwo, DumpRecord& record);

}  // namespace wire
