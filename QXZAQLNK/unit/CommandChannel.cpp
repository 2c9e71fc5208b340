// The unit's text command protocol: command lines, the wait for their
// answers, and the option and query entries.
#include "unit/CommandChannel.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <string>

#include "base/Trace.h"
#include "platform/Clock.h"

namespace {

constexpr uint32_t kQueryPolls = 40;
constexpr uint32_t kQueryPollMs = 20;
constexpr uint32_t kVersionChecks = 19;
constexpr uint32_t kVersionCheckMs = 40;
constexpr uint32_t kErrorScreenPolls = 40;
constexpr uint32_t kErrorScreenPollMs = 50;
constexpr char kCarriageReturn = 13;

}  // namespace

CommandChannel::CommandChannel(UnitLine& unitLine) : line(unitLine) {}

LineOutcome CommandChannel::TakeLine(std::string_view text)
{
    const LineOutcome outcome = ParseUnitLine(text, answers);
    if (outcome.kind == LineOutcome::Kind::CommandAnswer) {
        EndWaitWith(outcome.commandResult);
    }
    answerEvent.Set();
    return outcome;
}

bool CommandChannel::LineLost()
{
    if (lost.exchange(true)) {
        return false;
    }
    // Nothing can answer a command now: end the waits at once.
    EndWaitWith(ZAQ16_RET_NOT_READY);
    answerEvent.Set();
    return true;
}

void CommandChannel::ArmAnswer()
{
    commandEvent.Reset();
    commandResult = ZAQ16_RET_PENDING;
}

std::optional<uint32_t> CommandChannel::AwaitAnswer(uint32_t waitMs)
{
    if (!commandEvent.Wait(waitMs)) {
        return std::nullopt;
    }
    return commandResult.load();
}

void CommandChannel::EndWaitWith(uint32_t result)
{
    commandResult = result;
    commandEvent.Set();
}

bool CommandChannel::ClaimForUpload()
{
    std::lock_guard<std::mutex> guard(commandWriteLock);
    if (uploadClaimed) {
        return false;
    }
    uploadClaimed = true;
    return true;
}

void CommandChannel::ReleaseUpload()
{
    std::lock_guard<std::mutex> guard(commandWriteLock);
    uploadClaimed = false;
}

bool CommandChannel::UploadClaimed()
{
    std::lock_guard<std::mutex> guard(commandWriteLock);
    return uploadClaimed;
}

uint32_t CommandChannel::SendCmd(const char* text)
{
    return SendCmdBytes(text, std::strlen(text));
}

uint32_t CommandChannel::SendCmdBytes(const void* bytes, size_t length)
{
    std::lock_guard<std::mutex> guard(commandWriteLock);
    if (uploadClaimed) {
        Trace(TRACE_WARNING, "SendCmd", "Firmware transfer running, not sent: %.*s\n", static_cast<int>(length),
              static_cast<const char*>(bytes));
        return 0;
    }
    return WriteCommandLine(bytes, length);
}

uint32_t CommandChannel::SendRaw(char character)
{
    std::lock_guard<std::mutex> guard(commandWriteLock);
    if (uploadClaimed) {
        Trace(TRACE_WARNING, "SendCmd", "Firmware transfer running, not sent: %c\n", character);
        return 0;
    }
    return line.Send(&character, 1);
}

uint32_t CommandChannel::WriteCommandLine(const void* bytes, size_t length)
{
    char text[kCommandBufferSize];
    if (length + 1 >= sizeof text) {
        Trace(TRACE_ERROR, "SendCmd", "Command too long (%u bytes)\n", static_cast<unsigned>(length));
        return 0;
    }
    std::memcpy(text, bytes, length);
    text[length] = static_cast<char>(kCarriageReturn);
    text[length + 1] = '\0';
    Trace(TRACE_DEBUG, "SendCmd", "%.*s\n", static_cast<int>(length), static_cast<const char*>(bytes));
    return line.Send(text, length + 1);
}

uint32_t CommandChannel::SetOption(const char* text, uint32_t answerWaitMs)
{
    return SetOptionBytes(text, std::strlen(text), text, answerWaitMs);
}

