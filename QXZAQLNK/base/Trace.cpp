#include "base/Trace.h"

#include <cstdarg>

TraceWriter& LibraryTrace()
{
    static TraceWriter writer;
    return writer;
}

void Trace(int32_t level, const char* function, const char* format, ...)
{
    TraceWriter& writer = LibraryTrace();
    if (!writer.Enabled(level)) {
        return;
    }
    va_list args;
    va_start(args, format);
    writer.WriteV(level, function, format, args);
    va_end(args);
}
