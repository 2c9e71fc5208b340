// The command channel of one unit: writes a command line, waits within its
// bound for the unit's answer (parsed from the lines the reader hands in), and
// offers the unit's option and query entries. It keeps the answers the unit
// gave, and the gate by which a firmware upload holds the line alone.
//
// Any number of threads may call it at once. Confirmed commands take turns,
// each from its line to its answer, so that every caller gets the unit's
// answer to its own command; a caller whose turn does not come within its
// command's bound gets ZAQ16_RET_NOT_READY, the command unsent.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string_view>

#include "decoders/LockHold.h"
#include "platform/Sync.h"
#include "qxzaqlnk.h"
#include "unit/OptionCommands.h"
#include "unit/UnitAnswerParser.h"
#include "unit/UnitAnswers.h"

class CommandChannel {
public:
    static constexpr uint32_t kCommandBufferSize = 80;
    static constexpr uint32_t kCommandWaitMs = 3000;
    static constexpr uint32_t kRestartWaitMs = 60000;
    static constexpr uint32_t kChannels = 16;

    // How the channel reaches the unit.
    class UnitLine {
    public:
        virtual ~UnitLine() = default;
        // Writes the bytes; returns the number written (0: not sent).
        virtual uint32_t Send(const void* bytes, size_t size) = 0;
        // False once the line is closed: nothing can answer any more.
        virtual bool Connected() const = 0;
    };

    explicit CommandChannel(UnitLine& line);
    CommandChannel(const CommandChannel&) = delete;
    CommandChannel& operator=(const CommandChannel&) = delete;

    // ---- the reader's side
    // One line of the unit's (with its CR): its values are kept, a command
    // answer ends the wait in progress, and every query looks at once.
    LineOutcome TakeLine(std::string_view line);
    // The device has gone: every wait ends now and later commands fail at
    // once. True for the first call only.
    bool LineLost();
    bool Lost() const { return lost; }
    // The port stops: a command waiting for its answer ends with ZAQ16_RET_NOT_READY.
    void Abandon() { EndWaitWith(ZAQ16_RET_NOT_READY); }

    // ---- commands
    // Sends text + CR; returns the bytes written (0: not sent).
    uint32_t SendCmd(const char* text);
    // Sends `length` bytes of any value + CR. Refused (0) while a firmware upload holds the line.
    uint32_t SendCmdBytes(const void* bytes, size_t length);
    // A command the unit confirms with "OK" or refuses with "ERROR" within `answerWaitMs`.
    uint32_t SetOption(const char* text, uint32_t answerWaitMs = kCommandWaitMs);
    uint32_t SetOptionBytes(const void* bytes, size_t length, const char* traceText,
                            uint32_t answerWaitMs = kCommandWaitMs);
    // Sends a query and waits up to 800 ms for `member` to leave -1.
    int32_t QueryValue(std::atomic<int32_t>& member, const char* text);

    uint32_t Restart();
    uint32_t SetOptionValue(UnitOption option, int32_t value);
    int32_t GetOptionValue(UnitOption option);
    uint32_t SetPBXLevel(int32_t level);
    int32_t GetPBXLevel();
    uint32_t SetLightMask(int mask, const char* text);
    char GetLightMask(int mask, char* out);
    int32_t GetPBXType();
    int GetBoardInfo();
    uint32_t GetSerialNumber(uint32_t* serial);
    int32_t GetDChannelStatus();
    uint32_t GetPhoneLevels(uint8_t* levels);
    uint32_t CheckErrors(uint8_t* out);

    const UnitAnswers& Answers() const { return answers; }
    void ForgetDChannelStatus() { answers.dchannelStatus = -1; }

    // One confirmed command at a time, from its line to its answer: the unit
    // answers in order, so each caller gets the answer to its own command.
    // Not held when `waitMs` passed first.
    LockHold TakeTurn(uint32_t waitMs) { return LockHold(exchangeTurn, waitMs); }

    // ---- a firmware upload holds the line alone
    // False while another upload holds it.
    bool ClaimForUpload();
    void ReleaseUpload();
    bool UploadClaimed();
    // Arms the wait for the next answer: an answer parsed before this is forgotten.
    void ArmAnswer();
    // A command line (bytes + CR) written as it is, whatever holds the line.
    uint32_t WriteCommandLine(const void* bytes, size_t length);
    // The answer's result, or none when `waitMs` passed first.
    std::optional<uint32_t> AwaitAnswer(uint32_t waitMs);
    // Ends the wait in progress (or the next) with `result`.
    void EndWaitWith(uint32_t result);

private:
    // One raw character (the error screen's keys), refused during an upload.
    uint32_t SendRaw(char character);
    char QueryText(char* member, const char* text);
    // Waits (polling every `pollMs`, and at once after each answer line) until
    // `answered` or `totalMs` have passed; returns the time waited.
    uint32_t WaitForAnswer(const std::function<bool()>& answered, uint32_t totalMs, uint32_t pollMs);

    UnitLine& line;
    UnitAnswers answers;
    std::atomic<uint32_t> commandResult{0};
    platform::AutoResetEvent commandEvent;
    // Set after every answer line, so that a waiting query looks at once.
    platform::AutoResetEvent answerEvent;
    std::atomic<bool> lost{false};

    // Held while a command line is checked and written, so that nothing goes
    // out once an upload has claimed the line.
    std::mutex commandWriteLock;
    bool uploadClaimed = false;  // under commandWriteLock
    // Held by a confirmed command (or an upload) from its line to its answer.
    platform::Lock exchangeTurn{1};
};
