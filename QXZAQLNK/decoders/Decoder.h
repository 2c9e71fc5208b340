// Decoder: what every PBX family's decoder is. The port hands it the unit's
// packets one at a time on its reader thread; everything else a decoder
// reaches (posting, the display and phone-status records, timers, the clock)
// comes from the DecoderContext it was built on, so a test drives a decoder
// with packets and a fake clock alone: no device, no thread, no sleep.
#pragma once

#include <cstdint>

#include "decoders/DecoderContext.h"

// One D-channel packet as the unit framed it (or as a dump file recorded it).
struct Packet {
    uint8_t channel = 0;  // the line on the unit, 0 to 15
    uint8_t type = 0;     // the unit's type byte: direction and kind of the message
    const uint8_t* data = nullptr;
    uint32_t length = 0;  // data bytes, the unit's checksum byte not counted
};

class Decoder {
public:
    // MessageEntryTraceLevel of a family whose read-back writes no entry lines.
    static constexpr int32_t kNoEntryTrace = -1;

    virtual ~Decoder() = default;
    Decoder(const Decoder&) = delete;
    Decoder& operator=(const Decoder&) = delete;

    // Decodes one packet; 0 when it was refused (a bad frame, an unknown
    // message), else 1. Never runs alongside another Decode or a timer
    // routine of the context's queue.
    virtual uint8_t Decode(const Packet& packet) = 0;
    // Copies a local channel's display text for an application thread:
    // by default the record's first `offset` bytes (ZAQ16_RET_TRUNCATED when
    // `size` is smaller).
    virtual uint32_t GetMessage(uint8_t channel, char* buffer, uint32_t size);
    // The PBX's date and time as second, minute, hour, day, month, year (+3
    // unused words); ZAQ16_RET_NOT_READY for families whose sets show none.
    virtual uint32_t GetPBXDateTime(int32_t time[9]);

    // The read-back of QXZAQGetMessage, by system channel: traces the call
    // ("channel = %d start_channel = %d" at MessageEntryTraceLevel), refuses
    // a channel beyond the unit's sixteen, then GetMessage.
    uint32_t GetMessageOfChannel(uint32_t channel, char* buffer, uint32_t size);

    DecoderContext& Context() const { return context_; }

protected:
    explicit Decoder(DecoderContext& context) : context_(context) {}

    // The level of GetMessageOfChannel's entry lines (TRACE for most families).
    virtual int32_t MessageEntryTraceLevel() const;

    DecoderContext& context_;
};
