// The unit port: its reader loop, the packets it hands its decoder, the read-
// back and the command protocol.
#include "unit/ZAQ16PORT.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <optional>

#include "base/Trace.h"
#include "platform/Clock.h"
#include "unit/UnitAnswerParser.h"

namespace {

constexpr uint32_t kQueryPolls = 40;
constexpr uint32_t kQueryPollMs = 20;
constexpr uint32_t kVersionChecks = 19;
constexpr uint32_t kVersionCheckMs = 40;
constexpr uint32_t kErrorScreenPolls = 40;
constexpr uint32_t kErrorScreenPollMs = 50;
// A reader whose device has gone waits this long between attempts instead of spinning.
constexpr uint32_t kFailedReadBackoffMs = 300;
constexpr char kCarriageReturn = 13;
// The reader takes what has arrived in one piece of up to this many bytes.
constexpr uint32_t kReadBurstSize = 512;

}  // namespace

ZAQ16PORT::ZAQ16PORT(const char* portName, uint32_t startChannel, EventSink& sink, const DecoderMaker& makeDecoder)
    : CSerialPort(portName),
      context(startChannel, sink, timers),
      framer(startChannel, *this, &Trace)
{
    Trace(TRACE_INFO, "ZAQ16PORT", "CREATING port");
    if (makeDecoder) {
        decoder = makeDecoder(context);
    }
}

ZAQ16PORT::~ZAQ16PORT() = default;

void ZAQ16PORT::WakeForStop()
{
    InterruptRead();
    stopSignal.Set();
    wakeSemaphore.release();
    // A command still waiting for the unit's answer will not get one.
    commandResult = ZAQ16_RET_NOT_READY;
    commandEvent.Set();
}

void ZAQ16PORT::WaitForStopWithin(uint32_t milliseconds)
{
    const int64_t nextTimer = timers.MsUntilNextDue();
    if (nextTimer >= 0 && nextTimer < milliseconds) {
        milliseconds = static_cast<uint32_t>(nextTimer);
    }
    if (!StopRequested()) {
        stopSignal.Wait(milliseconds);
    }
}

// ---------------------------------------------------------------- reader thread

void ZAQ16PORT::Main()
{
    framer.Reset();
    if (StopRequested()) {
        Trace(TRACE_INFO, "Main", "Exiting Thread");
        return;
    }
    while (Step()) {
    }
}

bool ZAQ16PORT::Step()
{
    if (downloadState != 0) {
        // A firmware transfer owns the line: no text and no packets meanwhile.
        FirmwareStep();
    } else if (playbackOpen) {
        if (!PlaybackStep()) {
            return false;
        }
    } else {
        LiveStep();
    }
    // The timers' routines run here, on this thread, between bytes and packets.
    timers.RunDue();
    if (StopRequested()) {
        Trace(TRACE_INFO, "Main", "Exiting Thread");
        return false;
    }
    return true;
}

void ZAQ16PORT::LiveStep()
{
    if (!IsOpen()) {
        WaitForStopWithin(kFailedReadBackoffMs);
        return;
    }
    uint8_t bytes[kReadBurstSize];
    if (const uint32_t got = InStringArrived(bytes, sizeof bytes, timers.MsUntilNextDue()); got > 0) {
        TakeBytes(bytes, got);
    } else if (LastReadFailed()) {
        if (!deviceLost.exchange(true)) {
            // Nothing can answer a command now: end the waits at once.
            commandResult = ZAQ16_RET_NOT_READY;
            commandEvent.Set();
            answerEvent.Set();
        }
        WaitForStopWithin(kFailedReadBackoffMs);
    }
}

void ZAQ16PORT::TakeBytes(const uint8_t* bytes, size_t count)
{
    framer.Feed(bytes, count, timers.clock().Now());
    FinishPacket();
}

void ZAQ16PORT::FinishPacket()
{
    // Timers wait until the packet is whole: its bytes come back to back, so
    // a read that stays empty for the inter-byte time-out means it is broken.
    while (framer.InsidePacket()) {
        uint8_t bytes[kReadBurstSize];
        const uint32_t got =
            StopRequested() ? 0 : InStringArrived(bytes, sizeof bytes, PacketFramer::kInterByteTimeoutMs);
        if (got == 0) {
            framer.DropPartialPacket(timers.clock().Now());
            return;
        }
        framer.Feed(bytes, got, timers.clock().Now());
    }
}

