// The text of an event as the library writes it to the trace in callback mode.
#pragma once

#include <string>

#include "qxzaqlnk.h"

std::string EventText(const ZAQ16_EVENT& event);
