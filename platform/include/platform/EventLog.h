// The system event log: ReportEvent under an event source on Windows,
// syslog(3) with the source as ident on Linux.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace platform {

enum class EventLogType { Information, Warning, Error };

// One entry from `source`. Windows: an entry of that type, category and
// identifier with the insertion strings and the binary data. Linux: the message
// of FormatEventLogMessage at the priority of its type (information LOG_INFO,
// warning LOG_WARNING, error LOG_ERR). False when the log could not be reached.
// Safe from several threads.
bool WriteEventLogEntry(const std::string& source, EventLogType type, uint16_t category,
                        uint32_t eventId, const std::vector<std::string>& strings,
                        const void* data, size_t size);

// The insertion strings joined by " : ", then the binary data (at most its first
// kMaxLoggedDataBytes bytes) in hex: "Nopex : QXZAQLNK [50 52 4f ...]".
constexpr size_t kMaxLoggedDataBytes = 256;
std::string FormatEventLogMessage(const std::vector<std::string>& strings, const void* data, size_t size);

}  // namespace platform
