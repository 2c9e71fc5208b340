// The Meridian decoder: messages from the PBX and the set, the display with its
// timer, the PBX time.
#include "decoders/DMERIDIAN.h"

#include <algorithm>
#include <cstring>

#include "base/Trace.h"
#include "decoders/LockHold.h"
#include "decoders/MeridianTables.h"

using namespace meridian;

namespace {

// Entries 0 to 254 are the green lamps, 255 to 509 the red ones.
uint32_t InitialLampParam(uint32_t index)
{
    constexpr uint32_t kRed = PhoneStatusRecorder::kRedLampEntries;
    return index < kRed ? (index | QXEVT_LAMP_GREEN) : ((index - kRed) | QXEVT_LAMP_RED);
}

constexpr DisplayTimers::Settings kTimerSettings{
    DMERIDIAN::kDisplayDelayMs, DisplayTimers::Numbering::Local, DisplayTimers::Numbering::Local, TRACE_DEBUG,
    "TimerCompletionDMERIDIAN"};

// Messages need their code and one byte more; display messages mostly a third byte.
constexpr uint32_t kShortestMessage = 2;
constexpr uint32_t kShortestDisplayMessage = 3;
constexpr uint32_t kShortestPositionedText = 5;
constexpr uint32_t kShortestDate = 8;

}  // namespace

DMERIDIAN::DMERIDIAN(DecoderContext& context)
    : Decoder(context),
      status_(context.statusLock, context.phoneStatus, context.StartChannel()),
      output_(context),
      display_(context.displays, context.displayLock),
      timers_(context.Timers(), context.StartChannel(), kTimerSettings,
              [this](uint8_t channel) { TimerCompletionDMERIDIAN(channel); })
{
    status_.InitialiseLamps(QXEVT_LIGHT_OFF, &InitialLampParam);
}

DMERIDIAN::~DMERIDIAN() = default;

uint8_t DMERIDIAN::Decode(const Packet& packet)
{
    channel_ = packet.channel;
    const bool fromPbx = packet.type == kFromPbx;
    Decoded decoded;
    if (fromPbx) {
        if (packet.length < kShortestMessage) {
            return 1;
        }
        decoded = DecodeFromPbx(packet.data, packet.length);
    } else if (packet.type == kFromSet) {
        decoded = DecodeFromSet(packet.data, packet.length);
    }
    if (!decoded.known) {
        return 0;
    }
    output_.PostAfterDisplay(channel_, decoded.event, fromPbx, *this);
    return 1;
}

// ---------------------------------------------------------------- PBX to set

DMERIDIAN::Decoded DMERIDIAN::DecodeFromPbx(const uint8_t* data, uint32_t length)
{
    const uint8_t code = data[0];
    const uint8_t k = data[1];
    if (const int bank = LampBank(code); bank >= 0) {
        return {DecodeLamp(bank, k)};
    }
    switch (code) {
    case kAudio:
        return {DecodeAudio(k)};
    case kRinger:
        return {DecodeRinger(k)};
    case kDisplay:
        return {DecodeDisplay(data, length)};
    case kDisplayData:
        return {DecodeDisplayData(data, length)};
    case kContinuation:
        DecodeContinuation(data + 1, length - 1);
        return {};
    default:
        return {DecodedEvent{}, false};
    }
}

DecodedEvent DMERIDIAN::DecodeLamp(int bank, uint8_t k)
{
    const uint32_t code = LookupCode(kLampStates, k >> 4);
    if (code == 0) {
        return {};
    }
    const uint32_t lamp = static_cast<uint32_t>(bank) + (k & 0x0F);
    return {code, lamp,
            status_.RecordLamp(channel_, lamp, code, lamp, PhoneStatusRecorder::LampMatch::CodeOnly)};
}

DecodedEvent DMERIDIAN::DecodeAudio(uint8_t k)
{
    const uint32_t code = LookupCode(kAudioStates, k >> 4);
    const uint8_t path = k & 0x0F;
    const PhoneStatusRecorder::Word word = AudioWord(path);
    if (code == 0 || word == nullptr) {
        return {};
    }
    return {code, path, status_.Record(channel_, word, code)};
}

DecodedEvent DMERIDIAN::DecodeRinger(uint8_t k)
{
    const uint32_t code = LookupCode(kRingerStates, k);
    if (code == 0) {
        return {};
    }
    return {code, 0, status_.Record(channel_, &ZAQ16_PHONE_STATUS::ringState, code)};
}

DecodedEvent DMERIDIAN::DecodeDisplay(const uint8_t* data, uint32_t length)
{
    const uint8_t k = data[1];
    if (k == kClearDisplay) {
        return ClearDisplay();
    }
    if (length < kShortestDisplayMessage) {
        return {};
    }
    const uint8_t argument = data[2];
    switch (k) {
    case kData:
        TakeData(data + 2, length - 2);
        return {};
    case kText:
        return TakeTextByte(argument);
    case kErase:
        display_.Erase(channel_, argument);
        Pending(channel_) = kNothingPending;
        timers_.Cancel(channel_);
        return {};
    case kCursor:
        if (argument == kCursorToRow2) {
            display_.CursorToRow2(channel_);
            timers_.Arm(channel_);
        }
        return {};
    case kDisplayMode:
        return TakeDisplayMode(argument);
    case kFeature:
        return TakeFeature(argument);
    default:
        return {};
    }
}

