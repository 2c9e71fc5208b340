#include "ErrorMessages.h"

#include <cstdio>

#include "AppletTrace.h"
#include "UserPrompts.h"
#include "qxzaqlnk.h"

namespace {

struct ErrorEntry {
    uint32_t code;
    const char* text;
};

constexpr ErrorEntry kErrorTexts[] = {
    {0xE0002003u, "ZAQ Already Started!"},
    {ZAQ16_RET_RESTART_FAILED, "ZAQ Not Started!"},
    {ZAQ16_RET_FAILED, "ZAQ malfunction!"},
    {ZAQ16_RET_UNIT_ERROR, "ZAQ - Invalid Function!"},
    {ZAQ16_RET_BAD_CHANNEL, "ZAQ - Invalid Channel"},
    {0xE0002010u, "ZAQ - Busy"},
    {ZAQ16_RET_INVALID_PARAM, "ZAQ - Invalid Parameter!"},
    {ZAQ16_RET_NOT_READY, "ZAQ - Not Available!"},
    {ZAQ16_RET_BAD_SIZE, "ZAQ - Bad Parameter!"},
    {ZAQ16_RET_PENDING, "ZAQ - Internal Error!"},
    {0xE0002206u, "ZAQ - No Memory!"},
    {0xE0002211u, "ZAQ - Version Mismatch!"},
    {ZAQ16_RET_TIMEOUT, "ZAQ - Timeout error!"},
    {ZAQ16_RET_TRUNCATED, "ZAQ - Truncated!"},
    {ZAQ16_RET_FILE_NOT_FOUND, "ZAQ - File Not Found!"},
};

}  // namespace

std::string ErrorText(uint32_t code)
{
    for (const ErrorEntry& entry : kErrorTexts) {
        if (entry.code == code) {
            return entry.text;
        }
    }
    char text[48];
    std::snprintf(text, sizeof text, "%s %d", "Unknown Error", static_cast<int>(code));
    return text;
}

bool IsFailureCode(uint32_t code)
{
    return code >= 0xE0000000u && code != ZAQ16_NO_ANSWER;
}

void processError(QWidget* parent, uint32_t code)
{
    const std::string text = ErrorText(code);
    AppletTrace().Write(TRACE_ERROR, "processError", "%s", text.c_str());
    Prompts().Message(parent, QString::fromStdString(text), "Error!", UserPrompts::Icon::Error);
}
