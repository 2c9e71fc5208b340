// Runs one fuzz input through a decoder, packet by packet as its port hands
// them over, with time passing for the display timers and the read-back calls
// of an application, including from inside the event callback.
//
// Input records:
//   P (0x00 to 0xEF), type, length, payload   a packet for local channel P & 0x0F; when P & 0x10
//                                             is set the payload gets an HDLC frame check
//                                             sequence appended (so Definity frames get through)
//   0xF0, n                                   n x 10 ms pass
//   0xF1, channel, size                       GetMessage into a buffer of exactly `size` bytes
//   0xF2, channel                             GetPhoneStatus
//   0xF3                                      event updates switched over
// A record cut short by the end of the input takes what is left.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "../decoders/DefinityFrames.h"
#include "../decoders/PacketDriver.h"

namespace fuzz {

constexpr uint8_t kTimeRecord = 0xF0;
constexpr uint8_t kMessageRecord = 0xF1;
constexpr uint8_t kStatusRecord = 0xF2;
constexpr uint8_t kUpdatesRecord = 0xF3;
constexpr uint8_t kWithFrameCheck = 0x10;
constexpr uint32_t kStartChannel = 17;

// The phone status of a system channel, as QXZAQGetPhoneStatus reads it.
inline void ReadPhoneStatus(Decoder& decoder, uint32_t channel)
{
    ZAQ16_PHONE_STATUS status;
    decoder.Context().CopyPhoneStatus(static_cast<uint8_t>(channel - kStartChannel), &status);
}

// Reads the display of every display change from inside the post, with a
// buffer of exactly the announced size, as an application callback may.
class ReadingCallback : public EventSink {
public:
    explicit ReadingCallback(Decoder& decoder) : decoder_(decoder) {}
    uint32_t Post(const ZAQ16_EVENT& event) override
    {
        if (event.eventCode == QXEVT_MESSAGE_CHANGE && event.param <= 4096) {
            std::vector<char> text(event.param);
            decoder_.GetMessageOfChannel(event.channel, text.data(), event.param);
        }
        ReadPhoneStatus(decoder_, event.channel);
        return 0;
    }

private:
    Decoder& decoder_;
};

template <typename FamilyDecoder>
int RunDecoder(const uint8_t* data, size_t size)
{
    PacketDriver<FamilyDecoder> driver(kStartChannel);
    ReadingCallback callback(driver.decoder);
    driver.context.SetEventSink(callback);

    size_t at = 0;
    auto next = [&]() -> uint8_t { return at < size ? data[at++] : 0; };
    while (at < size) {
        const uint8_t kind = next();
        if (kind == kTimeRecord) {
            driver.Advance(10u * next());
        } else if (kind == kMessageRecord) {
            const uint32_t channel = kStartChannel - 1 + next();
            std::vector<char> text(next());
            driver.decoder.GetMessageOfChannel(channel, text.data(), static_cast<uint32_t>(text.size()));
        } else if (kind == kStatusRecord) {
            ReadPhoneStatus(driver.decoder, kStartChannel - 1 + next());
        } else if (kind == kUpdatesRecord) {
            driver.EventUpdates(!driver.context.EventUpdates());
        } else {
            const uint8_t type = next();
            const size_t length = std::min<size_t>(next(), size - at);
            std::vector<uint8_t> payload(data + at, data + at + length);
            at += length;
            if ((kind & kWithFrameCheck) != 0) {
                payload = definity_test::WithFcs(payload);
                payload.resize(std::min<size_t>(payload.size(), 255));
            }
            driver.Send(kind & 0x0F, type, payload);
        }
    }
    return 0;
}

}  // namespace fuzz
