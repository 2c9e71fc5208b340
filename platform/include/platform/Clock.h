// Time as the library sees it: a 32-bit millisecond tick, sleeps, and the
// calendar clock in local time.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

// Milliseconds since system start (a monotonic clock), truncated to 32 bits.
uint32_t TickCount();

void SleepMs(uint32_t milliseconds);

// Seconds since 1970 on the calendar clock.
int64_t UnixTimeSeconds();

// Broken-down local time in the standard C order and meaning.
struct BrokenDownTime {
    int second = 0;
    int minute = 0;
    int hour = 0;
    int dayOfMonth = 0;
    int month = 0;        // 0 to 11
    int yearsSince1900 = 0;
    int weekday = 0;
    int dayOfYear = 0;
    int daylightSaving = 0;
};

bool LocalTime(int64_t unixSeconds, BrokenDownTime& out);
// Local broken-down time back to seconds since 1970 (normalises the fields); -1 on failure.
int64_t MakeLocalTime(const BrokenDownTime& time);

// The 24-character date text of the C library's ctime() for now, without its newline,
// for example "Thu Dec 10 00:48:56 2026": English names whatever the locale.
std::string LocalTimeText();
// The same text for `time`.
std::string CtimeText(const BrokenDownTime& time);

// A source of the millisecond tick; tests hand a fake one to the protocol engines.
class Clock {
public:
    virtual ~Clock() = default;
    virtual uint32_t Now() const = 0;
};

// The system tick (TickCount).
const Clock& SystemClock();

}  // namespace platform
