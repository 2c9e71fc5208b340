#include "PcapngBuilder.h"

namespace capturetest {

PcapngBuilder::PcapngBuilder(bool bigEndian) : bigEndian_(bigEndian) {}

Bytes PcapngBuilder::U16(uint16_t value) const
{
    return bigEndian_ ? Bytes{static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value)}
                      : Bytes{static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8)};
}

Bytes PcapngBuilder::U32(uint32_t value) const
{
    Bytes bytes;
    for (int i = 0; i < 4; ++i) {
        bytes.push_back(static_cast<uint8_t>(value >> (bigEndian_ ? 8 * (3 - i) : 8 * i)));
    }
    return bytes;
}

PcapngBuilder& PcapngBuilder::Block(uint32_t type, const Bytes& body)
{
    Bytes padded = body;
    padded.resize((body.size() + 3) / 4 * 4, 0);
    const uint32_t length = static_cast<uint32_t>(padded.size() + 12);
    for (const Bytes& part : {U32(type), U32(length), padded, U32(length)}) {
        bytes_.insert(bytes_.end(), part.begin(), part.end());
    }
    return *this;
}

PcapngBuilder& PcapngBuilder::SectionHeader()
{
    Bytes body = U32(0x1A2B3C4D);
    for (const Bytes& part : {U16(1), U16(0), U32(0xFFFFFFFF), U32(0xFFFFFFFF)}) {
        body.insert(body.end(), part.begin(), part.end());
    }
    return Block(0x0A0D0D0A, body);
}

PcapngBuilder& PcapngBuilder::Interface(uint16_t linkType, std::optional<uint8_t> tsresol, uint32_t snap)
{
    Bytes body = U16(linkType);
    for (const Bytes& part : {U16(0), U32(snap)}) {
        body.insert(body.end(), part.begin(), part.end());
    }
    if (tsresol) {
        for (const Bytes& part : {U16(9), U16(1), Bytes{*tsresol, 0, 0, 0}, U16(0), U16(0)}) {
            body.insert(body.end(), part.begin(), part.end());
        }
    }
    return Block(1, body);
}

PcapngBuilder& PcapngBuilder::Enhanced(uint32_t interfaceId, uint64_t ticks, const Bytes& data,
                                       uint32_t original)
{
    Bytes body;
    for (const Bytes& part :
         {U32(interfaceId), U32(static_cast<uint32_t>(ticks >> 32)), U32(static_cast<uint32_t>(ticks)),
          U32(static_cast<uint32_t>(data.size())), U32(original != 0 ? original : static_cast<uint32_t>(data.size())),
          data}) {
        body.insert(body.end(), part.begin(), part.end());
    }
    return Block(6, body);
}

PcapngBuilder& PcapngBuilder::Simple(const Bytes& data, uint32_t original)
{
    Bytes body = U32(original != 0 ? original : static_cast<uint32_t>(data.size()));
    body.insert(body.end(), data.begin(), data.end());
    return Block(3, body);
}

}  // namespace capturetest
