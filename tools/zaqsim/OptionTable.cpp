#include "OptionTable.h"

#include <algorithm>
#include <charconv>

namespace zaqsim {

namespace {

const std::vector<OptionChoice> kOnOff = {{"OFF", "OFF"}, {"ON", "ON"}};

}  // namespace

const std::vector<OptionSpec>& OptionTable()
{
    static const std::vector<OptionSpec> table = {
        {"BUS", "Bus", OptionKind::Choice, {{"MVIP", "MVIP"}, {"SCSA", "SCSA"}}, "MVIP"},
        {"CLOCK", "Clock", OptionKind::Choice, {{"MASTER", "Master"}, {"SLAVE", "Slave"}}, "Master"},
        {"ENCODING", "Encoding", OptionKind::Choice, {{"ULAW", "uLaw"}, {"ALAW", "aLaw"}}, "uLaw"},
        {"RDSP", "RDSP", OptionKind::Choice, kOnOff, "OFF"},
        {"SPLIT", "Split", OptionKind::Choice, kOnOff, "OFF"},
        {"STARTSTOPDETECT", "StartStopDetect", OptionKind::Choice, kOnOff, "OFF"},
        {"STREAM", "Stream", OptionKind::Number, {}, "0"},
        {"SLOTS", "Slots", OptionKind::Number, {}, "32"},
        {"STARTSTOPMIN", "StartStopMin", OptionKind::Number, {}, "2"},
        {"STARTSTOPMAX", "StartStopMax", OptionKind::Number, {}, "30"},
        {"STARTSTOPON", "StartStopOn", OptionKind::Number, {}, "20"},
        {"STARTSTOPOFF", "StartStopOff", OptionKind::Number, {}, "10"},
        {"LIGHTMASK0", "LightMask0", OptionKind::Text, {}, "FFFF"},
        {"LIGHTMASK1", "LightMask1", OptionKind::Text, {}, "0000"},
    };
    return table;
}

const OptionSpec* FindOption(std::string_view word)
{
    const std::string upper = UpperCase(Trim(word));
    for (const OptionSpec& option : OptionTable()) {
        if (upper == option.word)
            return &option;
    }
    return nullptr;
}

std::optional<std::string> AcceptOptionValue(const OptionSpec& option, std::string_view value)
{
    switch (option.kind) {
    case OptionKind::Choice: {
        const std::string upper = UpperCase(Trim(value));
        for (const OptionChoice& choice : option.choices) {
            if (upper == choice.word)
                return std::string(choice.shown);
        }
        return std::nullopt;
    }
    case OptionKind::Number: {
        const std::string_view digits = Trim(value);
        long number = -1;
        const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
        if (digits.empty() || error != std::errc() || end != digits.data() + digits.size() ||
            number < 0 || number > kMaxOptionNumber)
            return std::nullopt;
        return std::to_string(number);
    }
    case OptionKind::Text:
        // The library keeps a mask in 10 bytes; control characters would break the answer line.
        if (value.size() > kMaxLightMask ||
            std::any_of(value.begin(), value.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20; }))
            return std::nullopt;
        return std::string(value);
    }
    return std::nullopt;
}

OptionValues PowerOnOptionValues()
{
    OptionValues values;
    for (const OptionSpec& option : OptionTable())
        values[option.word] = option.powerOn;
    return values;
}

OptionValues PowerOnOptionValues(const std::map<std::string, std::string>& overrides,
                                 std::vector<std::string>& problems)
{
    OptionValues values = PowerOnOptionValues();
    for (const auto& [word, value] : overrides) {
        const OptionSpec* option = FindOption(word);
        std::optional<std::string> shown;
        if (option != nullptr)
            shown = AcceptOptionValue(*option, value);
        if (shown)
            values[option->word] = *shown;
        else
            problems.push_back("option " + word + "=" + value + " is not accepted");
    }
    return values;
}

std::string UpperCase(std::string_view text)
{
    std::string upper(text);
    for (char& c : upper) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
    return upper;
}

std::string_view Trim(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

}  // namespace zaqsim
