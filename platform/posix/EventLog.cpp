#include "platform/EventLog.h"

#include <mutex>

#include <sys/stat.h>
#include <syslog.h>

namespace platform {

namespace {

struct TypePriority {
    EventLogType type;
    int priority;
};

constexpr TypePriority kPriorities[] = {
    {EventLogType::Information, LOG_INFO},
    {EventLogType::Warning, LOG_WARNING},
    {EventLogType::Error, LOG_ERR},
};

int PriorityOf(EventLogType type)
{
    for (const TypePriority& entry : kPriorities) {
        if (entry.type == type) {
            return entry.priority;
        }
    }
    return LOG_NOTICE;
}

bool LogReachable()
{
    struct stat socket {};
    return stat(_PATH_LOG, &socket) == 0 && S_ISSOCK(socket.st_mode);
}

}  // namespace

bool WriteEventLogEntry(const std::string& source, EventLogType type, uint16_t category, uint32_t eventId,
                        const std::vector<std::string>& strings, const void* data, size_t size)
{
    if (!LogReachable()) {
        return false;
    }
    const std::string message = FormatEventLogMessage(strings, data, size);
    // openlog() keeps the ident pointer and is process-wide: register, write and
    // deregister as one step, as the event source is registered per entry.
    static std::mutex logMutex;
    std::lock_guard<std::mutex> guard(logMutex);
    openlog(source.c_str(), LOG_PID, LOG_USER);
    syslog(PriorityOf(type), "%s", message.c_str());
    closelog();
    return true;
}

}  // namespace platform