DecodedEvent DMERIDIAN::ClearDisplay()
{
    const uint8_t channel = channel_;
    bool changed = false;
    const uint32_t param = display_.Clear(channel, changed);
    // The clear's own event carries the display: nothing else waits to be
    // posted. A clear that left the display as it was posts nothing at all.
    timers_.Cancel(channel);
    Pending(channel) = kNothingPending;
    if (!changed) {
        return {};
    }
    return DisplayChange(param);
}

void DMERIDIAN::TakeData(const uint8_t* bytes, uint32_t length)
{
    const uint8_t channel = channel_;
    if (Pending(channel) == kDateComing) {
        clock_.TakeSeconds(bytes[0]);
        Pending(channel) = kNothingPending;
    } else {
        // Text takes every byte; digits only the first.
        WritePending(channel, bytes, length, 1);
    }
    timers_.Arm(channel);
}

void DMERIDIAN::WritePending(uint8_t channel, const uint8_t* bytes, uint32_t textLength, uint32_t digitLength)
{
    switch (Pending(channel)) {
    case kTextShown:
        display_.PutText(channel, bytes, textLength);
        break;
    case kDigitsShown:
        display_.PutDigits(channel, bytes, digitLength);
        break;
    case kForwardNumber:
        display_.AppendForwardDigits(channel, bytes, digitLength);
        break;
    default:
        break;
    }
}

DecodedEvent DMERIDIAN::TakeTextByte(uint8_t byte)
{
    const uint8_t channel = channel_;
    if (byte != kTextSequenceMark) {
        display_.PutCharacter(channel, byte);
        Pending(channel) = kTextShown;
        timers_.Arm(channel);
        return {};
    }
    DecodedEvent event;
    if (!textOpen_[channel] || Pending(channel) != kTextShown) {
        textOpen_[channel] = true;
        timers_.Arm(channel);
        Pending(channel) = kTextShown;
    } else {
        // The closing mark: the sequence is complete, post it now.
        event = DisplayChange(display_.Finish(channel));
        Pending(channel) = kNothingPending;
        timers_.Cancel(channel);
        textOpen_[channel] = false;
    }
    display_.Home(channel);
    return event;
}

DecodedEvent DMERIDIAN::TakeDisplayMode(uint8_t mode)
{
    const uint8_t channel = channel_;
    const uint32_t code = LookupCode(kDisplayModes, mode);
    if (code == 0) {
        return {};
    }
    if (code != QXEVT_DISPLAY_TIMER) {
        display_.EraseAll(channel);
        Pending(channel) = kNothingPending;
        textOpen_[channel] = false;
        timers_.Cancel(channel);
    }
    return {code, 0, status_.Record(channel, &ZAQ16_PHONE_STATUS::displayState, code)};
}

DecodedEvent DMERIDIAN::TakeFeature(uint8_t feature)
{
    const FeatureRow* row = Feature(feature);
    if (row == nullptr) {
        return {};
    }
    return {row->code, 0, status_.Record(channel_, row->word, row->code)};
}

DecodedEvent DMERIDIAN::DecodeDisplayData(const uint8_t* data, uint32_t length)
{
    if (length < kShortestDisplayMessage) {
        return {};
    }
    const uint8_t channel = channel_;
    const uint8_t k = data[1];
    const uint8_t kind = data[2];
    if (k == kDisplayWrite && kind == kPositionedText && length >= kShortestPositionedText) {
        Pending(channel) = kTextShown;
        display_.Position(channel, data[3] == 0, data[4]);
        display_.PutText(channel, data + kShortestPositionedText, length - kShortestPositionedText);
        timers_.Arm(channel);
    } else if (k == kDisplayWrite && kind == kDialledDigits) {
        Pending(channel) = kDigitsShown;
        display_.PutDigits(channel, data + 3, length - 3);
        timers_.Arm(channel);
    } else if (k == kDisplayNumber && kind == kDate && length >= kShortestDate) {
        clock_.TakeDate(data[3], data[4], data[5], data[6], data[7]);
        Pending(channel) = kDateComing;
    } else if (k == kDisplayNumber && kind == kCallForwardNumber) {
        display_.AppendForwardDigits(channel, data + 3, length - 3);
        timers_.Arm(channel);
        Pending(channel) = kForwardNumber;
    }
    return {};
}

void DMERIDIAN::DecodeContinuation(const uint8_t* data, uint32_t length)
{
    WritePending(channel_, data, length, length);
    timers_.Arm(channel_);
}

// ---------------------------------------------------------------- set to PBX

