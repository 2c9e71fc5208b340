// The text of a system event log entry where the log takes one message.
#include "platform/EventLog.h"

namespace platform {

std::string FormatEventLogMessage(const std::vector<std::string>& strings, const void* data, size_t size)
{
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string message;
    for (size_t i = 0; i < strings.size(); ++i) {
        if (i > 0) {
            message += " : ";
        }
        message += strings[i];
    }
    if (data == nullptr || size == 0) {
        return message;
    }
    const auto* bytes = static_cast<const uint8_t*>(data);
    const size_t shown = size < kMaxLoggedDataBytes ? size : kMaxLoggedDataBytes;
    message += message.empty() ? "[" : " [";
    for (size_t i = 0; i < shown; ++i) {
        if (i > 0) {
            message += ' ';
        }
        message += kDigits[bytes[i] >> 4];
        message += kDigits[bytes[i] & 0x0F];
    }
    message += shown < size ? " ...]" : "]";
    return message;
}

}  // namespace platform
