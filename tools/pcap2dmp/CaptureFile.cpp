#include "CaptureFile.h"

#include <algorithm>

#include "ByteReader.h"

namespace pcap2dmp {

namespace {

constexpr uint32_t kPcapMicroseconds = 0xA1B2C3D4;
constexpr uint32_t kPcapNanoseconds = 0xA1B23C4D;
constexpr uint32_t kSectionHeaderBlock = 0x0A0D0D0A;
constexpr uint32_t kByteOrderMagic = 0x1A2B3C4D;
constexpr uint32_t kByteOrderMagicSwapped = 0x4D3C2B1A;
constexpr uint32_t kInterfaceBlock = 1;
constexpr uint32_t kObsoletePacketBlock = 2;
constexpr uint32_t kSimplePacketBlock = 3;
constexpr uint32_t kEnhancedPacketBlock = 6;
constexpr uint16_t kOptionEnd = 0;
constexpr uint16_t kOptionTimeResolution = 9;
constexpr uint32_t kPcapHeaderBytes = 24;
constexpr uint32_t kBlockFrameBytes = 12;  // type, length before the body, length after it
constexpr uint64_t kNsPerSecond = 1'000'000'000;

uint32_t Padded(uint32_t length)
{
    return (length + 3u) & ~3u;
}

std::string At(size_t offset, const std::string& what)
{
    return what + " at offset " + std::to_string(offset);
}

// ---------------------------------------------------------------- pcap

Capture ReadPcap(std::span<const uint8_t> file, bool bigEndian, bool nanoseconds)
{
    Capture capture;
    ByteReader reader(file, bigEndian);
    uint32_t magic = 0, zone = 0, significantFigures = 0, snapLength = 0, network = 0;
    uint16_t major = 0, minor = 0;
    if (!(reader.U32(magic) && reader.U16(major) && reader.U16(minor) && reader.U32(zone) &&
          reader.U32(significantFigures) && reader.U32(snapLength) && reader.U32(network))) {
        capture.error = "truncated pcap file header (" + std::to_string(file.size()) + " of " +
                        std::to_string(kPcapHeaderBytes) + " bytes)";
        return capture;
    }
    const uint32_t linkType = network & 0xFFFF;  // the upper bits tell about FCS, not the link
    // LAPD frames are short: a guess from the file's size saves growing the list many times.
    capture.packets.reserve(file.size() / 48);
    for (size_t number = 1; !reader.AtEnd(); ++number) {
        const size_t start = reader.Offset();
        uint32_t seconds = 0, fraction = 0, included = 0, original = 0;
        if (!(reader.U32(seconds) && reader.U32(fraction) && reader.U32(included) && reader.U32(original))) {
            capture.error = At(start, "packet " + std::to_string(number) + ": truncated record header");
            return capture;
        }
        std::span<const uint8_t> data;
        if (!reader.Bytes(included, data)) {
            capture.error = At(start, "packet " + std::to_string(number) + ": truncated data (" +
                                          std::to_string(reader.Remaining()) + " of " + std::to_string(included) +
                                          " bytes)");
            return capture;
        }
        CapturedPacket& packet = capture.packets.emplace_back();
        packet.timeNs = seconds * kNsPerSecond + (nanoseconds ? fraction : fraction * uint64_t{1000});
        packet.linkType = linkType;
        packet.originalLength = original;
        packet.bytes = data;
    }
    return capture;
}

// ---------------------------------------------------------------- pcapng

// An interface's time stamp unit: 10^-exponent or 2^-exponent seconds.
struct TimeResolution {
    bool binary = false;
    uint8_t exponent = 6;

    bool Supported() const { return binary ? exponent <= 63 : exponent <= 18; }
    uint64_t ToNs(uint64_t ticks) const
    {
        if (binary) {
            return static_cast<uint64_t>((static_cast<unsigned __int128>(ticks) * kNsPerSecond) >> exponent);
        }
        uint64_t scale = 1;
        for (int i = 9; i < exponent; ++i) {
            scale *= 10;
        }
        for (int i = exponent; i < 9; ++i) {
            scale *= 10;
        }
        return exponent <= 9 ? ticks * scale : ticks / scale;
    }
};

struct Interface {
    uint32_t linkType = 0;
    uint32_t snapLength = 0;
    TimeResolution resolution;
};

class PcapngReader {
public:
    explicit PcapngReader(std::span<const uint8_t> file) : file_(file) {}

