// The date and time that a PBX shows on its sets, captured from the display
// messages and carried forward by the local clock. The reader thread writes
// it, application threads read it.
#pragma once

#include <cstdint>
#include <functional>
#include <mutex>

#include "platform/Clock.h"

class PbxClock {
public:
    // Seconds since 1970 on the calendar clock; tests hand in a fake one.
    using CalendarNow = std::function<int64_t()>;

    explicit PbxClock(CalendarNow now = platform::UnixTimeSeconds);
    void SetCalendar(CalendarNow now);

    // A date as the PBX sends it: years since 2000, month 1 to 12, day, hours, minutes.
    void TakeDate(uint8_t years, uint8_t month, uint8_t day, uint8_t hours, uint8_t minutes);
    // The seconds, which follow the date in a message of their own.
    void TakeSeconds(uint8_t seconds);

    // The PBX's time now as second, minute, hour, day, month (1 to 12), year
    // (four digits), weekday, day of year, daylight flag. ZAQ16_RET_NOT_READY
    // before any date arrived or when the time cannot be converted.
    uint32_t GetPBXDateTime(int32_t time[9]) const;

private:
    bool Unset() const;

    mutable std::mutex mutex_;
    CalendarNow now_;
    platform::BrokenDownTime pbxTime_;
    int64_t pbxTimeTaken_ = 0;
};
