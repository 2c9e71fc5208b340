// A channel's phone status record as the decoders keep it: each decoded state
// is compared with the stored one and stored, under the port's status lock
// (application threads copy the record at any time).
#pragma once

#include <cstdint>

#include "decoders/PostingRule.h"
#include "platform/Sync.h"
#include "qxzaqlnk.h"

class PhoneStatusRecorder {
public:
    static constexpr uint32_t kChannels = 16;
    // Lamp table entries from here on are the red lamps of decoders that tell the colours apart.
    static constexpr uint32_t kRedLampEntries = 255;
    using Word = uint32_t ZAQ16_PHONE_STATUS::*;

    enum class LampMatch : uint8_t {
        CodeAndParam,  // a repeat needs the same state and the same parameter
        CodeOnly,      // a repeat needs the same state; the parameter is not stored
    };

    PhoneStatusRecorder(platform::Lock& statusLock, ZAQ16_PHONE_STATUS (&status)[kChannels], uint32_t startChannel);

    // Stores `code` in one word of the channel's record; Changed or Repeated.
    // When the lock cannot be had nothing is stored and the event counts as Changed.
    EventState Record(uint8_t channel, Word word, uint32_t code);
    // The same for lamp table entry `index` (below ZAQ16_LAMP_ENTRIES).
    EventState RecordLamp(uint8_t channel, uint32_t index, uint32_t code, uint32_t param, LampMatch match);
    // Sets every channel's lamp table to `code`, with the parameter of each entry.
    void InitialiseLamps(uint32_t code, uint32_t (*paramOf)(uint32_t index));

private:
    template <typename Update>
    EventState Locked(uint8_t channel, Update update);

    platform::Lock& lock_;
    ZAQ16_PHONE_STATUS (&status_)[kChannels];
    uint32_t startChannel_;
};
