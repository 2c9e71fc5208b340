#include "base/SystemEventLog.h"

#include <atomic>
#include <cstdio>
#include <mutex>

#include "platform/EventLog.h"

namespace {

constexpr const char* kSource = "QXZAQLNK";
constexpr uint16_t kCategory = 2;
constexpr uint32_t kInformationId = 0x400707E6;
constexpr uint32_t kErrorId = 0xC00707D0;
constexpr uint32_t kErrorCap = 100;

std::mutex errorCountLock;
uint32_t errorCount = 0;

}  // namespace

void ReportInfo(const char* source, size_t size, const void* data)
{
    platform::WriteEventLogEntry(kSource, platform::EventLogType::Information, kCategory, kInformationId,
                                 {"Nopex", source != nullptr ? source : ""}, data, size);
}

void ReportError(uint32_t code, const char* text, size_t size, const void* data)
{
    std::lock_guard<std::mutex> guard(errorCountLock);
    if (errorCount > kErrorCap) {
        return;
    }
    char codeText[16];
    std::snprintf(codeText, sizeof codeText, "0x%x", code);
    platform::WriteEventLogEntry(kSource, platform::EventLogType::Error, kCategory, kErrorId,
                                 {"Nopex", codeText, text != nullptr ? text : ""}, data, size);
    ++errorCount;
    if (errorCount > kErrorCap) {
        platform::WriteEventLogEntry(kSource, platform::EventLogType::Information, kCategory, kInformationId,
                                     {"Nopex", codeText, "Error log reached specified maximum"}, nullptr, 0);
    }
}
