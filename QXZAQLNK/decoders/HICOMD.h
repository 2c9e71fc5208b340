// HICOMD: the decoder of Siemens Hicom digital sets. Each packet holds one
// message, which begins after the first 0xBD byte: from the PBX lamps, a
// two-row display, four audio paths and the ringer with its cadence; from the
// set hook changes, digits and function keys. A changed display is posted at
// once.
#pragma once

#include <array>
#include <cstdint>

#include "decoders/Decoder.h"
#include "decoders/EventOutput.h"
#include "decoders/HicomDisplay.h"
#include "decoders/PhoneStatusRecorder.h"

class HICOMD final : public Decoder {
public:
    explicit HICOMD(DecoderContext& context);

    // Decodes the message of a packet from the PBX ('X') or the set ('H');
    // packets of another type, without 0xBD or with nothing after it are
    // taken and ignored. 0 only for a channel beyond the unit's sixteen.
    uint8_t Decode(const Packet& packet) override;

private:
    // One message: `m` points at its first byte, `length` counts the bytes
    // from there to the packet's end; `packetLength` is the whole packet's.
    DecodedEvent DecodeFromPbx(uint8_t channel, const uint8_t* m, uint32_t length, uint32_t packetLength);
    static DecodedEvent DecodeFromSet(const uint8_t* m, uint32_t length);
    DecodedEvent DecodeLamp(uint8_t channel, uint8_t lampByte, uint8_t state);
    DecodedEvent DecodeDisplay(uint8_t channel, const uint8_t* m, uint32_t length, uint32_t packetLength);
    void DecodeAudio(uint8_t channel, uint8_t configuration);
    DecodedEvent RingerOn(uint8_t channel, const uint8_t* m, uint32_t length);
    DecodedEvent RingerOff(uint8_t channel);

    PhoneStatusRecorder status_;
    EventOutput output_;
    HicomDisplay display_;
    // The last ring-on parameter of each channel, which its ring-off repeats.
    std::array<uint32_t, DecoderContext::kChannels> ringParam_{};
};
