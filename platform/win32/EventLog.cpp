#include "platform/EventLog.h"

#include <windows.h>

namespace platform {

namespace {

struct TypeCode {
    EventLogType type;
    WORD code;
};

constexpr TypeCode kTypeCodes[] = {
    {EventLogType::Information, EVENTLOG_INFORMATION_TYPE},
    {EventLogType::Warning, EVENTLOG_WARNING_TYPE},
    {EventLogType::Error, EVENTLOG_ERROR_TYPE},
};

WORD CodeOf(EventLogType type)
{
    for (const TypeCode& entry : kTypeCodes) {
        if (entry.type == type) {
            return entry.code;
        }
    }
    return EVENTLOG_INFORMATION_TYPE;
}

}  // namespace

bool WriteEventLogEntry(const std::string& source, EventLogType type, uint16_t category, uint32_t eventId,
                        const std::vector<std::string>& strings, const void* data, size_t size)
{
    // Registered per entry, as the library has always done: no handle outlives the call.
    HANDLE log = RegisterEventSourceA(nullptr, source.c_str());
    if (log == nullptr) {
        return false;
    }
    std::vector<LPCSTR> texts;
    texts.reserve(strings.size());
    for (const std::string& text : strings) {
        texts.push_back(text.c_str());
    }
    const BOOL written = ReportEventA(log, CodeOf(type), category, eventId, nullptr, static_cast<WORD>(texts.size()),
                                      data != nullptr ? static_cast<DWORD>(size) : 0, texts.data(),
                                      const_cast<void*>(data));
    DeregisterEventSource(log);
    return written != FALSE;
}

}  // namespace platform
