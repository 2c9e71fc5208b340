// UpdatePhoneState: the per-channel state of the decoders that compare events
// only while the application has event updates off. Lamps are kept in wide
// tables of three banks of 255 (bank 0: lamps without colour or green, bank 1:
// red), the line lamps in a second such table, a few named lamps as one
// {code, parameter} pair per channel, and hook and ring in the phone status
// record.
#pragma once

#include <array>
#include <cstdint>

#include "decoders/PhoneStatusRecorder.h"
#include "qxzaqlnk.h"

class PhoneStateTracker {
public:
    static constexpr uint32_t kBankSize = 255;
    static constexpr uint32_t kWideEntries = 3 * kBankSize;

    explicit PhoneStateTracker(PhoneStatusRecorder& status);

    // Records `event` for a local channel; 1 when it repeats the stored state,
    // 0 when it changed it or when its code is not one kept here.
    uint32_t UpdatePhoneState(uint8_t channel, const ZAQ16_EVENT& event);

    // The named-lamp families kept as one pair per channel.
    enum NamedPair : uint8_t { kFeature, kSpeaker, kRingLight, kAnswer, kConference, kNamedPairs };

    struct Entry {
        uint32_t code = 0;
        uint32_t param = 0;
    };
    const Entry& WideLamp(uint8_t channel, uint32_t index) const { return channels_[channel].wide[index]; }
    const Entry& LineLamp(uint8_t channel, uint32_t index) const { return channels_[channel].line[index]; }
    const Entry& Pair(uint8_t channel, NamedPair pair) const { return channels_[channel].pairs[pair]; }

private:
    using WideTable = std::array<Entry, kWideEntries>;
    struct Channel {
        WideTable wide;
        WideTable line;
        std::array<Entry, kNamedPairs> pairs{};
    };

    static uint32_t UpdateBanks(WideTable& table, uint32_t code, uint32_t param);

    PhoneStatusRecorder& status_;
    std::array<Channel, PhoneStatusRecorder::kChannels> channels_;
};
