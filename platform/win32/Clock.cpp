#include "platform/Clock.h"

#include <ctime>

#include <windows.h>

namespace platform {

uint32_t TickCount()
{
    return static_cast<uint32_t>(GetTickCount64());
}

void SleepMs(uint32_t milliseconds)
{
    Sleep(milliseconds);
}

int64_t UnixTimeSeconds()
{
    return static_cast<int64_t>(std::time(nullptr));
}

bool LocalTime(int64_t unixSeconds, BrokenDownTime& out)
{
    const time_t seconds = static_cast<time_t>(unixSeconds);
    tm parts{};
    if (localtime_s(&parts, &seconds) != 0) {
        return false;
    }
    out = {parts.tm_sec, parts.tm_min, parts.tm_hour, parts.tm_mday, parts.tm_mon,
           parts.tm_year, parts.tm_wday, parts.tm_yday, parts.tm_isdst};
    return true;
}

int64_t MakeLocalTime(const BrokenDownTime& time)
{
    tm parts{};
    parts.tm_sec = time.second;
    parts.tm_min = time.minute;
    parts.tm_hour = time.hour;
    parts.tm_mday = time.dayOfMonth;
    parts.tm_mon = time.month;
    parts.tm_year = time.yearsSince1900;
    parts.tm_isdst = -1;
    const time_t seconds = std::mktime(&parts);
    return seconds == static_cast<time_t>(-1) ? -1 : static_cast<int64_t>(seconds);
}

}  // namespace platform
