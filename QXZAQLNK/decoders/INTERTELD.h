// INTERTELD: the decoder of Inter-Tel Axxess digital sets. Packets carry an
// additive checksum, and a packet that repeats the channel's previous one is
// dropped. A PBX packet holds a run of messages (ringer, lamps, display text,
// plain text lines); a message cut off at the end of a packet is stowed and
// completed by the next one. A set packet holds one key code. The 90-character
// display is posted once it has been quiet for 400 ms, or before the next event.
#pragma once

#include <array>
#include <cstdint>

#include "decoders/Decoder.h"
#include "decoders/DisplayTimers.h"
#include "decoders/EventOutput.h"
#include "decoders/InterTelDisplay.h"
#include "decoders/InterTelStow.h"
#include "decoders/PhoneStatusRecorder.h"

class INTERTELD : public Decoder, private PendingDisplay {
public:
    static constexpr uint32_t kChannels = DecoderContext::kChannels;
    static constexpr uint32_t kDisplayDelayMs = 400;
    static constexpr uint32_t kDisplayPending = 1;  // the record's `pending`

    explicit INTERTELD(DecoderContext& context);
    ~INTERTELD() override;

    // Checks the packet (repeat, checksum, length) and decodes its messages;
    // always 1: rejected packets are traced or dropped silently.
    uint8_t Decode(const Packet& packet) override;

private:
    // The events one message sets, posted after the pending display.
    struct Events {
        std::array<DecodedEvent, 3> list{};
        uint32_t count = 0;
        void Add(const DecodedEvent& event) { list[count++] = event; }
    };
    // What one message of a run did.
    struct Message {
        uint32_t length = 0;  // its bytes
        bool last = false;    // nothing after it is decoded
        Events events;
    };
    // The first, the length and the last byte of a channel's previous packet.
    struct PacketMark {
        uint8_t first = 0;
        uint32_t length = 0;
        uint8_t last = 0;
        bool operator==(const PacketMark&) const = default;
    };

    bool Accept(uint8_t channel, const uint8_t* data, uint32_t length);
    void DecodeFromPbx(uint8_t channel, const uint8_t* data, uint32_t length);
    void DecodeFromSet(uint8_t channel, uint8_t key);
    // ProcessCommand: decodes a run of `count` message bytes, message by message.
    void ProcessCommand(uint8_t channel, const uint8_t* messages, uint32_t count);
    Message DecodeMessage(uint8_t channel, const uint8_t* message, uint32_t count);
    Message DecodeRinger(uint8_t channel, const uint8_t* message, uint32_t count);
    Message DecodeLamp(uint8_t channel, const uint8_t* message);
    Message DecodeDisplay(uint8_t channel, const uint8_t* message, uint32_t count);
    Message DecodeTextLine(uint8_t channel, const uint8_t* message, uint32_t count);
    // Stows the rest of the run, from the cut message on, and ends the packet.
    Message Stow(uint8_t channel, const char* what, const uint8_t* message, uint32_t count);

    DecodedEvent Audio(uint8_t channel, uint32_t code, uint8_t path);
    void Post(uint8_t channel, const Events& events);
    // The display timer's routine run at once, as when it fires.
    void PostDisplayNow(uint8_t channel);

    bool IsPending(uint8_t channel) const override;
    void FlushBeforeEvent(uint8_t channel) override;
    void TimerCompletionINTERTELD(uint8_t channel);

    PhoneStatusRecorder status_;
    EventOutput output_;
    InterTelDisplay display_;
    InterTelStow stow_;
    DisplayTimers timers_;
    std::array<PacketMark, kChannels> lastPacket_{};
};
