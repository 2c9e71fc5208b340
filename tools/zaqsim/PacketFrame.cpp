#include "PacketFrame.h"

namespace zaqsim {

uint8_t PacketChecksum(std::span<const uint8_t> payload)
{
    uint8_t sum = 0;
    for (uint8_t byte : payload)
        sum = static_cast<uint8_t>(sum + byte);
    return static_cast<uint8_t>(0x100 - sum);
}

std::string BuildPacket(uint8_t channel, uint8_t type, std::span<const uint8_t> payload)
{
    std::string packet;
    packet.reserve(payload.size() + 5);
    packet.push_back(static_cast<char>(kPacketStart));
    packet.push_back(static_cast<char>(channel));
    packet.push_back(static_cast<char>(type));
    packet.push_back(static_cast<char>(payload.size()));
    packet.append(reinterpret_cast<const char*>(payload.data()), payload.size());
    packet.push_back(static_cast<char>(PacketChecksum(payload)));
    return packet;
}

}  // namespace zaqsim
