// EventLog's lines for a decoder on a DecoderContext: "<ms since the start>
// <channel> <event name> <param in hex>", and for a display change the text
// that GetMessage returns for it, its rows joined by '|' and the blanks at
// their ends dropped.
#pragma once

#include <string>

#include "base/EventSink.h"
#include "decoders/Decoder.h"
#include "support/FakeClock.h"

class ContextEventLog : public EventSink {
public:
    ContextEventLog(Decoder& decoder, const FakeClock& clock);
    uint32_t Post(const ZAQ16_EVENT& event) override;

    std::string text;

private:
    Decoder& decoder_;
    const FakeClock& clock_;
    uint32_t start_;
};
