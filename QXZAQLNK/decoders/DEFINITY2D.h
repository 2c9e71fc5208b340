// DEFINITY2D: the decoder of Lucent Definity 2-wire digital sets. The unit
// hands over each monitored HDLC frame of a line as one packet; the decoder
// checks the frame, splits its information field into 3-byte messages and
// display text, and posts lamp, hook, button and display events.
#pragma once

#include <cstdint>

#include "decoders/Decoder.h"
#include "decoders/DefinityDisplay.h"
#include "decoders/EventOutput.h"
#include "decoders/PhoneStatusRecorder.h"

class DEFINITY2D : public Decoder {
public:
    explicit DEFINITY2D(DecoderContext& context);
    ~DEFINITY2D() override;

    // Checks the packet's frame: 0 when it fails, else 1 (also for frames
    // that carry nothing).
    uint8_t Decode(const Packet& packet) override;
    // Decodes the messages of an information field of the packet being
    // decoded; 0 when `length` is 0, else 1.
    uint32_t ProcessCommand(const uint8_t* message, uint32_t length);

    // The display model (its cursor), for tests.
    const DefinityDisplay& Display() const { return display_; }

private:
    void ReportBadFrame(const Packet& packet, uint16_t remainder) const;
    DecodedEvent DecodeFromPbx(uint8_t opcode, uint8_t a, uint8_t b);
    DecodedEvent DecodeFromSet(uint8_t opcode, uint8_t a, uint8_t b);
    DecodedEvent DecodeLamp(uint8_t a, uint8_t b);

    PhoneStatusRecorder status_;
    EventOutput output_;
    DefinityDisplay display_;
    // The local channel and the type byte of the packet being decoded.
    uint8_t channel_ = 0;
    uint8_t type_ = 0;
};