void ZAQ16PORT::OnLine(std::string_view line)
{
    const LineOutcome outcome = ParseUnitLine(line, answers);
    switch (outcome.kind) {
    case LineOutcome::Kind::CommandAnswer:
        commandResult = outcome.commandResult;
        commandEvent.Set();
        break;
    case LineOutcome::Kind::StartStop:
        PostStartStop(outcome.channel, outcome.startStopOn);
        break;
    case LineOutcome::Kind::None:
        break;
    }
    answerEvent.Set();
}

void ZAQ16PORT::PostStartStop(uint32_t channel, bool on)
{
    ZAQ16_EVENT event{};
    event.eventCode = on ? QXEVT_STARTSTOP_ON : QXEVT_STARTSTOP_OFF;
    event.board = Board();
    event.channel = channel;
    PostEvent(event);
}

void ZAQ16PORT::OnPacket(const FramedPacket& framed)
{
    recording.Append(static_cast<uint8_t>(Board()), framed.header, framed.data, framed.dataCount,
                     platform::TickCount());
    Packet packet;
    packet.channel = framed.Channel();
    packet.type = framed.Type();
    packet.data = framed.data;
    packet.length = framed.Length();
    HandlePacket(packet);
}

void ZAQ16PORT::HandlePacket(const Packet& packet)
{
    // Type 0 is no family's message: such a packet is recorded, not decoded.
    if (decoder && packet.type != 0) {
        decoder->Decode(packet);
    }
}

// ---------------------------------------------------------------- display and status

uint32_t ZAQ16PORT::GetMessage(uint32_t channel, char* buffer, uint32_t size)
{
    if (decoder) {
        return decoder->GetMessageOfChannel(channel, buffer, size);
    }
    const std::optional<uint8_t> local = context.MessageChannel(channel, buffer, TRACE_TRACE);
    return local ? context.CopyDisplay(*local, buffer, size) : ZAQ16_RET_INVALID_PARAM;
}

uint32_t ZAQ16PORT::GetPBXDateTime(int32_t time[9])
{
    return decoder ? decoder->GetPBXDateTime(time) : ZAQ16_RET_NOT_READY;
}

uint32_t ZAQ16PORT::GetPhoneStatus(uint32_t channel, ZAQ16_PHONE_STATUS* out)
{
    const uint32_t local = channel - StartChannel();
    if (local >= kChannels) {
        return ZAQ16_RET_BAD_CHANNEL;
    }
    return context.CopyPhoneStatus(static_cast<uint8_t>(local), out);
}

// ---------------------------------------------------------------- commands

uint32_t ZAQ16PORT::SendCmd(const char* text)
{
    return SendCmdBytes(text, std::strlen(text));
}

uint32_t ZAQ16PORT::SendCmdBytes(const void* bytes, size_t length)
{
    std::lock_guard<std::mutex> guard(commandWriteLock);
    if (uploadClaimed) {
        Trace(TRACE_WARNING, "SendCmd", "Firmware transfer running, not sent: %.*s\n", static_cast<int>(length),
              static_cast<const char*>(bytes));
        return 0;
    }
    return WriteCommandLine(bytes, length);
}

uint32_t ZAQ16PORT::SendRaw(char character)
{
    std::lock_guard<std::mutex> guard(commandWriteLock);
    if (uploadClaimed) {
        Trace(TRACE_WARNING, "SendCmd", "Firmware transfer running, not sent: %c\n", character);
        return 0;
    }
    return OutString(&character, 1, 1);
}

uint32_t ZAQ16PORT::WriteCommandLine(const void* bytes, size_t length)
{
    char line[kCommandBufferSize];
    if (length + 1 >= sizeof line) {
        Trace(TRACE_ERROR, "SendCmd", "Command too long (%u bytes)\n", static_cast<unsigned>(length));
        return 0;
    }
    std::memcpy(line, bytes, length);
    line[length] = static_cast<char>(kCarriageReturn);
    line[length + 1] = '\0';
    Trace(TRACE_DEBUG, "SendCmd", "%.*s\n", static_cast<int>(length), static_cast<const char*>(bytes));
    return OutString(line, 1, static_cast<uint32_t>(length + 1));
}

