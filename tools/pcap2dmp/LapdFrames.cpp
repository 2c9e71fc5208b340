#include "LapdFrames.h"

namespace pcap2dmp {

namespace {

constexpr size_t kLinuxLapdHeader = 16;
constexpr uint16_t kSentByCapturer = 4;
constexpr size_t kNetworkFlagOffset = 6;  // the first address byte
constexpr size_t kMinFrame = 2;           // address only: the control byte may be missing in a damaged frame

constexpr uint8_t kPollFinal = 0x10;

enum class Kind { Command, Response, Supervisory };

// U frames by their control byte without the P/F bit.
struct UnnumberedKind {
    uint8_t control;
    Kind kind;
};
constexpr UnnumberedKind kUnnumbered[] = {
    {0x6F, Kind::Command},   // SABME
    {0x43, Kind::Command},   // DISC
    {0x03, Kind::Command},   // UI
    {0xAF, Kind::Command},   // XID
    {0x63, Kind::Response},  // UA
    {0x0F, Kind::Response},  // DM
    {0x87, Kind::Response},  // FRMR
};

Kind KindOf(uint8_t control)
{
    if ((control & 0x01) == 0) {
        return Kind::Command;  // I frame
    }
    if ((control & 0x03) == 0x01) {
        return Kind::Supervisory;
    }
    for (const UnnumberedKind& row : kUnnumbered) {
        if (row.control == (control & ~kPollFinal)) {
            return row.kind;
        }
    }
    return Kind::Command;
}

Sender Other(Sender side)
{
    return side == Sender::CO ? Sender::CPE : Sender::CO;
}

// The network sets C/R in its commands, the subscriber in its responses.
Sender SenderOf(bool commandResponse, bool command)
{
    return commandResponse == command ? Sender::CO : Sender::CPE;
}

}  // namespace

std::optional<LapdFrame> LapdFrameReader::Take(const CapturedPacket& packet, std::string& problem)
{
    // The frame refers to the packet's bytes: it lives no longer than the packet.
    if (packet.originalLength > packet.bytes.size()) {
        problem = "cut short by the capture (" + std::to_string(packet.bytes.size()) + " of " +
                  std::to_string(packet.originalLength) + " bytes)";
        return std::nullopt;
    }
    LapdFrame frame;
    frame.timeNs = packet.timeNs;
    std::span<const uint8_t> bytes(packet.bytes);
    if (packet.linkType == kLinkTypeLinuxLapd) {
        if (bytes.size() < kLinuxLapdHeader + kMinFrame) {
            problem = "shorter than the LINUX_LAPD header and an address";
            return std::nullopt;
        }
        const bool sentByCapturer = ((bytes[0] << 8) | bytes[1]) == kSentByCapturer;
        const bool capturerIsNetwork = bytes[kNetworkFlagOffset] == 1;
        frame.sender = sentByCapturer == capturerIsNetwork ? Sender::CO : Sender::CPE;
        bytes = bytes.subspan(kLinuxLapdHeader);
    } else if (packet.linkType == kLinkTypeLapd) {
        const std::optional<Sender> sender = BareFrameSender(bytes);
        if (!sender) {
            problem = "shorter than a LAPD address and control field";
            return std::nullopt;
        }
        frame.sender = *sender;
    } else {
        problem = "link type " + std::to_string(packet.linkType) + " is not LAPD";
        return std::nullopt;
    }
    frame.bytes = bytes;
    return frame;
}

std::optional<Sender> LapdFrameReader::BareFrameSender(std::span<const uint8_t> frame)
{
    if (frame.size() < 3) {
        return std::nullopt;
    }
    const bool commandResponse = (frame[0] & 0x02) != 0;
    const uint16_t link = static_cast<uint16_t>((frame[0] << 8) | frame[1]);
    // Extended (two-byte) control of I and S frames: P/F is bit 0 of the second byte.
    const uint8_t control = frame[2];
    const bool numbered = (control & 0x03) != 0x03;
    const bool pollFinal = numbered ? frame.size() > 3 && (frame[3] & 0x01) != 0 : (control & kPollFinal) != 0;
    const auto poll = pollFrom_.find(link);

    bool command = false;
    switch (KindOf(control)) {
    case Kind::Command:
        command = true;
        break;
    case Kind::Response:
        command = false;
        break;
    case Kind::Supervisory:
        // Set P/F: the answer to the other side's poll if one waits, else a poll.
        command = pollFinal && (poll == pollFrom_.end() || poll->second == SenderOf(commandResponse, false));
        break;
    }
    const Sender sender = SenderOf(commandResponse, command);
    if (pollFinal && command) {
        pollFrom_[link] = sender;
    } else if (pollFinal && poll != pollFrom_.end() && poll->second == Other(sender)) {
        pollFrom_.erase(poll);
    }
    return sender;
}

}  // namespace pcap2dmp
