// One event as the bridge keeps it between the library's callback and the
// publisher: the event's words and what was read with it (display text, call).
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "EventPrinter.h"
#include "qxzaqlnk.h"

struct BridgeEvent {
    uint64_t sequence = 0;     // counts every event the library delivered, the dropped ones too
    ZAQ16_EVENT event{};       // callRecord cleared: the library frees it after the callback
    std::optional<std::string> display;
    uint32_t displayError = 0;
    bool hasCall = false;
    ZAQ16_CALL_STATUS call{};

    // Details that point into this object.
    EventDetails Details() const
    {
        EventDetails details;
        details.display = display;
        details.displayError = displayError;
        details.call = hasCall ? &call : nullptr;
        return details;
    }
};
