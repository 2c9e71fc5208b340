// Reading trace files back: the time text of each line masked as "<time>", so
// the rest of a line can be compared byte for byte.
#pragma once

#include <regex>
#include <string>
#include <vector>

inline const std::regex& TimeTextPattern()
{
    // The layout of ctime(): "Thu Dec 10 00:48:56 2026" (a day below 10 has a blank before it).
    static const std::regex pattern("\n[A-Z][a-z]{2} [A-Z][a-z]{2} [ 1-3][0-9] [0-2][0-9]:[0-5][0-9]:[0-6][0-9] [0-9]{4} ");
    return pattern;
}

inline std::string MaskTimes(const std::string& text)
{
    return std::regex_replace(text, TimeTextPattern(), "\n<time> ");
}

// The masked lines, each without its leading "\n<time> ".
inline std::vector<std::string> MaskedLines(const std::string& text)
{
    static const std::string kLead = "\n<time> ";
    const std::string masked = MaskTimes(text);
    std::vector<std::string> lines;
    size_t start = masked.find(kLead);
    while (start != std::string::npos) {
        const size_t next = masked.find(kLead, start + kLead.size());
        lines.push_back(masked.substr(start + kLead.size(),
                                      (next == std::string::npos ? masked.size() : next) - start - kLead.size()));
        start = next;
    }
    return lines;
}
