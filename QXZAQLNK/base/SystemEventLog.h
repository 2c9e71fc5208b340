// Landmark entries in the system event log under the source "QXZAQLNK".
#pragma once

#include <cstddef>
#include <cstdint>

// One information entry with the insertion strings "Nopex" and `source`.
void ReportInfo(const char* source, size_t size, const void* data);
// One error entry; at most 101 per process, followed by one notice.
void ReportError(uint32_t code, const char* text, size_t size, const void* data);
