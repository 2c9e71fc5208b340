#include "platform/Clock.h"

#include <ctime>
#include <time.h>

namespace platform {

uint32_t TickCount()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    const uint64_t ms = static_cast<uint64_t>(now.tv_sec) * 1000u + static_cast<uint64_t>(now.tv_nsec) / 1000000u;
    return static_cast<uint32_t>(ms);
}

void SleepMs(uint32_t milliseconds)
{
    timespec request{static_cast<time_t>(milliseconds / 1000), static_cast<long>(milliseconds % 1000) * 1000000L};
    while (nanosleep(&request, &request) != 0) {
    }
}

int64_t UnixTimeSeconds()
{
    return static_cast<int64_t>(time(nullptr));
}

bool LocalTime(int64_t unixSeconds, BrokenDownTime& out)
{
    const time_t seconds = static_cast<time_t>(unixSeconds);
    tm parts{};
    if (localtime_r(&seconds, &parts) == nullptr) {
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
    const time_t seconds = mktime(&parts);
    return seconds == static_cast<time_t>(-1) ? -1 : static_cast<int64_t>(seconds);
}

}  // namespace platform
