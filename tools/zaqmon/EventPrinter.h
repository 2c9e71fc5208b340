// What the monitor prints for one event: the viewer's lines, or one JSON
// object per event for other programs.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "qxzaqlnk.h"

struct EventDetails {
    // The display text read after a QXEVT_MESSAGE_CHANGE (none when not read).
    std::optional<std::string> display;
    // The library's result when reading it failed.
    uint32_t displayError = 0;
    // The call status record of a call event: the event's own in callback
    // mode, the channel's call as read when the event was polled.
    const ZAQ16_CALL_STATUS* call = nullptr;
};

// The viewer's lines: the event line, the pieces of a display text, the
// numbers of a call.
std::vector<std::string> EventLines(const ZAQ16_EVENT& event, const EventDetails& details);

// One JSON object (without a line end): code, name, param, board, channel,
// timeStamp, and the display text or the call's numbers, cause and state.
std::string EventJson(const ZAQ16_EVENT& event, const EventDetails& details);

// The call's fields for a JSON object (no braces, no leading comma): callRef,
// direction, state, cause, bChannel and the called, calling and connected numbers.
std::string CallJsonFields(const ZAQ16_CALL_STATUS& call);

// `text` as a JSON string, quotes included.
std::string JsonString(const std::string& text);

// A party number's digits as text (at most 31 characters).
std::string PartyNumberText(const ZAQ16_PARTY_NUMBER& number);

bool IsCallEvent(uint32_t code);
