// The library's trace log: one writer for the process, set up at load.
#pragma once

#include <cstdint>

#include "common/TraceWriter.h"

TraceWriter& LibraryTrace();

void Trace(int32_t level, const char* function, const char* format, ...) __attribute__((format(printf, 3, 4)));
