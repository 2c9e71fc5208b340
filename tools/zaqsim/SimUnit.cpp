#include "SimUnit.h"

#include <algorithm>

#include "UnitAnswers.h"

namespace zaqsim {

namespace {

constexpr size_t kMaxCommandLine = 256;
constexpr uint8_t kCarriageReturn = '\r';
constexpr uint8_t kLineFeed = '\n';
constexpr std::string_view kLevelSet = "PBXLEVELSET";

int64_t Remaining(uint32_t due, uint32_t now)
{
    const int32_t left = static_cast<int32_t>(due - now);
    return left < 0 ? 0 : left;
}

void KeepEarliest(int64_t& earliest, int64_t candidate)
{
    if (candidate >= 0 && (earliest < 0 || candidate < earliest))
        earliest = candidate;
}

}  // namespace

// Indexed by Mode.
const SimUnit::ByteHandler SimUnit::kByteHandlers[kModeCount] = {
    &SimUnit::OnCommandByte,
    &SimUnit::OnLevelByte,
    &SimUnit::OnLevelEnd,
    &SimUnit::OnErrorScreenKey,
    &SimUnit::OnDownloadByte,
};

// Whole command lines first; entries ending in a blank or naming "PBXLEVELSET"
// are prefixes whose handler gets the rest of the line.
const SimUnit::Command SimUnit::kCommands[] = {
    {"RESTART", &SimUnit::DoRestart},
    {"ENRAW", &SimUnit::DoEnableRaw},
    {"DISRAW", &SimUnit::DoDisableRaw},
    {"GETDCHANNELSTATUS", &SimUnit::DoRawStatus},
    {"DISPLAY VERSIONS", &SimUnit::DoVersions},
    {"DISPLAY SERIAL", &SimUnit::DoSerial},
    {"DISPLAY LEVELS", &SimUnit::DoLevels},
    {"ERRCHECK", &SimUnit::DoErrorCheck},
    {"DOWNLOAD", &SimUnit::DoDownload},
    {"PBXLEVELGET", &SimUnit::DoPbxLevelGet},
    {"SET PBX", &SimUnit::DoPbxName},
    {"PBXLEVELSET", &SimUnit::DoPbxLevelSet},
    {"SET ", &SimUnit::DoSetOption},
};

SimUnit::SimUnit(UnitConfig config, const platform::Clock& clock)
    : config_(std::move(config)), clock_(clock)
{
    PowerOn();
    lastRelease_ = clock_.Now();
}

void SimUnit::PowerOn()
{
    std::vector<std::string> refused;  // the shell reports these when the unit is added
    options_ = PowerOnOptionValues(config_.powerOnOptions, refused);
    pbxLevel_ = config_.pbxLevel;
    errors_ = config_.errors;
    rawOutput_ = false;
    mode_ = Mode::Command;
    receiver_.reset();
}

void SimUnit::Receive(std::string_view bytes)
{
    for (char byte : bytes) {
        const ByteHandler handler = kByteHandlers[static_cast<size_t>(mode_)];
        (this->*handler)(static_cast<uint8_t>(byte));
    }
}

void SimUnit::OnCommandByte(uint8_t byte)
{
    if (byte == kCarriageReturn) {
        const std::string line = std::move(line_);
        line_.clear();
        Execute(line);
        lineOverflow_ = false;
        return;
    }
    if (byte == kLineFeed)
        return;  // a terminal's line end; the library sends CR alone
    if (line_.size() >= kMaxCommandLine) {
        lineOverflow_ = true;
        return;
    }
    line_.push_back(static_cast<char>(byte));
    if (line_.size() == kLevelSet.size() && UpperCase(line_) == kLevelSet)
        mode_ = Mode::LevelByte;  // the level follows as one raw byte, 13 included
}

void SimUnit::OnLevelByte(uint8_t byte)
{
    line_.push_back(static_cast<char>(byte));
    mode_ = Mode::LevelEnd;
}

void SimUnit::OnLevelEnd(uint8_t byte)
{
    if (byte == kCarriageReturn) {
        mode_ = Mode::Command;
        OnCommandByte(byte);
        return;
    }
    if (line_.size() < kMaxCommandLine)
        line_.push_back(static_cast<char>(byte));
}

void SimUnit::OnErrorScreenKey(uint8_t byte)
{
    const char key = static_cast<char>(byte >= 'a' && byte <= 'z' ? byte - 'a' + 'A' : byte);
    if (byte == kCarriageReturn || byte == kLineFeed)
        return;
    if (key != 'C' && key != 'R' && key != 'X') {
        // Anything else leaves the screen and counts as the start of a command.
        mode_ = Mode::Command;
        OnCommandByte(byte);
        return;
    }
    commandLog_.emplace_back(1, key);
    if (key == 'X') {
        mode_ = Mode::Command;
        return;
    }
    if (key == 'C')
        errors_ = ErrorCounters{};
    ShowErrorScreen();
}

void SimUnit::OnDownloadByte(uint8_t byte)
{
    std::string out;
    receiver_->Feed(byte, out);
    FinishDownload(out);
}

void SimUnit::Execute(const std::string& line)
{
    commandLog_.push_back(line);
    const std::string upper = UpperCase(line);
    if (config_.silent || IsSilencedCommand(upper))
        return;
    if (lineOverflow_) {
        Answer("ERROR");
        return;
    }
    const std::string_view trimmed = Trim(upper);
    if (trimmed.empty())
        return;
    for (const Command& command : kCommands) {
        const std::string_view text = command.text;
        const bool prefix = text.back() == ' ' || text == kLevelSet;
        if (prefix ? upper.starts_with(text) : trimmed == text) {
            (this->*command.handler)(std::string_view(line).substr(prefix ? text.size() : line.size()));
            return;
        }
    }
    Answer("ERROR");
}

bool SimUnit::IsSilencedCommand(const std::string& upper) const
{
    return std::any_of(config_.silentCommands.begin(), config_.silentCommands.end(),
                       [&upper](const std::string& prefix) { return upper.starts_with(UpperCase(prefix)); });
}

void SimUnit::Answer(const std::string& text)
{
    Emit(TextLine(text), config_.answerDelayMs);
}

void SimUnit::Emit(std::string bytes, uint32_t delayMs)
{
    if (!bytes.empty())
        outbox_.push_back(Outgoing{clock_.Now() + delayMs, std::move(bytes)});
}

void SimUnit::SendLine(const std::string& text)
{
    Emit(TextLine(text));
}

void SimUnit::SendBytes(const std::string& bytes)
{
    Emit(bytes);
}

void SimUnit::DoRestart(std::string_view)
{
    Answer("OK");
    PowerOn();
    if (config_.restartBanner)
        Answer("Press M <ENTER> for menu");
}

void SimUnit::DoEnableRaw(std::string_view)
{
    if (!rawOutput_)
        lastRelease_ = clock_.Now();  // held items' delays count from here
    rawOutput_ = true;
    Answer("OK");
}

void SimUnit::DoDisableRaw(std::string_view)
{
    rawOutput_ = false;
    Answer("OK");
}

void SimUnit::DoRawStatus(std::string_view)
{
    Answer(rawOutput_ ? "RAW=ON" : "RAW=OFF");
}

void SimUnit::DoVersions(std::string_view)
{
    // Hardware first: the library reads it once it has seen the firmware line.
    Answer("Hardware = " + std::to_string(config_.hardwareVersion));
    Answer("Firmware = " + config_.firmwareVersion);
}

void SimUnit::DoSerial(std::string_view)
{
    Answer("Serial=" + std::to_string(config_.serialNumber));
}

void SimUnit::DoLevels(std::string_view)
{
    Answer(LevelsLine(config_.levels));
}

void SimUnit::DoErrorCheck(std::string_view)
{
    mode_ = Mode::ErrorScreen;
    ShowErrorScreen();
}

void SimUnit::ShowErrorScreen()
{
    for (const std::string& line : ErrorScreenLines(errors_))
        Answer(line);
    screenQuietUntil_ = clock_.Now() + config_.quietGiveUpMs;
}

void SimUnit::DoDownload(std::string_view)
{
    const XmodemReceiver::Timing timing{config_.xmodemPollMs, config_.xmodemByteTimeoutMs, config_.quietGiveUpMs};
    receiver_ = std::make_unique<XmodemReceiver>(clock_, timing, config_.firmwareInjections);
    mode_ = Mode::Download;
    std::string out;
    receiver_->Start(out);
    Emit(std::move(out));
}

void SimUnit::FinishDownload(std::string& out)
{
    Emit(std::move(out));
    const XmodemReceiver::Outcome outcome = receiver_->outcome();
    if (outcome == XmodemReceiver::Outcome::Running)
        return;
    if (outcome == XmodemReceiver::Outcome::Completed) {
        firmwareImage_ = receiver_->image();
        const bool kept = !saveFirmware_ || saveFirmware_(*firmwareImage_);
        Answer(kept && !config_.firmwareInjections.finalError ? "OK" : "ERROR");
    }
    receiver_.reset();
    mode_ = Mode::Command;
}

void SimUnit::DoPbxLevelGet(std::string_view)
{
    Answer(std::string("zaqPbxLevel=") + static_cast<char>(pbxLevel_));
}

void SimUnit::DoPbxLevelSet(std::string_view level)
{
    if (level.size() != 1) {
        Answer("ERROR");
        return;
    }
    pbxLevel_ = static_cast<uint8_t>(level[0]);
    Answer("OK");
}

void SimUnit::DoPbxName(std::string_view)
{
    Answer("PBX=" + config_.pbxName);
}

void SimUnit::DoSetOption(std::string_view argument)
{
    const size_t equals = argument.find('=');
    const OptionSpec* option = FindOption(argument.substr(0, equals));
    if (option == nullptr) {
        Answer("ERROR");
        return;
    }
    if (equals == std::string_view::npos) {
        Answer(std::string(option->answerKey) + "=" + options_[option->word]);
        return;
    }
    const std::optional<std::string> shown = AcceptOptionValue(*option, argument.substr(equals + 1));
    if (!shown) {
        Answer("ERROR");
        return;
    }
    options_[option->word] = *shown;
    Answer("OK");
}

void SimUnit::Hold(std::vector<PlayItem> items, bool loop)
{
    if (loop)
        loopItems_ = items;
    held_.insert(held_.end(), std::make_move_iterator(items.begin()), std::make_move_iterator(items.end()));
}

bool SimUnit::HeldItemsMayGo() const
{
    return rawOutput_ && mode_ != Mode::Download && !held_.empty() && outbox_.empty();
}

void SimUnit::ReleaseHeldItems()
{
    if (!HeldItemsMayGo() || !Passed(lastRelease_ + held_.front().delayMs))
        return;
    Emit(std::move(held_.front().bytes));
    held_.pop_front();
    lastRelease_ = clock_.Now();
    if (held_.empty())
        held_.insert(held_.end(), loopItems_.begin(), loopItems_.end());
}

void SimUnit::Poll()
{
    if (mode_ == Mode::Download) {
        std::string out;
        receiver_->Poll(out);
        FinishDownload(out);
    }
    if (mode_ == Mode::ErrorScreen && Passed(screenQuietUntil_))
        mode_ = Mode::Command;
    ReleaseHeldItems();
}

std::string SimUnit::TakeOutput(size_t maxBytes)
{
    std::string out;
    while (out.size() < maxBytes) {
        ReleaseHeldItems();
        if (outbox_.empty() || !Passed(outbox_.front().notBefore))
            break;
        std::string& head = outbox_.front().bytes;
        const size_t take = std::min(head.size(), maxBytes - out.size());
        out.append(head, 0, take);
        head.erase(0, take);
        if (head.empty())
            outbox_.pop_front();
    }
    return out;
}

std::string SimUnit::TakeWholeItems(size_t maxBytes, std::vector<size_t>* itemSizes)
{
    std::string out;
    for (;;) {
        ReleaseHeldItems();
        if (outbox_.empty() || !Passed(outbox_.front().notBefore))
            break;
        const std::string& head = outbox_.front().bytes;
        if (!out.empty() && out.size() + head.size() > maxBytes)
            break;
        out += head;
        if (itemSizes != nullptr)
            itemSizes->push_back(head.size());
        outbox_.pop_front();
    }
    return out;
}

int64_t SimUnit::MsUntilNextDue() const
{
    const uint32_t now = clock_.Now();
    int64_t earliest = -1;
    if (!outbox_.empty())
        KeepEarliest(earliest, Remaining(outbox_.front().notBefore, now));
    if (HeldItemsMayGo())
        KeepEarliest(earliest, Remaining(lastRelease_ + held_.front().delayMs, now));
    if (receiver_)
        KeepEarliest(earliest, receiver_->MsUntilNextDue());
    if (mode_ == Mode::ErrorScreen)
        KeepEarliest(earliest, Remaining(screenQuietUntil_, now));
    return earliest;
}

std::string SimUnit::OptionValue(std::string_view word) const
{
    const auto found = options_.find(UpperCase(word));
    return found == options_.end() ? std::string() : found->second;
}

bool SimUnit::Passed(uint32_t due) const
{
    return static_cast<int32_t>(clock_.Now() - due) >= 0;
}

}  // namespace zaqsim
