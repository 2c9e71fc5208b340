// An event sink that writes one line per event as an application sees it:
// "<ms since the start> <channel> <event name> <param in hex>", and for a
// display change the text that GetMessage returns for it, its rows joined by
// '|' and the blanks at their ends dropped.
#pragma once

#include <string>

#include "base/EventSink.h"
#include "support/FakeClock.h"

class Decoder;

class EventLog : public EventSink {
public:
    EventLog(Decoder& decoder, const FakeClock& clock);
    uint32_t Post(const ZAQ16_EVENT& event) override;

    std::string text;

private:
    Decoder& decoder_;
    const FakeClock& clock_;
    uint32_t start_;
};
