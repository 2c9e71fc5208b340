// What each text line of the unit answers or reports.
#include "unit/UnitAnswerParser.h"

#include <cstdio>
#include <string>

#include "base/Trace.h"
#include "qxzaqlnk.h"

namespace {

constexpr const char* kFunction = "HandleCommand";

bool StartsWith(std::string_view line, std::string_view prefix)
{
    return line.substr(0, prefix.size()) == prefix;
}

bool Holds(std::string_view line, std::string_view text)
{
    return line.find(text) != std::string_view::npos;
}

// The line without its trailing characters of code 13 or less (the CR).
std::string_view Stripped(std::string_view line)
{
    while (!line.empty() && static_cast<unsigned char>(line.back()) <= 13) {
        line.remove_suffix(1);
    }
    return line;
}

// The decimal value at `position` as atoi reads it (blanks, sign, digits); 0 past the end.
int32_t NumberAt(std::string_view line, size_t position)
{
    while (position < line.size() && (line[position] == ' ' || line[position] == '\t')) {
        ++position;
    }
    bool negative = false;
    if (position < line.size() && (line[position] == '-' || line[position] == '+')) {
        negative = line[position] == '-';
        ++position;
    }
    int64_t value = 0;
    while (position < line.size() && line[position] >= '0' && line[position] <= '9') {
        value = value * 10 + (line[position] - '0');
        if (value > 0x7FFFFFFF) {
            value = 0x7FFFFFFF;
        }
        ++position;
    }
    return static_cast<int32_t>(negative ? -value : value);
}

size_t AfterEquals(std::string_view line)
{
    const size_t equals = line.find('=');
    return equals == std::string_view::npos ? line.size() : equals + 1;
}

// Up to 16 numbers after the "=", each into the next byte of `table` (low 8 bits).
void ReadNumberList(std::string_view line, uint8_t* table)
{
    size_t position = AfterEquals(line);
    for (int index = 0; index < 16; ++index) {
        while (position < line.size() && line[position] == ' ') {
            ++position;
        }
        if (position >= line.size() || line[position] < '0' || line[position] > '9') {
            return;
        }
        table[index] = static_cast<uint8_t>(NumberAt(line, position));
        const size_t blank = line.find(' ', position);
        if (blank == std::string_view::npos) {
            return;
        }
        position = blank + 1;
    }
}

struct PbxName {
    const char* name;
    int32_t code;
};

// Every longer name comes before a name it contains: the first one found decides.
constexpr PbxName kPbxNames[] = {
    {"MeridianD", 1},   {"Definity2D", 2},   {"Definity4D", 3},  {"HicomD", 20},     {"Alcatel4k", 5},
    {"TeleSet", 6},     {"Integral", 7},     {"Impact", 8},      {"MD110D", 24},     {"MD110", 9},
    {"IntecomE", 10},   {"Definity2", 11},   {"Definity4", 12},  {"DTermIIID", 4},   {"DTermIII", 13},
    {"ISeries", 14},    {"NorstarD", 23},    {"Norstar", 15},    {"Meridian", 16},   {"Hicom", 17},
    {"TelradIS", 18},   {"Inter-TelD", 26},  {"Inter-Tel", 19},  {"MerlinMagixD", 21}, {"Merlin", 33},
    {"NEAX2400D", 25},  {"NEAX2400IP", 27},  {"NEAX2400IC", 28}, {"NEAX2000D", 29},  {"NEAX", 34},
    {"ISDN4WD", 30},    {"BRI_ST", 35},      {"FUJI9600D", 31},  {"FUJI9600", 32},
};

using Member = std::atomic<int32_t> UnitAnswers::*;

// A setting given by whether the line holds a word: "Clock=Master" -> 0, else 1.
struct WordRule {
    const char* prefix;
    Member member;
    const char* word;
    int32_t ifHolds;
    int32_t otherwise;
    const char* format;
};

constexpr WordRule kWordRules[] = {
    {"Bus=", &UnitAnswers::busType, "MVIP", 1, 2, "BUS = %d (%s)\n"},
    {"Clock=", &UnitAnswers::clockType, "Master", 0, 1, "Clock = %d (%s)\n"},
    {"Encoding=", &UnitAnswers::encodingType, "uLaw", 0, 1, "Encoding = %d (%s)\n"},
    {"RDSP=", &UnitAnswers::rdspType, "OFF", 0, 1, "RDSP = %d (%s)\n"},
    {"Split=", &UnitAnswers::splitType, "OFF", 0, 1, "Split = %d (%s)\n"},
    {"StartStopDetect=", &UnitAnswers::startStopDetect, "OFF", 0, 1, "StartStopDetect = %d (%s)\n"},
};

// A setting given as a decimal number after the "=".
struct NumberRule {
    const char* prefix;
    Member member;
    const char* format;
};

constexpr NumberRule kNumberRules[] = {
    {"Stream=", &UnitAnswers::stream, "Stream = %d (%s)\n"},
    {"Slots=", &UnitAnswers::slots, "Slots = %d (%s)\n"},
    {"StartStopMin=", &UnitAnswers::startStopMin, "StartStopMin = %d (%s)\n"},
    {"StartStopMax=", &UnitAnswers::startStopMax, "StartStopMax = %d (%s)\n"},
    {"StartStopOn=", &UnitAnswers::startStopOn, "StartStopOn = %d (%s)\n"},
    {"StartStopOff=", &UnitAnswers::startStopOff, "StartStopOff = %d (%s)\n"},
    {"Serial=", &UnitAnswers::serialNumber, "Serial = %d (%s)\n"},
};

// The error table lines: which table each fills and whether it completes the set.
struct ErrorLineRule {
    const char* prefix;
    UnitAnswers::ErrorTable table;
    bool completesTable;
};

constexpr ErrorLineRule kErrorLineRules[] = {
    {"Phone Errors =", UnitAnswers::kPhoneErrors, false},
    {"Pbx   Errors =", UnitAnswers::kPbxErrors, false},
    {"Phone Errs/s =", UnitAnswers::kPhoneErrorRate, false},
    {"Pbx Errors/s =", UnitAnswers::kPbxErrorRate, true},
    {" Errors =", UnitAnswers::kPhoneErrors, false},
    {" Errs/s =", UnitAnswers::kPbxErrors, true},
};

void StoreLightMask(std::string_view stripped, char* mask, const char* format, UnitAnswers& answers)
{
    const std::string_view text = stripped.substr(std::min(AfterEquals(stripped), stripped.size()));
    const std::string lineText(stripped);
    if (text.size() >= UnitAnswers::kLightMaskSize) {
        Trace(TRACE_ERROR, kFunction, "Light mask too long: %s\n", lineText.c_str());
        return;
    }
    const std::string maskText(text);
    {
        std::lock_guard<std::mutex> guard(answers.textMutex);
        std::memset(mask, 0, UnitAnswers::kLightMaskSize);
        std::memcpy(mask, maskText.data(), maskText.size());
    }
    Trace(TRACE_INFO, kFunction, format, maskText.c_str(), lineText.c_str());
}

void StoreLevels(std::string_view stripped, UnitAnswers& answers)
{
    const std::string lineText(stripped);
    if (stripped.size() != 72) {
        Trace(TRACE_INFO, "LENGTH", "%d", static_cast<int>(stripped.size()));
        return;
    }
    std::string blanked(stripped);
    for (size_t i = AfterEquals(blanked); i < blanked.size(); ++i) {
        if (blanked[i] == '*') {
            blanked[i] = ' ';
        }
    }
    {
        std::lock_guard<std::mutex> guard(answers.textMutex);
        std::memset(answers.phoneLevels, 0, sizeof answers.phoneLevels);
        ReadNumberList(blanked, answers.phoneLevels);
    }
    answers.levelsReady = 1;
    Trace(TRACE_INFO, kFunction, "Phone Levels (%s)\n", lineText.c_str());
}

void StoreFirmware(std::string_view stripped, UnitAnswers& answers)
{
    const size_t afterEquals = AfterEquals(stripped);
    answers.firmwareMajor = NumberAt(stripped, afterEquals);
    const size_t firstPoint = stripped.find('.', afterEquals);
    if (firstPoint != std::string_view::npos) {
        answers.firmwareMinor = NumberAt(stripped, firstPoint + 1);
        const size_t secondPoint = stripped.find('.', firstPoint + 1);
        if (secondPoint != std::string_view::npos) {
            answers.firmwareBuild = NumberAt(stripped, secondPoint + 1);
        }
    }
    Trace(TRACE_INFO, kFunction, "Firmware version %d.%d.%d", answers.firmwareMajor.load(),
          answers.firmwareMinor.load(), answers.firmwareBuild.load());
}

// The key rules of a line that holds "=".
void ParseValueLine(std::string_view line, UnitAnswers& answers)
{
    const std::string_view stripped = Stripped(line);
    const std::string lineText(stripped);
    if (StartsWith(line, "PBX")) {
        answers.pbxType = PbxTypeFromLine(stripped);
        Trace(TRACE_INFO, kFunction, "PBX = %d (%s)\n", answers.pbxType.load(), lineText.c_str());
        return;
    }
    for (const WordRule& rule : kWordRules) {
        if (StartsWith(line, rule.prefix)) {
            answers.*rule.member = Holds(stripped, rule.word) ? rule.ifHolds : rule.otherwise;
            Trace(TRACE_INFO, kFunction, rule.format, (answers.*rule.member).load(), lineText.c_str());
            return;
        }
    }
    for (const NumberRule& rule : kNumberRules) {
        if (StartsWith(line, rule.prefix)) {
            answers.*rule.member = NumberAt(stripped, AfterEquals(stripped));
            Trace(TRACE_INFO, kFunction, rule.format, (answers.*rule.member).load(), lineText.c_str());
            return;
        }
    }
    if (StartsWith(line, "LightMask0=")) {
        StoreLightMask(stripped, answers.lightMask0, "LightMask0 = %s (%s)\n", answers);
        return;
    }
    if (StartsWith(line, "LightMask1=")) {
        StoreLightMask(stripped, answers.lightMask1, "LightMask1 = %s (%s)\n", answers);
        return;
    }
    if (StartsWith(line, "Hardware =")) {
        answers.hardwareVersion = NumberAt(stripped, AfterEquals(stripped) + 1);
        Trace(TRACE_INFO, kFunction, "Hardware = %d (%s)\n", answers.hardwareVersion.load(), lineText.c_str());
        return;
    }
    if (StartsWith(line, "zaqPbxLevel=")) {
        // The level travels as one raw byte; read it unsigned, whatever its value.
        const size_t at = AfterEquals(line);
        answers.pbxLevel = at < line.size() ? static_cast<unsigned char>(line[at]) : 0;
        Trace(TRACE_INFO, kFunction, "zaqPbxLevel = %d (%s)\n", answers.pbxLevel.load(), lineText.c_str());
        return;
    }
    if (StartsWith(line, "RAW=")) {
        const bool on = Holds(stripped, "ON");
        answers.dchannelStatus = on ? 1 : 0;
        Trace(TRACE_INFO, kFunction, "DCHANNEL STATUS = %s (%s)\n", on ? "ON" : "OFF", lineText.c_str());
        return;
    }
    if (StartsWith(line, "Levels =")) {
        StoreLevels(stripped, answers);
        return;
    }
    for (const ErrorLineRule& rule : kErrorLineRules) {
        if (StartsWith(line, rule.prefix)) {
            {
                std::lock_guard<std::mutex> guard(answers.textMutex);
                ReadNumberList(stripped, answers.errorTables[rule.table]);
            }
            if (rule.completesTable) {
                answers.errorsReceived = 1;
            }
            return;
        }
    }
    if (StartsWith(line, "Firmware =")) {
        StoreFirmware(stripped, answers);
        return;
    }
    Trace(TRACE_DEBUG, kFunction, "Unhandled Command %s\n", lineText.c_str());
}

// "5Y", "12N": up to four digits, then Y (on) or N (off).
LineOutcome ParseStartStop(std::string_view line)
{
    size_t length = 0;
    while (length < 4 && length < line.size() && line[length] != 'N' && line[length] != 'Y') {
        ++length;
    }
    LineOutcome outcome;
    if (length >= line.size() || (line[length] != 'Y' && line[length] != 'N')) {
        return outcome;
    }
    outcome.kind = LineOutcome::Kind::StartStop;
    outcome.channel = static_cast<uint32_t>(NumberAt(line.substr(0, length), 0));
    outcome.startStopOn = line[length] == 'Y';
    return outcome;
}

}  // namespace

