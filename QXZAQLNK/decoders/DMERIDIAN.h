// DMERIDIAN: the decoder of Nortel Meridian digital sets. Each packet carries
// one message: from the PBX lamps, audio paths, ringing, feature indications
// and a two-row display; from the set keys, digits and hook changes. The
// display is rebuilt piece by piece and posted once it has been quiet for
// 500 ms; the date and time the PBX shows on its sets are kept for
// GetPBXDateTime.
#pragma once

#include <array>
#include <cstdint>

#include "decoders/Decoder.h"
#include "decoders/DisplayTimers.h"
#include "decoders/EventOutput.h"
#include "decoders/MeridianDisplay.h"
#include "decoders/PbxClock.h"
#include "decoders/PhoneStatusRecorder.h"

class DMERIDIAN : public Decoder, private PendingDisplay {
public:
    static constexpr uint32_t kDisplayDelayMs = 500;

    // What a channel's display waits to post (the record's `pending`).
    enum PendingKind : uint32_t {
        kNothingPending = 0,
        kDigitsShown = 1,
        kDateComing = 2,
        kTextShown = 3,
        kForwardNumber = 4,
    };

    explicit DMERIDIAN(DecoderContext& context);
    ~DMERIDIAN() override;

    // Decodes the packet's message: 0 when its code is unknown, else 1.
    uint8_t Decode(const Packet& packet) override;
    // Copies min(size, 1024) bytes of the channel's display.
    uint32_t GetMessage(uint8_t channel, char* buffer, uint32_t size) override;
    uint32_t GetPBXDateTime(int32_t time[9]) override;
    // The calendar clock that carries the PBX's time forward (tests hand in a fake one).
    void SetCalendar(PbxClock::CalendarNow now) { clock_.SetCalendar(std::move(now)); }

    // The display model (cursor, row split), for tests.
    const MeridianDisplay& Display() const { return display_; }

protected:
    // The read-back's entry line is written at level FATAL.
    int32_t MessageEntryTraceLevel() const override;

private:
    // The outcome of one message: its event, and whether its code was known.
    struct Decoded {
        DecodedEvent event;
        bool known = true;
    };

    Decoded DecodeFromPbx(const uint8_t* data, uint32_t length);
    Decoded DecodeFromSet(const uint8_t* data, uint32_t length);
    DecodedEvent DecodeLamp(int bank, uint8_t k);
    DecodedEvent DecodeAudio(uint8_t k);
    DecodedEvent DecodeRinger(uint8_t k);
    DecodedEvent DecodeDisplay(const uint8_t* data, uint32_t length);
    DecodedEvent DecodeDisplayData(const uint8_t* data, uint32_t length);
    void DecodeContinuation(const uint8_t* data, uint32_t length);
    DecodedEvent ClearDisplay();
    void TakeData(const uint8_t* bytes, uint32_t length);
    // More of the display kind that is pending: text, digits or the call-forward number.
    void WritePending(uint8_t channel, const uint8_t* bytes, uint32_t textLength, uint32_t digitLength);
    DecodedEvent TakeTextByte(uint8_t byte);
    DecodedEvent TakeDisplayMode(uint8_t mode);
    DecodedEvent TakeFeature(uint8_t feature);

    // A display change to post (the display-mode word is left as it is).
    static DecodedEvent DisplayChange(uint32_t param);
    void PostDisplayChange(uint8_t channel, uint32_t param);
    void PostForwardNumber(uint8_t channel);

    bool IsPending(uint8_t channel) const override;
    void FlushBeforeEvent(uint8_t channel) override;
    void TimerCompletionDMERIDIAN(uint8_t channel);

    uint32_t& Pending(uint8_t channel) { return context_.displays[channel].pending; }

    PhoneStatusRecorder status_;
    EventOutput output_;
    MeridianDisplay display_;
    DisplayTimers timers_;
    PbxClock clock_;
    // A text sequence opened by a 0x1C byte is in progress.
    std::array<bool, DecoderContext::kChannels> textOpen_{};
    // The local channel of the packet being decoded.
    uint8_t channel_ = 0;
};
