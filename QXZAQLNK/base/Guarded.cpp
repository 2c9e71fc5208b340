#include "base/Guarded.h"

#include <exception>

#include "base/Trace.h"

void TraceEscapedException(const char* where) noexcept
{
    // Writing the line may itself run out of memory: then the line is lost.
    try {
        try {
            throw;
        } catch (const std::exception& caught) {
            Trace(TRACE_FATAL, where, "Exception stopped at the library's edge: %s", caught.what());
        } catch (...) {
            Trace(TRACE_FATAL, where, "Exception stopped at the library's edge");
        }
    } catch (...) {
    }
}
