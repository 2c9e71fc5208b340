// The applet's own trace file, "<system directory>/ZAQ16CNTRL.LOG", in the
// library's line format, every level written.
#pragma once

#include "common/TraceWriter.h"

// The writer, pointed at the system directory as it is now.
TraceWriter& AppletTrace();
