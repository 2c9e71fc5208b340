// The system event log (syslog on Linux, ident "QXZAQLNK").
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace platform {

enum class EventLogType { Information, Warning, Error };

// One entry from `source`: its insertion strings joined by " : " make the
// message; `data` is the entry's binary data. False when the log could not be
// reached.
bool WriteEventLogEntry(const std::string& source, EventLogType type, uint16_t category,
                        uint32_t eventId, const std::vector<std::string>& strings,
                        const void* data, size_t size);

}  // namespace platform
