#include "common/TraceWriter.h"

#include <cstdio>
#include <filesystem>
#include <iterator>
#include <vector>

#include "platform/Clock.h"

namespace {

constexpr const char* kLevelNames[] = {"FATAL", "ERROR", "WARNING", "INFO", "TRACE", "DEBUG"};

// printf-style text of any length.
std::string FormatText(const char* format, va_list args)
{
    if (format == nullptr) {
        return {};
    }
    char small[256];
    va_list copy;
    va_copy(copy, args);
    const int needed = std::vsnprintf(small, sizeof small, format, copy);
    va_end(copy);
    if (needed < 0) {
        return {};
    }
    if (static_cast<size_t>(needed) < sizeof small) {
        return std::string(small, static_cast<size_t>(needed));
    }
    std::vector<char> large(static_cast<size_t>(needed) + 1);
    va_copy(copy, args);
    std::vsnprintf(large.data(), large.size(), format, copy);
    va_end(copy);
    return std::string(large.data(), static_cast<size_t>(needed));
}

std::string FormatTextOf(const char* format, ...) __attribute__((format(printf, 1, 2)));

std::string FormatTextOf(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    std::string text = FormatText(format, args);
    va_end(args);
    return text;
}

std::filesystem::path InDirectory(const std::string& directory, const std::string& name)
{
    return directory.empty() ? std::filesystem::path(name) : std::filesystem::path(directory) / name;
}

}  // namespace

void TraceWriter::SetPath(const std::string& logFile)
{
    std::lock_guard<std::mutex> guard(pathMutex_);
    path_ = logFile;
    hasFile_ = !path_.empty();
    if (path_.empty()) {
        file_.Close();
    }
}

std::string TraceWriter::Path() const
{
    std::lock_guard<std::mutex> guard(pathMutex_);
    return path_;
}

void TraceWriter::Write(int32_t level, const char* function, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    WriteV(level, function, format, args);
    va_end(args);
}

void TraceWriter::WriteV(int32_t level, const char* function, const char* format, va_list args)
{
    if (!Enabled(level)) {
        return;
    }
    std::lock_guard<std::mutex> guard(pathMutex_);
    if (path_.empty()) {
        return;
    }
    const std::string line = FormatLine(platform::LocalTimeText(), level, function, format, args);
    file_.Append(path_, line.data(), line.size());
}

const char* TraceWriter::LevelName(int32_t level)
{
    constexpr int32_t count = static_cast<int32_t>(std::size(kLevelNames));
    return (level >= 0 && level < count) ? kLevelNames[level] : "";
}

std::string TraceWriter::FormatLine(const std::string& timeText, int32_t level, const char* function,
                                    const char* format, va_list args)
{
    return FormatTextOf("\n%s %-7s-%-15s ", timeText.c_str(), LevelName(level), function != nullptr ? function : "") +
           FormatText(format, args);
}

void TraceWriter::RotateLog(const std::string& directory, const std::string& baseName)
{
    const std::filesystem::path log = InDirectory(directory, baseName + ".log");
    const std::filesystem::path previous = InDirectory(directory, baseName + ".org");
    std::error_code ignored;
    std::filesystem::remove(previous, ignored);
    std::filesystem::rename(log, previous, ignored);
    std::filesystem::remove(log, ignored);
}