uint32_t CommandChannel::SetOptionBytes(const void* bytes, size_t length, const char* traceText, uint32_t answerWaitMs)
{
    if (length + 1 >= kCommandBufferSize) {
        return ZAQ16_RET_INVALID_PARAM;
    }
    // Refused at once while an upload holds the line, rather than after waiting for a turn.
    if (UploadClaimed()) {
        return ZAQ16_RET_NOT_READY;
    }
    const LockHold turn = TakeTurn(answerWaitMs);
    if (!turn) {
        return ZAQ16_RET_NOT_READY;
    }
    {
        // The event and result are the upload's while it runs: not touched then.
        std::lock_guard<std::mutex> guard(commandWriteLock);
        if (lost || uploadClaimed) {
            return ZAQ16_RET_NOT_READY;
        }
        // Armed before sending, so that an answer parsed before the wait still counts.
        ArmAnswer();
        if (WriteCommandLine(bytes, length) == 0) {
            return ZAQ16_RET_NOT_READY;
        }
    }
    const std::optional<uint32_t> result = AwaitAnswer(answerWaitMs);
    if (!result) {
        return ZAQ16_RET_TIMEOUT;
    }
    Trace(TRACE_TRACE, "SetOption", "%s RETURNED\n", traceText);
    return *result;
}

uint32_t CommandChannel::WaitForAnswer(const std::function<bool()>& answered, uint32_t totalMs, uint32_t pollMs)
{
    const uint32_t start = platform::TickCount();
    for (;;) {
        const uint32_t elapsed = platform::TickCount() - start;
        // A closed port (its link stopped) gets no answer any more.
        if (answered() || elapsed >= totalMs || lost || !line.Connected()) {
            return elapsed;
        }
        answerEvent.Wait(std::min(pollMs, totalMs - elapsed));
    }
}

int32_t CommandChannel::QueryValue(std::atomic<int32_t>& member, const char* text)
{
    member = -1;
    answerEvent.Reset();
    if (SendCmd(text) == 0) {
        return member;
    }
    WaitForAnswer([&member] { return member != -1; }, kQueryPolls * kQueryPollMs, kQueryPollMs);
    return member;
}

char CommandChannel::QueryText(char* member, const char* text)
{
    auto first = [this, member] {
        std::lock_guard<std::mutex> guard(answers.textMutex);
        return member[0];
    };
    {
        std::lock_guard<std::mutex> guard(answers.textMutex);
        member[0] = '\0';
    }
    answerEvent.Reset();
    if (SendCmd(text) == 0) {
        return first();
    }
    WaitForAnswer([&first] { return first() != '\0'; }, kQueryPolls * kQueryPollMs, kQueryPollMs);
    return first();
}

uint32_t CommandChannel::Restart()
{
    return SetOption("RESTART", kRestartWaitMs);
}

uint32_t CommandChannel::SetOptionValue(UnitOption option, int32_t value)
{
    const OptionCommand& command = OptionCommandOf(option);
    answers.*command.member = -1;
    const auto line = FormatSetCommand(option, value);
    if (!line) {
        return ZAQ16_RET_INVALID_PARAM;
    }
    const uint32_t result = SetOption(line->c_str());
    if (result == ZAQ16_RET_SUCCESS) {
        answers.*command.member = value;
    }
    return result;
}

int32_t CommandChannel::GetOptionValue(UnitOption option)
{
    const OptionCommand& command = OptionCommandOf(option);
    return QueryValue(answers.*command.member, command.query);
}

uint32_t CommandChannel::SetPBXLevel(int32_t level)
{
    if (level < 0 || level > 255) {
        return ZAQ16_RET_INVALID_PARAM;
    }
    answers.pbxLevel = -1;
    // The level travels as one raw byte, which may be 0 or 13: sent by length.
    static const char kWord[] = "PBXLEVELSET";
    char command[sizeof kWord] = {};
    std::memcpy(command, kWord, sizeof kWord - 1);
    command[sizeof kWord - 1] = static_cast<char>(level);
    // The trace shows the command as text: "PBXLEVELSETA" for level 65.
    char traceText[sizeof command + 1] = {};
    std::memcpy(traceText, command, sizeof command);
    return SetOptionBytes(command, sizeof command, traceText);
}

int32_t CommandChannel::GetPBXLevel()
{
    return QueryValue(answers.pbxLevel, "PBXLEVELGET");
}

uint32_t CommandChannel::SetLightMask(int mask, const char* text)
{
    if ((mask != 0 && mask != 1) || text == nullptr || std::strlen(text) >= UnitAnswers::kLightMaskSize) {
        return ZAQ16_RET_INVALID_PARAM;
    }
    char* kept = mask == 0 ? answers.lightMask0 : answers.lightMask1;
    {
        std::lock_guard<std::mutex> guard(answers.textMutex);
        std::memset(kept, 0, UnitAnswers::kLightMaskSize);
    }
    const std::string command = std::string(mask == 0 ? "SET LIGHTMASK0=" : "SET LIGHTMASK1=") + text;
    const uint32_t result = SetOption(command.c_str());
    if (result == ZAQ16_RET_SUCCESS) {
        std::lock_guard<std::mutex> guard(answers.textMutex);
        std::memcpy(kept, text, std::strlen(text) + 1);
    }
    return result;
}

