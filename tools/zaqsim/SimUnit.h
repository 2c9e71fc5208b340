// One simulated monitoring unit, with no thread and no device: it is fed the
// bytes the library sends and hands back the bytes the unit sends, at the times
// a clock tells. It keeps the line options, answers every command and query,
// shows the error screen, receives firmware after "DOWNLOAD" and sends its held
// packets, notices and text lines while raw output is on.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "OptionTable.h"
#include "PlayItem.h"
#include "UnitConfig.h"
#include "XmodemReceiver.h"
#include "platform/Clock.h"

namespace zaqsim {

class SimUnit {
public:
    enum class Mode { Command, LevelByte, LevelEnd, ErrorScreen, Download };
    static constexpr size_t kModeCount = 5;

    // Stores a received firmware image; false when it could not be kept
    // (the unit then answers "ERROR").
    using FirmwareSaver = std::function<bool(const std::string& image)>;

    SimUnit(UnitConfig config, const platform::Clock& clock);

    // Bytes from the library.
    void Receive(std::string_view bytes);
    // Runs what is due at the clock's time: the transfer's timers, the error
    // screen's time-out, the release of held items.
    void Poll();
    // Takes up to `maxBytes` of what is due to be sent now, in order.
    std::string TakeOutput(size_t maxBytes = SIZE_MAX);
    // Takes whole items (packets, answer lines) due now, in order, while they fit
    // in `maxBytes`; the first item is taken whole whatever its size. A real unit
    // sends an item's bytes back to back, so the line must never pause inside one.
    // `itemSizes`, when given, gets the size of each item taken, in order.
    std::string TakeWholeItems(size_t maxBytes, std::vector<size_t>* itemSizes = nullptr);
    // Milliseconds until Poll or TakeOutput has something new to do; -1: nothing planned.
    int64_t MsUntilNextDue() const;

    // Held items go out in order while raw output is on; with `loop` the list
    // starts again whenever the unit has sent all it holds (it replaces any
    // earlier looping list).
    void Hold(std::vector<PlayItem> items, bool loop = false);
    size_t HeldItems() const { return held_.size(); }
    // Something already produced waits to be taken.
    bool HasOutput() const { return !outbox_.empty(); }
    // A text line sent at once, whatever raw output is (CR LF added).
    void SendLine(const std::string& text);
    // Bytes sent at once exactly as given, whatever raw output is (line noise, broken frames).
    void SendBytes(const std::string& bytes);

    void SetSilent(bool silent) { config_.silent = silent; }
    void SetSilentCommands(std::vector<std::string> prefixes) { config_.silentCommands = std::move(prefixes); }
    void SetAnswerDelay(uint32_t ms) { config_.answerDelayMs = ms; }
    void SetFirmwareInjections(FirmwareInjections injections) { config_.firmwareInjections = injections; }
    void SetFirmwareSaver(FirmwareSaver saver) { saveFirmware_ = std::move(saver); }

    // Every command line received, without its CR ("PBXLEVELSET" with its raw
    // byte), and every key pressed on the error screen.
    const std::vector<std::string>& CommandLog() const { return commandLog_; }
    void ClearCommandLog() { commandLog_.clear(); }
    // The image of the last completed transfer.
    const std::optional<std::string>& FirmwareImage() const { return firmwareImage_; }

    Mode mode() const { return mode_; }
    bool RawOutput() const { return rawOutput_; }
    std::string OptionValue(std::string_view word) const;
    uint8_t PbxLevel() const { return pbxLevel_; }
    const ErrorCounters& Errors() const { return errors_; }
    const UnitConfig& config() const { return config_; }

private:
    using ByteHandler = void (SimUnit::*)(uint8_t byte);
    using CommandHandler = void (SimUnit::*)(std::string_view argument);
    struct Command {
        const char* text;
        CommandHandler handler;
    };
    static const ByteHandler kByteHandlers[kModeCount];
    static const Command kCommands[];

    struct Outgoing {
        uint32_t notBefore;
        std::string bytes;
    };

    void PowerOn();

    void OnCommandByte(uint8_t byte);
    void OnLevelByte(uint8_t byte);
    void OnLevelEnd(uint8_t byte);
    void OnErrorScreenKey(uint8_t byte);
    void OnDownloadByte(uint8_t byte);

    void Execute(const std::string& line);
    bool IsSilencedCommand(const std::string& upper) const;
    void Answer(const std::string& text);
    void Emit(std::string bytes, uint32_t delayMs = 0);

    void DoRestart(std::string_view);
    void DoEnableRaw(std::string_view);
    void DoDisableRaw(std::string_view);
    void DoRawStatus(std::string_view);
    void DoVersions(std::string_view);
    void DoSerial(std::string_view);
    void DoLevels(std::string_view);
    void DoErrorCheck(std::string_view);
    void DoDownload(std::string_view);
    void DoPbxLevelGet(std::string_view);
    void DoPbxLevelSet(std::string_view);
    void DoPbxName(std::string_view);
    void DoSetOption(std::string_view);

    void ShowErrorScreen();
    void FinishDownload(std::string& out);
    void ReleaseHeldItems();
    bool HeldItemsMayGo() const;
    bool Passed(uint32_t due) const;

    UnitConfig config_;
    const platform::Clock& clock_;
    FirmwareSaver saveFirmware_;

    Mode mode_ = Mode::Command;
    std::string line_;
    bool lineOverflow_ = false;
    OptionValues options_;
    uint8_t pbxLevel_ = 0;
    uint8_t pendingLevel_ = 0;
    ErrorCounters errors_;
    bool rawOutput_ = false;
    uint32_t screenQuietUntil_ = 0;
    std::unique_ptr<XmodemReceiver> receiver_;

    std::deque<Outgoing> outbox_;
    std::deque<PlayItem> held_;
    std::vector<PlayItem> loopItems_;
    uint32_t lastRelease_ = 0;

    std::vector<std::string> commandLog_;
    std::optional<std::string> firmwareImage_;
};

}  // namespace zaqsim
