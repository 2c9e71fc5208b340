// Runs one fuzz input through a decoder built on a DecoderContext, as the
// port's reader would: packets, time passing for the display timers, and the
// read-back calls of an application, also from inside the event callback.
// The input records are DecoderFuzzHarness.h's (the frame-check bit of a
// packet record is not used here); each packet's payload is a buffer of
// exactly its length, so that a read past it is caught.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "decoders/Decoder.h"
#include "support/FakeClock.h"

namespace fuzz {

constexpr uint8_t kContextTimeRecord = 0xF0;
constexpr uint8_t kContextMessageRecord = 0xF1;
constexpr uint8_t kContextStatusRecord = 0xF2;
constexpr uint8_t kContextUpdatesRecord = 0xF3;
constexpr uint32_t kContextStartChannel = 17;

// Reads the display of every display change with a buffer of exactly the
// announced size, and the phone status of every event's channel.
class ReadingSink : public EventSink {
public:
    uint32_t Post(const ZAQ16_EVENT& event) override
    {
        const auto local = static_cast<uint8_t>(event.channel - kContextStartChannel);
        if (event.eventCode == QXEVT_MESSAGE_CHANGE && event.param <= 4096) {
            std::vector<char> text(event.param);
            decoder->GetMessage(local, text.data(), event.param);
        }
        ZAQ16_PHONE_STATUS status;
        decoder->Context().CopyPhoneStatus(local, &status);
        return 0;
    }
    Decoder* decoder = nullptr;
};

template <typename DecoderType>
int RunOnContext(const uint8_t* data, size_t size)
{
    FakeClock clock;
    platform::TimerQueue timers(clock);
    ReadingSink sink;
    DecoderContext context(kContextStartChannel, sink, timers);
    DecoderType decoder(context);
    sink.decoder = &decoder;

    size_t at = 0;
    auto next = [&]() -> uint8_t { return at < size ? data[at++] : 0; };
    while (at < size) {
        const uint8_t kind = next();
        if (kind == kContextTimeRecord) {
            AdvanceWithTimers(clock, timers, 10u * next());
        } else if (kind == kContextMessageRecord) {
            const auto channel = static_cast<uint8_t>(next() - 1);
            std::vector<char> text(next());
            decoder.GetMessage(channel, text.data(), static_cast<uint32_t>(text.size()));
        } else if (kind == kContextStatusRecord) {
            ZAQ16_PHONE_STATUS status;
            context.CopyPhoneStatus(static_cast<uint8_t>(next() - 1), &status);
        } else if (kind == kContextUpdatesRecord) {
            context.SetEventUpdates(!context.EventUpdates());
        } else {
            const uint8_t type = next();
            const size_t length = std::min<size_t>(next(), size - at);
            const std::vector<uint8_t> payload(data + at, data + at + length);
            at += length;
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
