#include "CaptureWriter.h"

namespace pcap2dmp {

namespace {

constexpr uint32_t kMagicMicroseconds = 0xA1B2C3D4;
constexpr uint32_t kMagicNanoseconds = 0xA1B23C4D;
constexpr uint32_t kSnapLength = 65535;
constexpr uint64_t kNsPerSecond = 1'000'000'000;
constexpr uint16_t kArphrdLapd = 0x0325;  // the hardware type of a LAPD device (ARPHRD_LAPD)

}  // namespace

PcapWriter::PcapWriter(uint32_t linkType, bool bigEndian, bool nanoseconds)
    : bigEndian_(bigEndian), nanoseconds_(nanoseconds)
{
    U32(nanoseconds ? kMagicNanoseconds : kMagicMicroseconds);
    U16(2);  // version 2.4
    U16(4);
    U32(0);  // time zone
    U32(0);  // significant figures
    U32(kSnapLength);
    U32(linkType);
}

void PcapWriter::Add(uint64_t timeNs, std::span<const uint8_t> packet, uint32_t originalLength)
{
    const uint64_t fraction = timeNs % kNsPerSecond;
    U32(static_cast<uint32_t>(timeNs / kNsPerSecond));
    U32(static_cast<uint32_t>(nanoseconds_ ? fraction : fraction / 1000));
    U32(static_cast<uint32_t>(packet.size()));
    U32(originalLength != 0 ? originalLength : static_cast<uint32_t>(packet.size()));
    bytes_.insert(bytes_.end(), packet.begin(), packet.end());
}

void PcapWriter::U16(uint16_t value)
{
    for (int i = 0; i < 2; ++i) {
        const int shift = bigEndian_ ? 8 * (1 - i) : 8 * i;
        bytes_.push_back(static_cast<uint8_t>(value >> shift));
    }
}

void PcapWriter::U32(uint32_t value)
{
    for (int i = 0; i < 4; ++i) {
        const int shift = bigEndian_ ? 8 * (3 - i) : 8 * i;
        bytes_.push_back(static_cast<uint8_t>(value >> shift));
    }
}

std::vector<uint8_t> LinuxLapdHeader(bool sentByCapturer, bool capturerIsNetwork)
{
    return {0x00,
            static_cast<uint8_t>(sentByCapturer ? 4 : 0),
            static_cast<uint8_t>(kArphrdLapd >> 8),
            static_cast<uint8_t>(kArphrdLapd & 0xFF),
            0x00,
            0x01,  // one address byte
            static_cast<uint8_t>(capturerIsNetwork ? 1 : 0),
            0, 0, 0, 0, 0, 0, 0,
            0x00,
            0x30};
}

}  // namespace pcap2dmp
