// Reading trace files back: the time text of each line masked as "<time>", so
// the rest of a line can be compared byte for byte.
#pragma once

#include <cctype>
#include <string>
#include <string_view>
#include <vector>

// The layout of ctime(), "Thu Dec 10 00:48:56 2026": A upper case, a lower
// case, 9 a digit, _ a blank or a digit (a day below 10 has a blank before it).
inline bool IsTimeText(std::string_view text)
{
    static constexpr std::string_view kShape = "Aaa Aaa _9 99:99:99 9999";
    if (text.size() < kShape.size()) {
        return false;
    }
    for (size_t i = 0; i < kShape.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        const bool fits = kShape[i] == 'A'   ? std::isupper(c) != 0
                          : kShape[i] == 'a' ? std::islower(c) != 0
                          : kShape[i] == '9' ? std::isdigit(c) != 0
                          : kShape[i] == '_' ? (c == ' ' || std::isdigit(c) != 0)
                                             : c == static_cast<unsigned char>(kShape[i]);
        if (!fits) {
            return false;
        }
    }
    return true;
}

// Every "\n<time text> " becomes "\n<time> ".
inline std::string MaskTimes(const std::string& text)
{
    constexpr size_t kTimeLength = 24;
    std::string masked;
    for (size_t i = 0; i < text.size(); ++i) {
        masked += text[i];
        const std::string_view rest = std::string_view(text).substr(i + 1);
        if (text[i] == '\n' && IsTimeText(rest) && rest.size() > kTimeLength && rest[kTimeLength] == ' ') {
            masked += "<time>";
            i += kTimeLength;
        }
    }
    return masked;
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
