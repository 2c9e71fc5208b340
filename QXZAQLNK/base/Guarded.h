// No C++ exception leaves the library: the exported entries and the library's
// threads run their bodies through these guards. An exception (memory or
// threads exhausted, a throwing application callback) becomes one FATAL trace
// line naming `where`; an entry then returns ZAQ16_RET_FAILED, a thread ends.
#pragma once

#include <cstdint>

#include "qxzaqlnk.h"

// Writes the FATAL line for the exception being handled (call only inside a catch).
void TraceEscapedException(const char* where) noexcept;

template <class Body>
uint32_t GuardedEntry(const char* where, Body&& body) noexcept
{
    try {
        return body();
    } catch (...) {
        TraceEscapedException(where);
    }
    return ZAQ16_RET_FAILED;
}

template <class Body>
void RunGuarded(const char* where, Body&& body) noexcept
{
    try {
        body();
    } catch (...) {
        TraceEscapedException(where);
    }
}
