// MERLINMAGIXD: the decoder of Merlin Magix digital sets. Each packet is one
// message known by fixed bytes at fixed places: from the PBX green and red
// lamps, display text, ringing and call progress; from the set digits, keys
// and its audio state, from which the hook state follows. Text that begins
// with a printable character is posted at once, other text once the display
// has been quiet for 300 ms.
#pragma once

#include <array>
#include <cstdint>

#include "decoders/Decoder.h"
#include "decoders/DisplayTimers.h"
#include "decoders/EventOutput.h"
#include "decoders/MerlinDisplay.h"
#include "decoders/PhoneStatusRecorder.h"

class MERLINMAGIXD : public Decoder, private PendingDisplay {
public:
    static constexpr uint32_t kChannels = DecoderContext::kChannels;
    static constexpr uint32_t kDisplayDelayMs = 300;
    static constexpr uint32_t kTextPending = 1;  // the record's `pending`

    explicit MERLINMAGIXD(DecoderContext& context);
    ~MERLINMAGIXD() override;

    // Decodes the packet's message, if it matches one; always 1 (packets that
    // match nothing are ignored).
    uint8_t Decode(const Packet& packet) override;

private:
    void DecodeFromPbx(uint8_t channel, const uint8_t* data, uint32_t length);
    void DecodeFromSet(uint8_t channel, const uint8_t* data, uint32_t length);
    void DecodeLamp(uint8_t channel, uint8_t lamp, uint8_t states);
    void DecodeText(uint8_t channel, const uint8_t* data, uint32_t length);
    void DecodeKey(uint8_t channel, uint8_t key);
    void DecodeAudio(uint8_t channel, const uint8_t* data, uint32_t length);
    DecodedEvent Ring(uint8_t channel, uint32_t code);

    // Posts one event of the message, after the channel's pending display.
    void Emit(uint8_t channel, const DecodedEvent& event);
    // Terminates the text and posts it (`traced`: with the line of a text posted at once).
    void PostDisplay(uint8_t channel, bool traced);

    bool IsPending(uint8_t channel) const override;
    void FlushBeforeEvent(uint8_t channel) override;
    void TimerCompletionMERLINMAGIXD(uint8_t channel);

    PhoneStatusRecorder status_;
    EventOutput output_;
    MerlinDisplay display_;
    DisplayTimers timers_;
    std::array<uint32_t, kChannels> lastKeyKind_{};
    std::array<uint32_t, kChannels> lastKey_{};
    // The set is taken to be on hook.
    std::array<bool, kChannels> onHookMark_;
};
