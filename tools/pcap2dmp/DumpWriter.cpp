#include "DumpWriter.h"

namespace pcap2dmp {

namespace {

constexpr uint8_t kFormatTwo = 0x02;
constexpr uint8_t kOneUnit = 0x01;
constexpr uint8_t kRecordStart = 0x01;
constexpr uint8_t kBoard = 0;

}  // namespace

uint16_t FrameCheckSequence(std::span<const uint8_t> frame)
{
    uint16_t crc = 0xFFFF;
    for (const uint8_t byte : frame) {
        crc ^= byte;
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc & 1) != 0 ? static_cast<uint16_t>((crc >> 1) ^ 0x8408) : static_cast<uint16_t>(crc >> 1);
        }
    }
    return static_cast<uint16_t>(~crc);
}

DumpWriter::DumpWriter() : bytes_{kFormatTwo, kOneUnit, kBriPbxType} {}

bool DumpWriter::Add(uint32_t gapMs, Sender sender, std::span<const uint8_t> frame)
{
    if (frame.size() > kMaxFrameWithoutFcs) {
        return false;
    }
    const uint16_t fcs = FrameCheckSequence(frame);
    std::vector<uint8_t> payload(frame.begin(), frame.end());
    payload.push_back(static_cast<uint8_t>(fcs & 0xFF));  // HDLC sends the low byte first
    payload.push_back(static_cast<uint8_t>(fcs >> 8));
    uint8_t sum = 0;
    for (const uint8_t byte : payload) {
        sum = static_cast<uint8_t>(sum + byte);
    }
    const bool fromCo = sender == Sender::CO;
    bytes_.insert(bytes_.end(), {kRecordStart, kBoard, static_cast<uint8_t>(gapMs), static_cast<uint8_t>(gapMs >> 8),
                                 static_cast<uint8_t>(gapMs >> 16), static_cast<uint8_t>(gapMs >> 24),
                                 fromCo ? kCoChannel : kCpeChannel, fromCo ? kCoPacketType : kCpePacketType,
                                 static_cast<uint8_t>(payload.size())});
    bytes_.insert(bytes_.end(), payload.begin(), payload.end());
    bytes_.push_back(static_cast<uint8_t>(0x100 - sum));
    return true;
}

}  // namespace pcap2dmp
