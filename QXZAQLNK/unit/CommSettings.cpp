// The line-settings text of a COM port read into line settings.
#include "unit/CommSettings.h"

#include <charconv>
#include <cctype>
#include <string>

namespace {

bool ParseNumber(std::string_view text, uint32_t& value)
{
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size();
}

std::string Lower(std::string_view text)
{
    std::string lowered(text);
    for (char& c : lowered) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return lowered;
}

}  // namespace

bool BuildLineSettings(std::string_view text, platform::LineSettings& settings)
{
    platform::LineSettings parsed = settings;
    size_t position = 0;
    while (position < text.size()) {
        while (position < text.size() && text[position] == ' ') {
            ++position;
        }
        if (position == text.size()) {
            break;
        }
        size_t end = text.find(' ', position);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        const std::string_view item = text.substr(position, end - position);
        position = end;
        const size_t equals = item.find('=');
        if (equals == std::string_view::npos) {
            return false;
        }
        const std::string key = Lower(item.substr(0, equals));
        const std::string_view value = item.substr(equals + 1);
        uint32_t number = 0;
        if (key == "baud") {
            if (!ParseNumber(value, number) || number == 0) {
                return false;
            }
            parsed.baud = number;
        } else if (key == "parity") {
            if (value.size() != 1 || std::string_view("NEOMSneoms").find(value[0]) == std::string_view::npos) {
                return false;
            }
            parsed.parity = static_cast<char>(std::toupper(static_cast<unsigned char>(value[0])));
        } else if (key == "data") {
            if (!ParseNumber(value, number) || number < 5 || number > 8) {
                return false;
            }
            parsed.dataBits = number;
        } else if (key == "stop") {
            if (!ParseNumber(value, number) || (number != 1 && number != 2)) {
                return false;
            }
            parsed.stopBits = number;
        } else {
            return false;
        }
    }
    settings = parsed;
    return true;
}
