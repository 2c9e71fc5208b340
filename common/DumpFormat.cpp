#include "common/DumpFormat.h"

namespace wire {

bool AppendDumpHeader(std::vector<uint8_t>& out, std::span<const uint8_t> pbxTypes)
{
    if (pbxTypes.size() > kMaxDumpUnits) {
        return false;
    }
    out.insert(out.end(), {kDumpFormat2, static_cast<uint8_t>(pbxTypes.size())});
    out.insert(out.end(), pbxTypes.begin(), pbxTypes.end());
    return true;
}

DumpHeaderParse ParseDumpHeader(std::span<const uint8_t> bytes, DumpHeader& header)
{
    header = DumpHeader{};
    if (bytes.empty() || bytes[0] != kDumpFormat2) {
        return DumpHeaderParse::OldFormat;
    }
    header.formatTwo = true;
    if (bytes.size() < 2 || bytes.size() < 2u + bytes[1]) {
        return DumpHeaderParse::CutShort;
    }
    header.pbxTypes.assign(bytes.begin() + 2, bytes.begin() + 2 + bytes[1]);
    header.size = 2u + bytes[1];
    return DumpHeaderParse::FormatTwo;
}

uint32_t ReadRecordGap(const uint8_t* field)
{
    return field[0] | (field[1] << 8) | (field[2] << 16) | (static_cast<uint32_t>(field[3]) << 24);
}

namespace {

void AppendRecordPrefix(std::vector<uint8_t>& out, uint8_t board, uint32_t gapMs)
{
    out.insert(out.end(), {kRecordStart, board, static_cast<uint8_t>(gapMs), static_cast<uint8_t>(gapMs >> 8),
                           static_cast<uint8_t>(gapMs >> 16), static_cast<uint8_t>(gapMs >> 24)});
}

}  // namespace

void AppendRecordedPacket(std::vector<uint8_t>& out, uint8_t board, uint32_t gapMs,
                          std::span<const uint8_t, kPacketHeaderSize> header, std::span<const uint8_t> dataAndChecksum)
{
    AppendRecordPrefix(out, board, gapMs);
    out.insert(out.end(), header.begin(), header.end());
    out.insert(out.end(), dataAndChecksum.begin(), dataAndChecksum.end());
}

bool AppendDumpRecord(std::vector<uint8_t>& out, uint8_t board, uint32_t gapMs, uint8_t channel, uint8_t type,
                      std::span<const uint8_t> payload)
{
    if (payload.size() > kMaxPacketPayload) {
        return false;
    }
    AppendRecordPrefix(out, board, gapMs);
    return AppendPacketBody(out, channel, type, payload);
}

RecordParse ParseDumpRecord(std::span<const uint8_t> bytes, bool formatTwo, DumpRecord& record)
{
    if (bytes.empty() || bytes[0] != kRecordStart) {
        return RecordParse::NoStartByte;
    }
    const size_t headerAt = 1 + (formatTwo ? kRecordBoardAndGapSize : 0);
    const size_t dataAt = headerAt + kPacketHeaderSize;
    if (bytes.size() < dataAt) {
        return RecordParse::CutShort;
    }
    const size_t dataCount = static_cast<size_t>(bytes[headerAt + 2]) + 1;
    if (bytes.size() < dataAt + dataCount) {
        return RecordParse::CutShort;
    }
    record = DumpRecord{};
    if (formatTwo) {
        record.board = bytes[1];
        record.gapMs = ReadRecordGap(bytes.data() + 2);
    }
    record.channel = bytes[headerAt];
    record.type = bytes[headerAt + 1];
    record.dataAndChecksum = bytes.subspan(dataAt, dataCount);
    record.size = dataAt + dataCount;
    return RecordParse::Complete;
}

}  // namespace wire
