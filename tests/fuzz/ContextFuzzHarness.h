// Runs one fuzz input through a decoder fed packets on a DecoderContext, as
// the port's reader hands them over: packets, time passing for the display
// timers, and the read-back calls of an application, including from inside
// the event callback.
//
// Input records:
//   P (0x00 to 0xEF), type, length, payload   a packet for local channel P & 0x0F; when P & 0x10
//                                             is set the payload gets its family's framing
//                                             (header and checksum) so that it gets through
//   0xF0, n                                   n x 10 ms pass
//   0xF1, channel, size                       GetMessage into a buffer of exactly `size` bytes
//   0xF2, channel                             the phone status copied
//   0xF3                                      event updates switched over
// A record cut short by the end of the input takes what is left.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "decoders/Decoder.h"
#include "support/FakeClock.h"

namespace fuzz {

constexpr uint8_t kTimeRecord = 0xF0;
constexpr uint8_t kMessageRecord = 0xF1;
constexpr uint8_t kStatusRecord = 0xF2;
constexpr uint8_t kUpdatesRecord = 0xF3;
constexpr uint8_t kFramed = 0x10;
constexpr uint32_t kStartChannel = 17;

using Framing = std::vector<uint8_t> (*)(const std::vector<uint8_t>& payload);

// Reads the display of every display change from inside the post, with a
// buffer of exactly the announced size, and the phone status, as an
// application callback may.
class ReadingSink : public EventSink {
public:
    void Attach(Decoder& decoder) { decoder_ = &decoder; }
    uint32_t Post(const ZAQ16_EVENT& event) override
    {
        const auto channel = static_cast<uint8_t>(event.channel - kStartChannel);
        if (event.eventCode == QXEVT_MESSAGE_CHANGE && event.param <= 4096) {
            std::vector<char> text(event.param);
            decoder_->GetMessage(channel, text.data(), event.param);
        }
        ZAQ16_PHONE_STATUS status;
        decoder_->Context().CopyPhoneStatus(channel, &status);
        return 0;
    }

private:
    Decoder* decoder_ = nullptr;
};

template <typename DecoderType>
int RunOnContext(const uint8_t* data, size_t size, Framing framing)
{
    FakeClock clock;
    platform::TimerQueue timers(clock);
    ReadingSink sink;
    DecoderContext context(kStartChannel, sink, timers);
    DecoderType decoder(context);
    sink.Attach(decoder);

    size_t at = 0;
    auto next = [&]() -> uint8_t { return at < size ? data[at++] : 0; };
    while (at < size) {
        const uint8_t kind = next();
        if (kind == kTimeRecord) {
            AdvanceWithTimers(clock, timers, 10u * next());
        } else if (kind == kMessageRecord) {
            const uint8_t channel = next();
            std::vector<char> text(next());
            decoder.GetMessage(channel, text.data(), static_cast<uint32_t>(text.size()));
        } else if (kind == kStatusRecord) {
            ZAQ16_PHONE_STATUS status;
            context.CopyPhoneStatus(next(), &status);
        } else if (kind == kUpdatesRecord) {
            context.SetEventUpdates(!context.EventUpdates());
        } else {
            const uint8_t type = next();
            const size_t length = std::min<size_t>(next(), size - at);
            std::vector<uint8_t> payload(data + at, data + at + length);
            at += length;
            if ((kind & kFramed) != 0 && framing != nullptr) {
                payload = framing(payload);
            }
            // The payload is a buffer of its own size: a read past it is a finding.
            Packet packet;
            packet.channel = kind & 0x0F;
            packet.type = type;
            packet.data = payload.data();
            packet.length = static_cast<uint32_t>(payload.size());
            decoder.Decode(packet);
        }
    }
    return 0;
}

}  // namespace fuzz
