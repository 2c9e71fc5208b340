// The one-line text of an event: as the library writes it to the trace in
// callback mode, and as the viewer (and the console monitor) list it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "qxzaqlnk.h"

enum class EventTextStyle {
    Trace,   // the library's "SendEvent" trace line
    Viewer,  // the event list of the viewer
};

std::string EventText(const ZAQ16_EVENT& event, EventTextStyle style = EventTextStyle::Trace);

// The viewer's lines for a display text: one "(tick) Board b Channel c  text"
// per non-empty piece between line feeds.
std::vector<std::string> ViewerDisplayLines(const ZAQ16_EVENT& event, std::string_view display);

// The viewer's two lines for a connected call: its calling and called number
// (each at most 31 characters, cut at its digit count).
std::vector<std::string> ViewerCallNumberLines(const ZAQ16_EVENT& event, const ZAQ16_CALL_STATUS& call);
