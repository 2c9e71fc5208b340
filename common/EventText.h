// The one-line text of an event: as the library writes it to the trace in
// callback mode, and as the viewer (and the console monitor) list it.
#pragma once

#include <string>

#include "qxzaqlnk.h"

enum class EventTextStyle {
    Trace,   // the library's "SendEvent" trace line
    Viewer,  // the event list of the viewer
};

std::string EventText(const ZAQ16_EVENT& event, EventTextStyle style = EventTextStyle::Trace);
