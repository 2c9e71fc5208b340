// DEFINITY2D: the decoder of Lucent Definity 2-wire digital sets. The unit
// hands over each monitored HDLC frame of a line as one packet; the decoder
// checks the frame, splits its information field into 3-byte messages and
// display text, and posts lamp, hook, button and display events.
#pragma once

#include <cstdint>

#include "decoders/DefinityDisplay.h"
#include "decoders/EventOutput.h"
#include "decoders/PhoneStatusRecorder.h"
#include "unit/ZAQ16PORT.h"

class DEFINITY2D : public ZAQ16PORT {
public:
    // portName: the unit's COM port, or null for a playback port.
    DEFINITY2D(const char* portName, uint32_t start_channel);
    ~DEFINITY2D() override;

    // Reads a packet through the base and checks its frame: 0 when either
    // fails, else 1 (also for frames that carry nothing).
    uint8_t HandlePacket() override;
    // Decodes the messages of an information field; 0 when `length` is 0, else 1.
    uint32_t ProcessCommand(const uint8_t* message, uint32_t length);

protected:
    PhoneStatusRecorder status_;
    EventOutput output_;
    DefinityDisplay display_;

private:
    void ReportBadFrame(uint16_t remainder) const;
    DecodedEvent DecodeFromPbx(uint8_t opcode, uint8_t a, uint8_t b);
    DecodedEvent DecodeFromSet(uint8_t opcode, uint8_t a, uint8_t b);
    DecodedEvent DecodeLamp(uint8_t a, uint8_t b);
};