int32_t PbxTypeFromLine(std::string_view line)
{
    for (const PbxName& entry : kPbxNames) {
        if (Holds(line, entry.name)) {
            return entry.code;
        }
    }
    return static_cast<int32_t>(ZAQ16_PBX_UNKNOWN);
}

LineOutcome ParseUnitLine(std::string_view line, UnitAnswers& answers)
{
    LineOutcome outcome;
    // A stray control byte (a late ACK or CAN of a firmware transfer, line
    // noise) ahead of the text must not hide the answer.
    while (!line.empty() && static_cast<unsigned char>(line.front()) < ' ') {
        line.remove_prefix(1);
    }
    if (line.size() <= 1) {
        return outcome;
    }
    if (StartsWith(line, "Press R to Redisplay")) {
        answers.errorsDone = 1;
        return outcome;
    }
    if (StartsWith(line, "Press M <ENTER> for menu")) {
        Trace(TRACE_INFO, kFunction, "Press M <ENTER> for menu\n");
        outcome.kind = LineOutcome::Kind::CommandAnswer;
        outcome.commandResult = ZAQ16_RET_SUCCESS;
        return outcome;
    }
    if (StartsWith(line, "OK")) {
        Trace(TRACE_INFO, kFunction, "OK Received\n");
        outcome.kind = LineOutcome::Kind::CommandAnswer;
        outcome.commandResult = ZAQ16_RET_SUCCESS;
        return outcome;
    }
    if (StartsWith(line, "ERROR")) {
        Trace(TRACE_WARNING, kFunction, "ERROR Received\n");
        outcome.kind = LineOutcome::Kind::CommandAnswer;
        outcome.commandResult = ZAQ16_RET_UNIT_ERROR;
        return outcome;
    }
    if (Holds(line, "=")) {
        ParseValueLine(line, answers);
        return outcome;
    }
    if (line[0] == 'C') {
        Trace(TRACE_DEBUG, kFunction, "Unhandled Command %s\n", std::string(Stripped(line)).c_str());
        return outcome;
    }
    if (line[0] >= '0' && line[0] <= '9') {
        return ParseStartStop(line);
    }
    return outcome;
}
