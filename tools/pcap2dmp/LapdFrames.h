// The LAPD frames of a capture and who sent each: the network side (CO) or
// the subscriber side (CPE).
//
// LINUX_LAPD (link type 177) puts a 16-byte header before each frame: its
// packet type 4 means the capturing side sent the frame, and its address
// byte 0 is 1 when the capturing side is the network.
// LAPD (link type 203) has the bare frame: the command/response bit of its
// address tells the side together with the frame's kind (a command from the
// network and a response from the subscriber have the bit set). Supervisory
// frames (RR, RNR, REJ) may be either: one with the P/F bit clear is taken as
// a response (an acknowledgement); one with the bit set answers a poll that
// the other side sent on the same link, and otherwise is a poll itself.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "CaptureFile.h"

namespace pcap2dmp {

inline constexpr uint32_t kLinkTypeLinuxLapd = 177;
inline constexpr uint32_t kLinkTypeLapd = 203;

enum class Sender { CO, CPE };

struct LapdFrame {
    uint64_t timeNs = 0;
    Sender sender = Sender::CO;
    std::span<const uint8_t> bytes;  // address, control, information; no check sequence (in the packet's bytes)
};

// Finds each LAPD frame's sender; remembers the polls of the bare-frame link type.
class LapdFrameReader {
public:
    // The frame of a packet, or nothing with `problem` set (another link
    // type, a packet shorter than its header or cut short by the capture).
    std::optional<LapdFrame> Take(const CapturedPacket& packet, std::string& problem);

private:
    std::optional<Sender> BareFrameSender(std::span<const uint8_t> frame);

    // Per SAPI and TEI, the side whose poll awaits its answer.
    std::map<uint16_t, Sender> pollFrom_;
};

}  // namespace pcap2dmp