uint32_t ZAQ16PORT::SetOption(const char* text, uint32_t answerWaitMs)
{
    return SetOptionBytes(text, std::strlen(text), text, answerWaitMs);
}

uint32_t ZAQ16PORT::SetOptionBytes(const void* bytes, size_t length, const char* traceText, uint32_t answerWaitMs)
{
    if (length + 1 >= kCommandBufferSize) {
        return ZAQ16_RET_INVALID_PARAM;
    }
    {
        // The event and result are the upload's while it runs: not touched then.
        std::lock_guard<std::mutex> guard(commandWriteLock);
        if (deviceLost || uploadClaimed) {
            return ZAQ16_RET_NOT_READY;
        }
        // Armed before sending, so that an answer parsed before the wait still counts.
        commandEvent.Reset();
        commandResult = ZAQ16_RET_PENDING;
        if (WriteCommandLine(bytes, length) == 0) {
            return ZAQ16_RET_NOT_READY;
        }
    }
    if (!commandEvent.Wait(answerWaitMs)) {
        return ZAQ16_RET_TIMEOUT;
    }
    Trace(TRACE_TRACE, "SetOption", "%s RETURNED\n", traceText);
    return commandResult;
}

uint32_t ZAQ16PORT::WaitForAnswer(const std::function<bool()>& answered, uint32_t totalMs, uint32_t pollMs)
{
    const uint32_t start = platform::TickCount();
    for (;;) {
        const uint32_t elapsed = platform::TickCount() - start;
        // A closed port (its link stopped) gets no answer any more.
        if (answered() || elapsed >= totalMs || deviceLost || !IsOpen()) {
            return elapsed;
        }
        answerEvent.Wait(std::min(pollMs, totalMs - elapsed));
    }
}

int32_t ZAQ16PORT::QueryValue(std::atomic<int32_t>& member, const char* text)
{
    member = -1;
    answerEvent.Reset();
    if (SendCmd(text) == 0) {
        return member;
    }
    WaitForAnswer([&member] { return member != -1; }, kQueryPolls * kQueryPollMs, kQueryPollMs);
    return member;
}

char ZAQ16PORT::QueryText(char* member, const char* text)
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

uint32_t ZAQ16PORT::Restart()
{
    return SetOption("RESTART", kRestartWaitMs);
}

uint32_t ZAQ16PORT::SetOptionValue(UnitOption option, int32_t value)
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

int32_t ZAQ16PORT::GetOptionValue(UnitOption option)
{
    const OptionCommand& command = OptionCommandOf(option);
    return QueryValue(answers.*command.member, command.query);
}

uint32_t ZAQ16PORT::SetPBXLevel(int32_t level)
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

int32_t ZAQ16PORT::GetPBXLevel()
{
    return QueryValue(answers.pbxLevel, "PBXLEVELGET");
}

uint32_t ZAQ16PORT::SetLightMask(int mask, const char* text)
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

char ZAQ16PORT::GetLightMask(int mask, char* out)
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

int32_t ZAQ16PORT::GetPBXType()
{
    const int32_t type = QueryValue(answers.pbxType, "SET PBX");
    Trace(TRACE_INFO, "PBXType", "PBXType = %d\n", type);
    return type;
}

int ZAQ16PORT::GetBoardInfo()
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

uint32_t ZAQ16PORT::GetSerialNumber(uint32_t* serial)
{
    const int32_t value = QueryValue(answers.serialNumber, "DISPLAY SERIAL");
    if (serial != nullptr) {
        *serial = static_cast<uint32_t>(value);
    }
    return value == -1 ? ZAQ16_RET_NOT_READY : ZAQ16_RET_SUCCESS;
}

int32_t ZAQ16PORT::GetDChannelStatus()
{
    return QueryValue(answers.dchannelStatus, "GETDCHANNELSTATUS");
}

uint32_t ZAQ16PORT::GetPhoneLevels(uint8_t* levels)
{
    QueryValue(answers.levelsReady, "DISPLAY LEVELS");
    if (answers.levelsReady != 1) {
        return ZAQ16_RET_TIMEOUT;
    }
    std::lock_guard<std::mutex> guard(answers.textMutex);
    std::memcpy(levels, answers.phoneLevels, kChannels);
    return ZAQ16_RET_SUCCESS;
}

uint32_t ZAQ16PORT::CheckErrors(uint8_t* out)
{
    if (TransferClaimed()) {
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
