// The parts of the clock that need no system call: the ctime() text and the
// system tick as a Clock.
#include <cstdio>

#include "platform/Clock.h"

namespace platform {

std::string CtimeText(const BrokenDownTime& time)
{
    // The C library's own names, whatever the application's locale.
    static const char* const kWeekdays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const char* weekday = time.weekday >= 0 && time.weekday < 7 ? kWeekdays[time.weekday] : "???";
    const char* month = time.month >= 0 && time.month < 12 ? kMonths[time.month] : "???";
    char text[64] = {};
    std::snprintf(text, sizeof text, "%.3s %.3s%3d %.2d:%.2d:%.2d %d", weekday, month, time.dayOfMonth, time.hour,
                  time.minute, time.second, time.yearsSince1900 + 1900);
    return text;
}

std::string LocalTimeText()
{
    BrokenDownTime now;
    if (!LocalTime(UnixTimeSeconds(), now)) {
        return CtimeText(BrokenDownTime{});
    }
    return CtimeText(now);
}

namespace {
class SystemTick final : public Clock {
public:
    uint32_t Now() const override { return TickCount(); }
};
}  // namespace

const Clock& SystemClock()
{
    static const SystemTick clock;
    return clock;
}

}  // namespace platform
