// The unit's option commands and queries, and the set command of a value.
#include "unit/OptionCommands.h"

namespace {

constexpr const char* kBusWords[] = {"MVIP", "SCSA"};
constexpr const char* kClockWords[] = {"MASTER", "SLAVE"};
constexpr const char* kEncodingWords[] = {"ULAW", "ALAW"};
constexpr const char* kSwitchWords[] = {"OFF", "ON"};

// In the order of UnitOption.
const OptionCommand kOptions[] = {
    {"SET BUS=", "SET BUS", &UnitAnswers::busType, kBusWords, 1, 2},
    {"SET CLOCK=", "SET CLOCK", &UnitAnswers::clockType, kClockWords, 0, 2},
    {"SET ENCODING=", "SET ENCODING", &UnitAnswers::encodingType, kEncodingWords, 0, 2},
    {"SET RDSP=", "SET RDSP", &UnitAnswers::rdspType, kSwitchWords, 0, 2},
    {"SET SPLIT=", "SET SPLIT", &UnitAnswers::splitType, kSwitchWords, 0, 2},
    {"SET STARTSTOPDETECT=", "SET STARTSTOPDETECT", &UnitAnswers::startStopDetect, kSwitchWords, 0, 2},
    {"SET STREAM=", "SET STREAM", &UnitAnswers::stream, nullptr, 0, 0},
    {"SET SLOTS=", "SET SLOTS", &UnitAnswers::slots, nullptr, 0, 0},
    {"SET STARTSTOPMIN=", "SET STARTSTOPMIN", &UnitAnswers::startStopMin, nullptr, 0, 0},
    {"SET STARTSTOPMAX=", "SET STARTSTOPMAX", &UnitAnswers::startStopMax, nullptr, 0, 0},
    {"SET STARTSTOPON=", "SET STARTSTOPON", &UnitAnswers::startStopOn, nullptr, 0, 0},
    {"SET STARTSTOPOFF=", "SET STARTSTOPOFF", &UnitAnswers::startStopOff, nullptr, 0, 0},
};

}  // namespace

const OptionCommand& OptionCommandOf(UnitOption option)
{
    return kOptions[static_cast<size_t>(option)];
}

std::optional<std::string> FormatSetCommand(UnitOption option, int32_t value)
{
    const OptionCommand& command = OptionCommandOf(option);
    if (command.words == nullptr) {
        return std::string(command.setCommand) + std::to_string(value);
    }
    const int64_t index = static_cast<int64_t>(value) - command.firstValue;
    if (index < 0 || index >= static_cast<int64_t>(command.wordCount)) {
        return std::nullopt;
    }
    return std::string(command.setCommand) + command.words[index];
}
