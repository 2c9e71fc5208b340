// A decoder that keeps every packet a port hands it, for the tests of the
// port's reader and playback: what reaches a decoder, on which channel.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "decoders/Decoder.h"

struct SeenPacket {
    uint8_t channel;
    uint8_t type;
    std::vector<uint8_t> payload;
    uint32_t board;
};

class RecordingDecoder final : public Decoder {
public:
    RecordingDecoder(DecoderContext& context, std::vector<SeenPacket>& seen) : Decoder(context), seen_(seen) {}

    uint8_t Decode(const Packet& packet) override
    {
        seen_.push_back({packet.channel, packet.type, std::vector<uint8_t>(packet.data, packet.data + packet.length),
                         context_.Board()});
        return 1;
    }

private:
    std::vector<SeenPacket>& seen_;
};

// The decoder maker of a port whose packets go to `seen` (which outlives the port).
inline auto RecordInto(std::vector<SeenPacket>& seen)
{
    return [&seen](DecoderContext& context) -> std::unique_ptr<Decoder> {
        return std::make_unique<RecordingDecoder>(context, seen);
    };
}
