// NORSTARD: the decoder of Nortel Norstar digital sets. A packet carries a
// run of messages, most of them one or two bytes long. From the PBX come
// lamps, ringing, audio paths and a two-row display, from the set keys,
// digits and hook. The display is posted at once while event updates are on,
// else once it has been quiet for 300 ms. A message that cannot be decoded
// ends the packet.
#pragma once

#include <cstdint>

#include "decoders/Decoder.h"
#include "decoders/DisplayTimers.h"
#include "decoders/EventOutput.h"
#include "decoders/NorstarDisplay.h"
#include "decoders/NorstarTables.h"
#include "decoders/PhoneStateTracker.h"
#include "decoders/PhoneStatusRecorder.h"

class NORSTARD : public Decoder, private PendingDisplay {
public:
    static constexpr uint32_t kDisplayDelayMs = 300;
    static constexpr uint32_t kDisplayWaiting = 3;  // the record's `pending` while the timer runs

    explicit NORSTARD(DecoderContext& context);

    // 0 for a packet without data, else 1.
    uint8_t Decode(const Packet& packet) override;

    const NorstarDisplay& Display() const { return display_; }

private:
    // Each returns the bytes its message takes, 0 when it ends the packet.
    uint32_t DecodeFromSet(uint8_t channel, uint8_t key);
    uint32_t DecodeFromPbx(uint8_t channel, const uint8_t* message, uint32_t length);
    uint32_t DecodeAudio(uint8_t channel, const norstar::AudioMessage& audio, uint32_t length);
    uint32_t DecodeLamp(uint8_t channel, const uint8_t* message, uint32_t length);
    uint32_t DecodeLongLamp(uint8_t channel, const uint8_t* message, uint32_t length);
    uint32_t DecodeRowText(uint8_t channel, const uint8_t* message, uint32_t length);
    uint32_t DecodeSilentRun(uint8_t channel, const uint8_t* message, uint32_t length);
    // A message whose length byte is below its shortest form ends the packet, with a trace line.
    uint32_t BadLength(uint8_t channel, uint8_t code, uint32_t messageLength) const;

    void SetEveryLamp(uint8_t channel, uint32_t code);
    void ShowDisplay(uint8_t channel);

    void Emit(uint8_t channel, const DecodedEvent& event, bool fromPbx);
    bool IsPending(uint8_t channel) const override;
    void FlushBeforeEvent(uint8_t channel) override;
    void TimerCompletionNORSTARD(uint8_t channel);

    PhoneStatusRecorder status_;
    PhoneStateTracker tracker_;
    EventOutput output_;
    NorstarDisplay display_;
    DisplayTimers timers_;
};
