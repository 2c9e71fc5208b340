// The PBX's date and time, taken from its sets' display and carried on by the
// local clock.
#include "decoders/PbxClock.h"

#include "base/Trace.h"
#include "qxzaqlnk.h"

namespace {

constexpr int kYearsFrom1900To2000 = 100;

}  // namespace

PbxClock::PbxClock(CalendarNow now) : now_(std::move(now)) {}

void PbxClock::SetCalendar(CalendarNow now)
{
    std::lock_guard<std::mutex> guard(mutex_);
    now_ = std::move(now);
}

void PbxClock::TakeDate(uint8_t years, uint8_t month, uint8_t day, uint8_t hours, uint8_t minutes)
{
    std::lock_guard<std::mutex> guard(mutex_);
    pbxTimeTaken_ = now_();
    pbxTime_.yearsSince1900 = years + kYearsFrom1900To2000;
    pbxTime_.month = month - 1;
    pbxTime_.dayOfMonth = day;
    pbxTime_.hour = hours;
    pbxTime_.minute = minutes;
}

void PbxClock::TakeSeconds(uint8_t seconds)
{
    std::lock_guard<std::mutex> guard(mutex_);
    pbxTime_.second = seconds;
}

bool PbxClock::Unset() const
{
    const platform::BrokenDownTime& t = pbxTime_;
    return t.second == 0 && t.minute == 0 && t.hour == 0 && t.dayOfMonth == 0 && t.month == 0 &&
           t.yearsSince1900 == 0 && t.weekday == 0 && t.dayOfYear == 0 && t.daylightSaving == 0;
}

uint32_t PbxClock::GetPBXDateTime(int32_t time[9]) const
{
    platform::BrokenDownTime now;
    {
        std::lock_guard<std::mutex> guard(mutex_);
        if (Unset()) {
            return ZAQ16_RET_NOT_READY;
        }
        const int64_t taken = platform::MakeLocalTime(pbxTime_);
        if (taken < 0 || !platform::LocalTime(taken + (now_() - pbxTimeTaken_), now)) {
            return ZAQ16_RET_NOT_READY;
        }
    }
    const int32_t fields[9] = {now.second,     now.minute,  now.hour,      now.dayOfMonth,    now.month + 1,
                               now.yearsSince1900 + 1900, now.weekday, now.dayOfYear, now.daylightSaving};
    for (int i = 0; i < 9; ++i) {
        time[i] = fields[i];
    }
    Trace(TRACE_INFO, "GetPBXDateTime", "%02d-%02d-%02d %02d:%02d:%02d", time[4], time[3], time[5], time[2], time[1],
          time[0]);
    return ZAQ16_RET_SUCCESS;
}
