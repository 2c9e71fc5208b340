// Hand-made pcapng files for the tests: blocks in either byte order, each
// framed with its two lengths, so that single fields can be spoiled on purpose.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace capturetest {

using Bytes = std::vector<uint8_t>;

class PcapngBuilder {
public:
    explicit PcapngBuilder(bool bigEndian = false);

    PcapngBuilder& SectionHeader();
    // tsresol: the if_tsresol option's byte, when given.
    PcapngBuilder& Interface(uint16_t linkType, std::optional<uint8_t> tsresol = std::nullopt, uint32_t snap = 0);
    PcapngBuilder& Enhanced(uint32_t interfaceId, uint64_t ticks, const Bytes& data, uint32_t original = 0);
    PcapngBuilder& Simple(const Bytes& data, uint32_t original = 0);
    // Any block: its body is padded to 4 bytes and framed with the lengths.
    PcapngBuilder& Block(uint32_t type, const Bytes& body);

    const Bytes& File() const { return bytes_; }

    // Fields in the builder's byte order.
    Bytes U16(uint16_t value) const;
    Bytes U32(uint32_t value) const;

private:
    bool bigEndian_;
    Bytes bytes_;
};

}  // namespace capturetest
