#include "common/PacketFrame.h"

namespace wire {

namespace {

uint8_t Sum(std::span<const uint8_t> bytes)
{
    uint8_t sum = 0;
    for (const uint8_t byte : bytes) {
        sum = static_cast<uint8_t>(sum + byte);
    }
    return sum;
}

}  // namespace

uint8_t PacketChecksum(std::span<const uint8_t> payload)
{
    return static_cast<uint8_t>(0x100 - Sum(payload));
}

bool PacketChecksumHolds(std::span<const uint8_t> payloadAndChecksum)
{
    return Sum(payloadAndChecksum) == 0;
}

bool AppendPacketBody(std::vector<uint8_t>& out, uint8_t channel, uint8_t type, std::span<const uint8_t> payload)
{
    if (payload.size() > kMaxPacketPayload) {
        return false;
    }
    out.insert(out.end(), {channel, type, static_cast<uint8_t>(payload.size())});
    out.insert(out.end(), payload.begin(), payload.end());
    out.push_back(PacketChecksum(payload));
    return true;
}

bool AppendPacket(std::vector<uint8_t>& out, uint8_t channel, uint8_t type, std::span<const uint8_t> payload)
{
    if (payload.size() > kMaxPacketPayload) {
        return false;
    }
    out.push_back(kPacketStart);
    return AppendPacketBody(out, channel, type, payload);
}

PacketParse ParsePacket(std::span<const uint8_t> bytes, PacketFields& packet)
{
    if (bytes.empty() || bytes[0] != kPacketStart) {
        return PacketParse::NoStartMarker;
    }
    constexpr size_t kPayloadAt = 1 + kPacketHeaderSize;
    if (bytes.size() < kPayloadAt) {
        return PacketParse::CutShort;
    }
    const size_t length = bytes[3];
    const size_t size = kPayloadAt + length + 1;
    if (bytes.size() < size) {
        return PacketParse::CutShort;
    }
    packet.channel = bytes[1];
    packet.type = bytes[2];
    packet.payload = bytes.subspan(kPayloadAt, length);
    packet.checksum = bytes[size - 1];
    packet.size = size;
    return PacketChecksumHolds(bytes.subspan(kPayloadAt, length + 1)) ? PacketParse::Complete
                                                                       : PacketParse::BadChecksum;
}

}  // namespace wire
