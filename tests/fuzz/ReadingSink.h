// An event sink for the ISDN fuzz entries: it reads every byte of each call
// record it is handed, so a bad record pointer or size shows up under the
// address sanitizer.
#pragma once

#include <cstdint>

#include "base/EventSink.h"

class ReadingSink : public EventSink {
public:
    uint32_t Post(const ZAQ16_EVENT& event) override
    {
        const auto* bytes = static_cast<const uint8_t*>(event.callRecord);
        for (uint32_t i = 0; bytes != nullptr && i < event.param; ++i) {
            checksum += bytes[i];
        }
        return 0;
    }
    uint32_t checksum = 0;
};
