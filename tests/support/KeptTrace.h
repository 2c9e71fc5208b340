// A trace function for the protocol engines that take one handed in: keeps
// each line as "Function: message" (without its line end) for the test to read.
#pragma once

#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

inline std::vector<std::string>& TraceLines()
{
    static std::vector<std::string> lines;
    return lines;
}

inline void KeepTrace(int32_t, const char* function, const char* format, ...)
{
    char text[512];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(text, sizeof text, format, arguments);
    va_end(arguments);
    std::string line = std::string(function) + ": " + text;
    if (!line.empty() && line.back() == '\n') {
        line.pop_back();
    }
    TraceLines().push_back(line);
}
