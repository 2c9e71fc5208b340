// Bounded reading of a byte buffer in either byte order: every read says
// whether the bytes were there, so a truncated file is noticed, never overrun.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace pcap2dmp {

class ByteReader {
public:
    explicit ByteReader(std::span<const uint8_t> bytes, bool bigEndian = false) : bytes_(bytes), bigEndian_(bigEndian)
    {
    }

    void SetBigEndian(bool bigEndian) { bigEndian_ = bigEndian; }
    size_t Offset() const { return at_; }
    size_t Remaining() const { return bytes_.size() - at_; }
    bool AtEnd() const { return at_ == bytes_.size(); }

    bool U16(uint16_t& value) { return Number(value, 2); }
    bool U32(uint32_t& value) { return Number(value, 4); }
    // The next `count` bytes, without copying them.
    bool Bytes(size_t count, std::span<const uint8_t>& out)
    {
        if (Remaining() < count) {
            return false;
        }
        out = bytes_.subspan(at_, count);
        at_ += count;
        return true;
    }
    bool Skip(size_t count)
    {
        std::span<const uint8_t> skipped;
        return Bytes(count, skipped);
    }

private:
    template <typename Value>
    bool Number(Value& value, size_t size)
    {
        if (Remaining() < size) {
            return false;
        }
        value = 0;
        for (size_t i = 0; i < size; ++i) {
            const size_t index = bigEndian_ ? i : size - 1 - i;
            value = static_cast<Value>((value << 8) | bytes_[at_ + index]);
        }
        at_ += size;
        return true;
    }

    std::span<const uint8_t> bytes_;
    bool bigEndian_;
    size_t at_ = 0;
};

}  // namespace pcap2dmp
