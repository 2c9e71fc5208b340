// Where a producer's events go: the library's event delivery in the running
// system, a collector in tests.
#pragma once

#include <cstdint>

#include "qxzaqlnk.h"

class EventSink {
public:
    virtual ~EventSink() = default;
    // Hands over `event` (the sink copies it; `callRecord`, when set, must stay
    // valid until Post returns). Returns the delivery's result.
    virtual uint32_t Post(const ZAQ16_EVENT& event) = 0;
};
