#include "DumpWriter.h"

#include "common/HdlcFcs.h"

namespace pcap2dmp {

namespace {

constexpr uint8_t kFormatTwo = 0x02;
constexpr uint8_t kOneUnit = 0x01;
constexpr uint8_t kRecordStart = 0x01;
constexpr uint8_t kBoard = 0;

}  // namespace

uint16_t FrameCheckSequence(std::span<const uint8_t> frame)
{
    return HdlcFcs(frame.data(), frame.size());
}

DumpWriter::DumpWriter() : bytes_{kFormatTwo, kOneUnit, kBriPbxType} {}

bool DumpWriter::Add(uint32_t gapMs, Sender sender, std::span<const uint8_t> frame)
{
    if (frame.size() > kMaxFrameWithoutFcs) {
        return false;
    }
    const uint16_t fcs = FrameCheckSequence(frame);
    const bool fromCo = sender == Sender::CO;
    bytes_.insert(bytes_.end(), {kRecordStart, kBoard, static_cast<uint8_t>(gapMs), static_cast<uint8_t>(gapMs >> 8),
                                 static_cast<uint8_t>(gapMs >> 16), static_cast<uint8_t>(gapMs >> 24),
                                 fromCo ? kCoChannel : kCpeChannel, fromCo ? kCoPacketType : kCpePacketType,
                                 static_cast<uint8_t>(frame.size() + 2)});
    const size_t payloadStart = bytes_.size();
    bytes_.insert(bytes_.end(), frame.begin(), frame.end());
    bytes_.push_back(static_cast<uint8_t>(fcs & 0xFF));  // HDLC sends the low byte first
    bytes_.push_back(static_cast<uint8_t>(fcs >> 8));
    uint8_t sum = 0;
    for (size_t i = payloadStart; i < bytes_.size(); ++i) {
        sum = static_cast<uint8_t>(sum + bytes_[i]);
    }
    bytes_.push_back(static_cast<uint8_t>(0x100 - sum));
    return true;
}

}  // namespace pcap2dmp
