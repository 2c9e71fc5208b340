// ERRICSOND: the decoder of Ericsson MD110 digital sets. A packet carries a
// header byte, a run of variable-length messages and an additive checksum.
// From the PBX come lamps, ringing, audio paths and display text, from the set
// its type, keys, digits and hook. The display layout follows the set type the
// set announced; text is posted once the display has been quiet for 500 ms.
#pragma once

#include <cstdint>
#include <functional>

#include "decoders/Decoder.h"
#include "decoders/DisplayTimers.h"
#include "decoders/EricssonDisplay.h"
#include "decoders/EventOutput.h"
#include "decoders/PhoneStateTracker.h"
#include "decoders/PhoneStatusRecorder.h"

class ERRICSOND : public Decoder, private PendingDisplay {
public:
    static constexpr uint32_t kDisplayDelayMs = 500;

    // Where a checksum error goes: the computed sum (before the modulo) and
    // the received byte. By default an error entry of the system event log.
    using ChecksumReport = std::function<void(uint16_t sum, uint16_t received)>;

    explicit ERRICSOND(DecoderContext& context);
    ~ERRICSOND() override;

    // 0 for a packet without data or with a wrong checksum, else 1.
    uint8_t Decode(const Packet& packet) override;
    // Copies min(size, 1024) bytes of the display; ZAQ16_RET_TRUNCATED when
    // `size` is below the layout's size.
    uint32_t GetMessage(uint8_t channel, char* buffer, uint32_t size) override;

    void SetChecksumReport(ChecksumReport report) { checksumReport_ = std::move(report); }
    uint16_t SetType(uint8_t channel) const { return display_.SetType(channel); }

protected:
    // The MD110 read-back writes no entry lines.
    int32_t MessageEntryTraceLevel() const override { return kNoEntryTrace; }

private:
    bool ChecksumMatches(const Packet& packet) const;
    // Decodes the run of messages; each message's events follow any display
    // still waiting.
    void ProcessCommand(uint8_t channel, bool fromPbx, const uint8_t* message, uint32_t length);
    // Each returns the bytes its message takes (at least 1).
    uint32_t DecodeFromPbx(uint8_t channel, const uint8_t* message, uint32_t length);
    uint32_t DecodeFromSet(uint8_t channel, const uint8_t* message, uint32_t length);
    void DecodeAudio(uint8_t channel, uint8_t argument);
    void DecodeKey(uint8_t channel, uint8_t key);
    // Positioned text: the display laid out, the characters written, the timer armed.
    void ShowText(uint8_t channel, uint8_t position, const uint8_t* text, uint32_t count);

    void Emit(uint8_t channel, const DecodedEvent& event, bool fromPbx);
    bool IsPending(uint8_t channel) const override;
    void FlushBeforeEvent(uint8_t channel) override;
    void TimerCompletionERRICSOND(uint8_t channel);

    PhoneStatusRecorder status_;
    PhoneStateTracker tracker_;
    EventOutput output_;
    EricssonDisplay display_;
    DisplayTimers timers_;
    ChecksumReport checksumReport_;
};