    Capture Read()
    {
        while (at_ < file_.size() && capture_.error.empty()) {
            ReadBlock();
        }
        return std::move(capture_);
    }

private:
    void Fail(size_t offset, const std::string& what) { capture_.error = At(offset, what); }

    void ReadBlock()
    {
        ByteReader header(file_.subspan(at_), bigEndian_);
        uint32_t type = 0, length = 0;
        if (!header.U32(type)) {
            return Fail(at_, "truncated block header");
        }
        if (type == kSectionHeaderBlock && !StartSection()) {
            return;
        }
        header.SetBigEndian(bigEndian_);
        uint32_t trailing = 0;
        if (!header.U32(length)) {
            return Fail(at_, "truncated block header");
        }
        if (length < kBlockFrameBytes || length % 4 != 0 || length > file_.size() - at_) {
            return Fail(at_, "block of type " + std::to_string(type) + " with a bad length (" +
                                 std::to_string(length) + " bytes, " + std::to_string(file_.size() - at_) + " left)");
        }
        ByteReader end(file_.subspan(at_ + length - 4, 4), bigEndian_);
        if (!end.U32(trailing) || trailing != length) {
            return Fail(at_, "block whose two lengths differ (" + std::to_string(length) + " and " +
                                 std::to_string(trailing) + ")");
        }
        const std::span<const uint8_t> body = file_.subspan(at_ + 8, length - kBlockFrameBytes);
        const size_t bodyStart = at_ + 8;
        at_ += length;
        switch (type) {
        case kInterfaceBlock:
            return ReadInterface(body, bodyStart);
        case kEnhancedPacketBlock:
            return ReadEnhancedPacket(body, bodyStart);
        case kSimplePacketBlock:
            return ReadSimplePacket(body, bodyStart);
        case kObsoletePacketBlock:
            return ReadObsoletePacket(body, bodyStart);
        default:
            return;  // statistics, name resolution, custom ... say nothing about frames
        }
    }

    // A section header sets the byte order of its section; its interfaces start anew.
    bool StartSection()
    {
        ByteReader magic(file_.subspan(at_), false);
        uint32_t ignored = 0, order = 0;
        if (!(magic.U32(ignored) && magic.U32(ignored) && magic.U32(order))) {
            Fail(at_, "truncated section header");
            return false;
        }
        if (order != kByteOrderMagic && order != kByteOrderMagicSwapped) {
            Fail(at_, "section header without its byte-order magic");
            return false;
        }
        bigEndian_ = order == kByteOrderMagicSwapped;
        interfaces_.clear();
        return true;
    }

    void ReadInterface(std::span<const uint8_t> body, size_t offset)
    {
        ByteReader reader(body, bigEndian_);
        Interface described;
        uint16_t linkType = 0, reserved = 0;
        if (!(reader.U16(linkType) && reader.U16(reserved) && reader.U32(described.snapLength))) {
            return Fail(offset, "truncated interface description");
        }
        described.linkType = linkType;
        while (!reader.AtEnd()) {
            uint16_t code = 0, size = 0;
            std::span<const uint8_t> value;
            if (!(reader.U16(code) && reader.U16(size) && reader.Bytes(size, value) &&
                  reader.Skip(Padded(size) - size))) {
                return Fail(offset, "truncated interface option");
            }
            if (code == kOptionEnd) {
                break;
            }
            if (code == kOptionTimeResolution && size == 1) {
                described.resolution.binary = (value[0] & 0x80) != 0;
                described.resolution.exponent = value[0] & 0x7F;
            }
        }
        if (!described.resolution.Supported()) {
            return Fail(offset, "interface with an unsupported time resolution");
        }
        interfaces_.push_back(described);
    }

    const Interface* InterfaceOf(uint32_t id, size_t offset)
    {
        if (id >= interfaces_.size()) {
            Fail(offset, "packet of interface " + std::to_string(id) + ", which no block described");
            return nullptr;
        }
        return &interfaces_[id];
    }

