// The trace-line writer shared by the link library and the applet.
//
// A line reads "\n<ctime text> <LEVEL, 7 columns>-<function, 15 columns> <message>":
// each line begins with a newline, the level name and the function text are
// left-aligned and padded (longer texts are not cut). A line is written when
// its level is at most the trace level; level 0 (FATAL) lines always appear.
// Each line is formatted whole and appended with one write, so lines from
// several threads or processes never mix; a file that cannot be opened only
// loses the line.
#pragma once

#include <atomic>
#include <cstdarg>
#include <cstdint>
#include <mutex>
#include <string>

#include "platform/FileAppend.h"

enum TraceLevel : int32_t {
    TRACE_FATAL = 0,
    TRACE_ERROR = 1,
    TRACE_WARNING = 2,
    TRACE_INFO = 3,
    TRACE_TRACE = 4,
    TRACE_DEBUG = 5,
};

class TraceWriter {
public:
    static constexpr int32_t kDefaultLevel = TRACE_INFO;

    // The log file's full path; empty: no trace file at all.
    void SetPath(const std::string& logFile);
    std::string Path() const;

    int32_t Level() const { return level_.load(std::memory_order_relaxed); }
    void SetLevel(int32_t level) { level_.store(level, std::memory_order_relaxed); }
    // FATAL lines pass even when a bad registry value set the level below 0.
    // False also when there is no trace file: callers then skip formatting altogether.
    bool Enabled(int32_t level) const
    {
        return hasFile_.load(std::memory_order_relaxed) && (level <= TRACE_FATAL || level <= Level());
    }

    void Write(int32_t level, const char* function, const char* format, ...)
        __attribute__((format(printf, 4, 5)));
    void WriteV(int32_t level, const char* function, const char* format, va_list args);

    // "FATAL" ... "DEBUG"; "" for a level outside 0 to 5.
    static const char* LevelName(int32_t level);

    // The line (without writing it) as Write would write it at `timeText`.
    static std::string FormatLine(const std::string& timeText, int32_t level, const char* function,
                                  const char* format, va_list args);

    // Keeps the previous run's log: in `directory`, deletes "<base>.org", renames
    // "<base>.log" to "<base>.org", then deletes "<base>.log" if it still exists.
    static void RotateLog(const std::string& directory, const std::string& baseName);

private:
    std::atomic<int32_t> level_{kDefaultLevel};
    std::atomic<bool> hasFile_{false};
    mutable std::mutex pathMutex_;
    std::string path_;
    platform::AppendFile file_;
};