DMERIDIAN::Decoded DMERIDIAN::DecodeFromSet(const uint8_t* data, uint32_t length)
{
    if (length < kShortestMessage) {
        return {};
    }
    const uint8_t code = data[0];
    const uint8_t k = data[1];
    const uint8_t state = k >> 4;
    const uint8_t key = k & 0x0F;
    if (const int bank = KeyBank(code); bank >= 0) {
        const uint32_t event = LookupCode(kFunctionKeyStates, state);
        return {event == 0 ? DecodedEvent{} : DecodedEvent{event, key + static_cast<uint32_t>(bank), EventState::Stateless}};
    }
    if (code != kKey) {
        return {DecodedEvent{}, false};
    }
    if (const uint32_t event = LookupCode(kFixedKeys, k); event != 0) {
        if (event == QXEVT_ONHOOK || event == QXEVT_OFFHOOK) {
            return {{event, 0, status_.Record(channel_, &ZAQ16_PHONE_STATUS::hookState, event)}};
        }
        return {{event, 0, EventState::Stateless}};
    }
    if (const uint32_t event = LookupCode(kFunctionKeyStates, state); event != 0) {
        return {{event, key, EventState::Stateless}};
    }
    if (const uint32_t event = LookupCode(kDialPadStates, state); event != 0) {
        return {{event, static_cast<uint8_t>(DialPadCharacter(key)), EventState::Stateless}};
    }
    return {};
}

// ---------------------------------------------------------------- posting the display

// The display-mode word keeps the set's display mode (clock, clear, timer):
// posting text does not change it, so a mode already held is not posted again.
DecodedEvent DMERIDIAN::DisplayChange(uint32_t param)
{
    return {QXEVT_MESSAGE_CHANGE, param, EventState::Changed};
}

void DMERIDIAN::PostDisplayChange(uint8_t channel, uint32_t param)
{
    output_.PostByRule(channel, DisplayChange(param));
}

void DMERIDIAN::PostForwardNumber(uint8_t channel)
{
    const uint32_t param = display_.ForwardNumberLength(channel) + 1;
    const EventState state = status_.Record(channel, &ZAQ16_PHONE_STATUS::callForwardState, QXEVT_CFWD);
    output_.PostByRule(channel, {QXEVT_CFWD, param, state});
    Pending(channel) = kNothingPending;
    display_.ClearForwardNumber(channel);
}

bool DMERIDIAN::IsPending(uint8_t channel) const
{
    return context_.displays[channel].pending != kNothingPending;
}

void DMERIDIAN::FlushBeforeEvent(uint8_t channel)
{
    timers_.Cancel(channel);
    switch (Pending(channel)) {
    case kForwardNumber:
        PostForwardNumber(channel);
        break;
    case kDigitsShown:
    case kTextShown:
        Pending(channel) = kNothingPending;
        PostDisplayChange(channel, display_.Finish(channel));
        break;
    default:
        break;  // a date keeps waiting for its seconds
    }
}

void DMERIDIAN::TimerCompletionDMERIDIAN(uint8_t channel)
{
    const uint32_t kind = Pending(channel);
    if (kind == kNothingPending) {
        return;
    }
    display_.MarkPosted(channel);
    Pending(channel) = kNothingPending;
    switch (kind) {
    case kForwardNumber:
        PostForwardNumber(channel);
        break;
    case kDigitsShown:
        PostDisplayChange(channel, display_.EndText(channel));
        break;
    case kTextShown:
        PostDisplayChange(channel, display_.EndTextThroughOffset(channel));
        break;
    default:
        break;
    }
}

// ---------------------------------------------------------------- read-back

int32_t DMERIDIAN::MessageEntryTraceLevel() const
{
    return TRACE_FATAL;
}

uint32_t DMERIDIAN::GetMessage(uint8_t channel, char* buffer, uint32_t size)
{
    if (channel >= DecoderContext::kChannels || buffer == nullptr) {
        return ZAQ16_RET_INVALID_PARAM;
    }
    uint32_t offset = 0;
    {
        LockHold hold(context_.displayLock);
        if (!hold) {
            return ZAQ16_RET_NOT_READY;
        }
        const DisplayRecord& record = context_.displays[channel];
        offset = record.offset;
        Trace(TRACE_TRACE, "GetMessage", "offset = %d", static_cast<int>(offset));
        std::memcpy(buffer, record.text, std::min(size, DisplayRecord::kTextSize));
        Trace(TRACE_TRACE, "GetMessage", "%.*s", static_cast<int>(strnlen(record.text, DisplayRecord::kTextSize)),
              record.text);
    }
    if (size >= offset) {
        Trace(TRACE_TRACE, "GetMessage", "ZAQ16_RET_SUCCESS");
        return ZAQ16_RET_SUCCESS;
    }
    Trace(TRACE_TRACE, "GetMessage", "ZAQ16_RET_TRUNCATED");
    return ZAQ16_RET_TRUNCATED;
}

uint32_t DMERIDIAN::GetPBXDateTime(int32_t time[9])
{
    return clock_.GetPBXDateTime(time);
}