    void Add(const Interface& interface, uint64_t timeNs, uint32_t original, std::span<const uint8_t> data)
    {
        CapturedPacket& packet = capture_.packets.emplace_back();
        packet.timeNs = timeNs;
        packet.linkType = interface.linkType;
        packet.originalLength = original;
        packet.bytes = data;
        lastTimeNs_ = timeNs;
    }

    // Interface, time stamp (two words), captured and original length, data.
    void ReadTimedPacket(ByteReader& reader, uint32_t interfaceId, size_t offset)
    {
        uint32_t high = 0, low = 0, captured = 0, original = 0;
        std::span<const uint8_t> data;
        if (!(reader.U32(high) && reader.U32(low) && reader.U32(captured) && reader.U32(original))) {
            return Fail(offset, "truncated packet block");
        }
        if (!reader.Bytes(captured, data)) {
            return Fail(offset, "packet block shorter than its data (" + std::to_string(captured) + " bytes)");
        }
        if (const Interface* interface = InterfaceOf(interfaceId, offset)) {
            Add(*interface, interface->resolution.ToNs((uint64_t{high} << 32) | low), original, data);
        }
    }

    void ReadEnhancedPacket(std::span<const uint8_t> body, size_t offset)
    {
        ByteReader reader(body, bigEndian_);
        uint32_t interfaceId = 0;
        if (!reader.U32(interfaceId)) {
            return Fail(offset, "truncated packet block");
        }
        ReadTimedPacket(reader, interfaceId, offset);
    }

    void ReadObsoletePacket(std::span<const uint8_t> body, size_t offset)
    {
        ByteReader reader(body, bigEndian_);
        uint16_t interfaceId = 0, drops = 0;
        if (!(reader.U16(interfaceId) && reader.U16(drops))) {
            return Fail(offset, "truncated packet block");
        }
        ReadTimedPacket(reader, interfaceId, offset);
    }

    // Interface 0, no time stamp; the data is what the block holds, up to the
    // original length and the interface's snap length.
    void ReadSimplePacket(std::span<const uint8_t> body, size_t offset)
    {
        ByteReader reader(body, bigEndian_);
        uint32_t original = 0;
        if (!reader.U32(original)) {
            return Fail(offset, "truncated simple packet block");
        }
        const Interface* interface = InterfaceOf(0, offset);
        if (interface == nullptr) {
            return;
        }
        size_t captured = std::min<size_t>(original, reader.Remaining());
        if (interface->snapLength != 0) {
            captured = std::min<size_t>(captured, interface->snapLength);
        }
        std::span<const uint8_t> data;
        reader.Bytes(captured, data);
        Add(*interface, lastTimeNs_, original, data);
    }

    std::span<const uint8_t> file_;
    size_t at_ = 0;
    bool bigEndian_ = false;
    std::vector<Interface> interfaces_;
    uint64_t lastTimeNs_ = 0;
    Capture capture_;
};

}  // namespace

bool IsCaptureFile(std::span<const uint8_t> file)
{
    ByteReader little(file, false);
    uint32_t magic = 0;
    if (!little.U32(magic)) {
        return false;
    }
    for (const uint32_t known : {kPcapMicroseconds, kPcapNanoseconds, kSectionHeaderBlock}) {
        if (magic == known || magic == __builtin_bswap32(known)) {
            return true;
        }
    }
    return false;
}

Capture ReadCapture(std::span<const uint8_t> file)
{
    ByteReader little(file, false);
    uint32_t magic = 0;
    if (!little.U32(magic)) {
        Capture capture;
        capture.error = "not a capture file: " + std::to_string(file.size()) + " bytes";
        return capture;
    }
    switch (magic) {
    case kPcapMicroseconds:
    case kPcapNanoseconds:
        return ReadPcap(file, false, magic == kPcapNanoseconds);
    case __builtin_bswap32(kPcapMicroseconds):
    case __builtin_bswap32(kPcapNanoseconds):
        return ReadPcap(file, true, magic == __builtin_bswap32(kPcapNanoseconds));
    case kSectionHeaderBlock:
        return PcapngReader(file).Read();
    default: {
        Capture capture;
        capture.error = "not a pcap or pcapng file (it starts with neither magic number)";
        return capture;
    }
    }
}

}  // namespace pcap2dmp
