#include "DumpWriter.h"

#include <array>

#include "common/DumpFormat.h"
#include "common/HdlcFcs.h"

namespace pcap2dmp {

namespace {

constexpr uint8_t kBoard = 0;

}  // namespace

uint16_t FrameCheckSequence(std::span<const uint8_t> frame)
{
    return HdlcFcs(frame.data(), frame.size());
}

DumpWriter::DumpWriter()
{
    wire::AppendDumpHeader(bytes_, std::array<uint8_t, 1>{kBriPbxType});
}

bool DumpWriter::Add(uint32_t gapMs, Sender sender, std::span<const uint8_t> frame)
{
    if (frame.size() > kMaxFrameWithoutFcs) {
        return false;
    }
    frameWithFcs_.assign(frame.begin(), frame.end());
    AppendHdlcFcs(frameWithFcs_);
    const bool fromCo = sender == Sender::CO;
    return wire::AppendDumpRecord(bytes_, kBoard, gapMs, fromCo ? kCoChannel : kCpeChannel,
                                  fromCo ? kCoPacketType : kCpePacketType, frameWithFcs_);
}

}  // namespace pcap2dmp
