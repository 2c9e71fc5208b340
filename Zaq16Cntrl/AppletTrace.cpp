#include "AppletTrace.h"

#include "platform/Paths.h"

TraceWriter& AppletTrace()
{
    static TraceWriter writer;
    writer.SetLevel(TRACE_DEBUG);
    writer.SetPath(platform::SystemDirectory() + "/ZAQ16CNTRL.LOG");
    return writer;
}
