// CNeax2400D: the decoder of NEC NEAX 2400 digital sets (the NEAX 2400 D,
// IPX and ICS, the NEAX 2000 and the DTerm III lines, PBX codes 4, 25, 27, 28
// and 29). A packet from the PBX carries a run of short messages (lamps with
// colour, named lamps, ringing, audio paths, display text); a packet from the
// set carries one key code. The display is a 128-byte screen, posted at once
// while event updates are on, else once it has been quiet for 500 ms; a
// clock ticking on is no change.
//
// Each decoder's timer routines run on its own port's reader thread, so no
// lock is shared between ports: destroying one leaves the others alone.
#pragma once

#include <array>
#include <cstdint>

#include "decoders/Decoder.h"
#include "decoders/DisplayTimers.h"
#include "decoders/EventOutput.h"
#include "decoders/NeaxDisplay.h"
#include "decoders/PhoneStateTracker.h"
#include "decoders/PhoneStatusRecorder.h"

class CNeax2400D : public Decoder, private PendingDisplay {
public:
    static constexpr uint32_t kDisplayDelayMs = 500;

    explicit CNeax2400D(DecoderContext& context);

    // 1 for every packet taken (also when it carried nothing known).
    uint8_t Decode(const Packet& packet) override;

private:
    struct Channel {
        uint32_t lastDigit = 0;
        uint32_t audioMode = QXEVT_AUDIO_OFF;
        bool timerArmed = false;
        bool displayTouched = false;
    };

    void DecodeFromSet(uint8_t channel, uint8_t key);
    // Returns the bytes the message takes, 0 when it ends the packet.
    uint32_t DecodeFromPbx(uint8_t channel, const uint8_t* message, uint32_t length);
    bool DecodeLamp(uint8_t channel, uint8_t message, uint8_t lampCode);
    bool DecodeNamedLamp(uint8_t channel, uint8_t message, uint8_t family);
    uint32_t DecodeText(uint8_t channel, const uint8_t* message, uint32_t length);
    bool DecodeAudio(uint8_t channel, uint8_t message);
    // Records an audio state and posts it by the posting rule, or always (`told`).
    void Audio(uint8_t channel, uint32_t code, uint32_t path, bool told);
    uint32_t AudioState(uint8_t channel, uint32_t path);

    // The flush and posting after a message: a display waiting goes first
    // when the message set an event or touched the display.
    void Emit(uint8_t channel, const DecodedEvent& event);
    bool IsPending(uint8_t channel) const override;
    void FlushBeforeEvent(uint8_t channel) override;
    void TimerCompletionCNeax2400D(uint8_t channel);

    PhoneStatusRecorder status_;
    PhoneStateTracker tracker_;
    EventOutput output_;
    NeaxDisplay display_;
    DisplayTimers timers_;
    std::array<Channel, DecoderContext::kChannels> channels_{};
    bool fromPbx_ = false;  // the packet being decoded came from the PBX
};