char CommandChannel::GetLightMask(int mask, char* out)
{
    if ((mask != 0 && mask != 1) || out == nullptr) {
        return 0;
    }
    char* kept = mask == 0 ? answers.lightMask0 : answers.lightMask1;
    const char first = QueryText(kept, mask == 0 ? "SET LIGHTMASK0" : "SET LIGHTMASK1");
    if (first != 0) {
        std::lock_guard<std::mutex> guard(answers.textMutex);
        std::memcpy(out, kept, std::strlen(kept) + 1);
    }
    return first;
}

int32_t CommandChannel::GetPBXType()
{
    const int32_t type = QueryValue(answers.pbxType, "SET PBX");
    Trace(TRACE_INFO, "PBXType", "PBXType = %d\n", type);
    return type;
}

int CommandChannel::GetBoardInfo()
{
    answers.firmwareMajor = 0;
    answers.firmwareMinor = 0;
    answers.firmwareBuild = 0;
    answerEvent.Reset();
    if (SendCmd("DISPLAY VERSIONS") == 0) {
        return 0;
    }
    WaitForAnswer([this] { return answers.firmwareMajor != 0; }, (kVersionChecks - 1) * kVersionCheckMs,
                  kVersionCheckMs);
    return answers.firmwareMajor != 0 ? 1 : 0;
}

uint32_t CommandChannel::GetSerialNumber(uint32_t* serial)
{
    const int32_t value = QueryValue(answers.serialNumber, "DISPLAY SERIAL");
    if (serial != nullptr) {
        *serial = static_cast<uint32_t>(value);
    }
    return value == -1 ? ZAQ16_RET_NOT_READY : ZAQ16_RET_SUCCESS;
}

int32_t CommandChannel::GetDChannelStatus()
{
    return QueryValue(answers.dchannelStatus, "GETDCHANNELSTATUS");
}

uint32_t CommandChannel::GetPhoneLevels(uint8_t* levels)
{
    QueryValue(answers.levelsReady, "DISPLAY LEVELS");
    if (answers.levelsReady != 1) {
        return ZAQ16_RET_TIMEOUT;
    }
    std::lock_guard<std::mutex> guard(answers.textMutex);
    std::memcpy(levels, answers.phoneLevels, kChannels);
    return ZAQ16_RET_SUCCESS;
}

uint32_t CommandChannel::CheckErrors(uint8_t* out)
{
    if (UploadClaimed()) {
        return ZAQ16_RET_NOT_READY;
    }
    {
        std::lock_guard<std::mutex> guard(answers.textMutex);
        std::memset(answers.errorTables, 0, sizeof answers.errorTables);
    }
    answers.errorsDone = -1;
    const bool clearMode = out == nullptr;
    QueryValue(answers.errorsReceived, "ERRCHECK");
    if (answers.errorsReceived == -1) {
        Trace(TRACE_ERROR, "CheckErrors", "TIME OUT");
        return ZAQ16_RET_TIMEOUT;
    }
    if (out != nullptr) {
        std::lock_guard<std::mutex> guard(answers.textMutex);
        std::memcpy(out, answers.errorTables, sizeof answers.errorTables);
    }
    constexpr uint32_t kScreenWaitMs = kErrorScreenPolls * kErrorScreenPollMs;
    auto answered = [](std::atomic<int32_t>& member) { return [&member] { return member != -1; }; };
    WaitForAnswer(answered(answers.errorsDone), kScreenWaitMs, kErrorScreenPollMs);
    if (clearMode) {
        Trace(TRACE_INFO, "HandleCommand", "Clearing Errors");
        answers.errorsDone = -1;
        answers.errorsReceived = -1;
        SendRaw('C');
        const uint32_t used = WaitForAnswer(answered(answers.errorsReceived), kScreenWaitMs, kErrorScreenPollMs);
        Trace(TRACE_INFO, "HandleCommand", "Continuing after clearing errors");
        SendRaw('X');
        if (used < kScreenWaitMs) {
            WaitForAnswer(answered(answers.errorsDone), kScreenWaitMs - used, kErrorScreenPollMs);
        }
    } else {
        Trace(TRACE_INFO, "HandleCommand", "Continuing after getting errors");
        SendRaw('X');
    }
    return ZAQ16_RET_SUCCESS;
}
