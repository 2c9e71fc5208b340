// FUJITSU: the decoder of Fujitsu 9600 digital sets. Each packet holds one
// message: from the PBX a two-row display, lamps, the audio paths and the
// ringer; from the set hook changes and keys. A changed display is posted at
// once; hook and ring states are posted only when they change.
#pragma once

#include <cstdint>

#include "decoders/Decoder.h"
#include "decoders/EventOutput.h"
#include "decoders/FujitsuDisplay.h"
#include "decoders/PhoneStatusRecorder.h"

class FUJITSU final : public Decoder {
public:
    explicit FUJITSU(DecoderContext& context);

    // Decodes the message of a packet from the PBX ('X') or the set ('H');
    // packets of another type are taken and ignored. 0 only for a channel
    // beyond the unit's sixteen.
    uint8_t Decode(const Packet& packet) override;

    const FujitsuDisplay& Display() const { return display_; }

private:
    DecodedEvent DecodeFromPbx(uint8_t channel, const uint8_t* d, uint32_t length);
    DecodedEvent DecodeFromSet(uint8_t channel, const uint8_t* d, uint32_t length);
    DecodedEvent ClearArea(uint8_t channel, const uint8_t* d, uint32_t length);
    DecodedEvent LampOrAudio(uint8_t channel, const uint8_t* d, uint32_t length);
    DecodedEvent Lamp(uint8_t channel, uint8_t item, uint8_t state);
    void SpeakerLampAudio(uint8_t channel, uint8_t state);
    void Audio(uint8_t channel, uint8_t configuration);
    // Stores a path's state and posts it when it changed.
    void SetPath(uint8_t channel, uint8_t path, bool on);
    // A hook or ring state, posted only when it changed.
    DecodedEvent OnChange(uint8_t channel, PhoneStatusRecorder::Word word, uint32_t code, uint32_t param);

    static DecodedEvent DisplayChange(bool changed);

    PhoneStatusRecorder status_;
    EventOutput output_;
    FujitsuDisplay display_;
};
