// The Norstar decoder: keys from the set, the PBX's message run, the display
// posted at once or by its timer.
#include "decoders/NORSTARD.h"

#include <algorithm>
#include <cstring>

#include "base/Trace.h"
#include "decoders/LockHold.h"
#include "decoders/TrackedState.h"

using namespace norstar;

namespace {

constexpr DisplayTimers::Settings kTimerSettings{NORSTARD::kDisplayDelayMs, DisplayTimers::Numbering::Local,
                                                 DisplayTimers::Numbering::Local, TRACE_DEBUG,
                                                 "TimerCompletionNORSTARD"};

uint32_t GreenLamp(uint32_t index)
{
    return index | kLampColour;
}

template <size_t N>
bool OneOf(const uint8_t (&bytes)[N], uint8_t byte)
{
    return std::find(std::begin(bytes), std::end(bytes), byte) != std::end(bytes);
}

}  // namespace

NORSTARD::NORSTARD(DecoderContext& context)
    : Decoder(context),
      status_(context.statusLock, context.phoneStatus, context.StartChannel()),
      tracker_(status_),
      output_(context),
      display_(context),
      timers_(context.Timers(), context.StartChannel(), kTimerSettings,
              [this](uint8_t channel) { TimerCompletionNORSTARD(channel); })
{
    status_.InitialiseLamps(QXEVT_LIGHT_OFF, &GreenLamp);
    Trace(TRACE_INFO, "NORSTARD::NORSTARD", "Port created for %d", static_cast<int>(context.StartChannel()));
}

uint8_t NORSTARD::Decode(const Packet& packet)
{
    if (packet.length == 0 || packet.channel >= DecoderContext::kChannels) {
        return 0;
    }
    const bool fromPbx = packet.type == kFromPbx;
    if (!fromPbx && packet.type != kFromSet) {
        return 1;
    }
    const uint8_t* message = packet.data;
    uint32_t length = packet.length;
    while (length > 0) {
        const uint32_t used = fromPbx ? DecodeFromPbx(packet.channel, message, length)
                                      : DecodeFromSet(packet.channel, message[0]);
        if (used == 0 || used > length) {
            break;
        }
        message += used;
        length -= used;
    }
    return 1;
}

// ---------------------------------------------------------------- set to PBX

uint32_t NORSTARD::DecodeFromSet(uint8_t channel, uint8_t key)
{
    for (const KeyRange& range : kKeyRanges) {
        if (key < range.first || key > range.last) {
            continue;
        }
        if (range.code == QXEVT_ONHOOK || range.code == QXEVT_OFFHOOK) {
            Emit(channel, Tracked(tracker_, channel, range.code, 0), false);
        } else if (range.code != 0) {
            const uint32_t param = range.base != 0 ? key - range.base : range.param;
            Emit(channel, {range.code, param, EventState::Stateless}, false);
        }
        return 1;
    }
    return 0;
}

// ---------------------------------------------------------------- PBX to set

uint32_t NORSTARD::DecodeFromPbx(uint8_t channel, const uint8_t* message, uint32_t length)
{
    const uint8_t code = message[0];
    if (OneOf(kSilentBytes, code)) {
        return 1;
    }
    if (OneOf(kSilentRuns, code)) {
        return DecodeSilentRun(channel, message, length);
    }
    for (const AudioMessage& audio : kAudioMessages) {
        if (audio.code == code) {
            return DecodeAudio(channel, audio, length);
        }
    }
    switch (code) {
    case kRingerOff:
    case kRingerOn:
        Emit(channel, Tracked(tracker_, channel, code == kRingerOn ? QXEVT_RING_ON : QXEVT_RING_OFF, 0), true);
        return 1;
    case kClearDisplay:
        status_.Record(channel, &ZAQ16_PHONE_STATUS::displayState, QXEVT_DISPLAY_CLEAR);
        Emit(channel, {QXEVT_DISPLAY_CLEAR, 0, EventState::Changed}, true);
        return 1;
    case kIgnoredTriple:
        return length >= 3 ? 3 : 0;
    case kIgnoredPair:
        return length >= 2 ? 2 : 0;
    case kLamp:
        return DecodeLamp(channel, message, length);
    case kRowPosition:
        return length >= 2 && display_.Position(channel, message[1]) ? 2 : 0;
    case kRow1Character:
        if (length < 2) {
            return 0;
        }
        display_.PutRow1Character(channel, message[1]);
        ShowDisplay(channel);
        return 2;
    case kLongLamp:
        return DecodeLongLamp(channel, message, length);
    case kRowText:
        return DecodeRowText(channel, message, length);
    case kClock:
        if (length < kClockLength) {
            return 0;
        }
        status_.Record(channel, &ZAQ16_PHONE_STATUS::displayState, QXEVT_DISPLAY_CLOCK);
        Emit(channel, {QXEVT_DISPLAY_CLOCK, 0, EventState::Changed}, true);
        return kClockLength;
    default:
        return 0;
    }
}

uint32_t NORSTARD::DecodeAudio(uint8_t channel, const AudioMessage& audio, uint32_t length)
{
    if (length < audio.length) {
        return 0;
    }
    for (const AudioStep& step : audio.steps) {
        if (step.path == 0) {
            continue;
        }
        const EventState state = status_.Record(channel, AudioPathWord(step.path), step.code);
        // A path switched off is told only when it was on.
        const bool told = step.code == QXEVT_AUDIO_ON || state == EventState::Changed;
        Emit(channel, {step.code, step.path, told ? state : EventState::None}, true);
    }
    return audio.length;
}

uint32_t NORSTARD::DecodeLamp(uint8_t channel, const uint8_t* message, uint32_t length)
{
    if (length < 2) {
        return 0;
    }
    const uint8_t state = message[1] >> 5;
    if (state != kEveryLamp) {
        const uint32_t code = kLampStates[state];
        if (code == 0) {
            return 0;
        }
        const uint32_t param = GreenLamp(message[1] & 0x1Fu);
        status_.RecordLamp(channel, param & QXEVT_LAMP_NUMBER_MASK, code, param,
                           PhoneStatusRecorder::LampMatch::CodeAndParam);
        Emit(channel, Tracked(tracker_, channel, code, param), true);
        return 2;
    }
    if (length < 3) {
        return 0;
    }
    const uint32_t code = kLampStates[message[2] & 7u];
    if (code == 0) {
        return 0;
    }
    SetEveryLamp(channel, code);
    Emit(channel, {code, kEveryLampParam, EventState::Stateless}, true);
    return 3;
}

void NORSTARD::SetEveryLamp(uint8_t channel, uint32_t code)
{
    {
        LockHold hold(context_.statusLock);
        if (hold) {
            for (uint32_t lamp = 0; lamp < PhoneStateTracker::kBankSize; ++lamp) {
                context_.phoneStatus[channel].lamps[lamp].state = code;
            }
        }
    }
    // The lamps compared for the posting rule follow, so that a lamp lit
    // again afterwards is told.
    for (uint32_t lamp = 0; lamp < PhoneStateTracker::kBankSize; ++lamp) {
        Tracked(tracker_, channel, code, GreenLamp(lamp));
    }
}

uint32_t NORSTARD::DecodeLongLamp(uint8_t channel, const uint8_t* message, uint32_t length)
{
    if (length < kShortestRowText) {
        return 0;
    }
    const uint32_t messageLength = message[1];
    if (messageLength < kShortestRowText) {
        return BadLength(channel, message[0], messageLength);
    }
    if (messageLength > length) {
        return 0;
    }
    const uint8_t kind = message[2];
    if (OneOf(kSilentLongLampKinds, kind)) {
        return messageLength;
    }
    if (kind != kLampKind || messageLength != kLampKindLength) {
        return 0;
    }
    const uint8_t state = message[4];
    if (OneOf(kSilentLongLampStates, state)) {
        return messageLength;
    }
    const uint32_t code = LookupCode(kLongLampStates, state);
    if (code == 0) {
        return 0;
    }
    const uint32_t param = GreenLamp(message[3]);
    status_.RecordLamp(channel, message[3], code, param, PhoneStatusRecorder::LampMatch::CodeAndParam);
    Emit(channel, Tracked(tracker_, channel, code, param), true);
    return messageLength;
}

uint32_t NORSTARD::DecodeRowText(uint8_t channel, const uint8_t* message, uint32_t length)
{
    if (length < 2) {
        return 0;
    }
    const uint32_t messageLength = message[1];
    if (messageLength < kShortestRowText) {
        return BadLength(channel, message[0], messageLength);
    }
    if (messageLength > length) {
        return 0;
    }
    if (!display_.PutRowText(channel, message[2], message + kShortestRowText, messageLength - kShortestRowText)) {
        return 0;
    }
    ShowDisplay(channel);
    return messageLength;
}

uint32_t NORSTARD::DecodeSilentRun(uint8_t channel, const uint8_t* message, uint32_t length)
{
    if (length < kShortestRun) {
        return 0;
    }
    const uint32_t messageLength = message[1];
    if (messageLength < kShortestRun) {
        return BadLength(channel, message[0], messageLength);
    }
    return messageLength <= length ? messageLength : 0;
}

uint32_t NORSTARD::BadLength(uint8_t channel, uint8_t code, uint32_t messageLength) const
{
    Trace(TRACE_ERROR, "ProcessCommand", "Message 0x%02X of length %d ends the packet for %d", code,
          static_cast<int>(messageLength), static_cast<int>(context_.AbsoluteChannel(channel)));
    return 0;
}

// ---------------------------------------------------------------- the display

void NORSTARD::ShowDisplay(uint8_t channel)
{
    const bool atOnce = context_.EventUpdates();
    const uint32_t length = display_.Rebuild(channel, atOnce);
    if (atOnce) {
        output_.Post(channel, QXEVT_MESSAGE_CHANGE, length + 1);
        return;
    }
    timers_.Arm(channel);
    context_.displays[channel].pending = kDisplayWaiting;
}

void NORSTARD::Emit(uint8_t channel, const DecodedEvent& event, bool fromPbx)
{
    if (event.state == EventState::None) {
        return;
    }
    if (fromPbx && IsPending(channel)) {
        FlushBeforeEvent(channel);
    }
    if (event.code == QXEVT_DISPLAY_CLEAR) {
        display_.Clear(channel);
    }
    output_.PostByRule(channel, event);
}

bool NORSTARD::IsPending(uint8_t channel) const
{
    return context_.displays[channel].pending == kDisplayWaiting && timers_.Armed(channel);
}

void NORSTARD::FlushBeforeEvent(uint8_t channel)
{
    timers_.Cancel(channel);
    uint32_t param = 0;
    {
        LockHold hold(context_.displayLock);
        if (!hold) {
            return;
        }
        DisplayRecord& record = context_.displays[channel];
        const uint32_t n = std::min(record.offset, DisplayRecord::kTextSize - 1);
        record.pending = 0;
        record.text[n] = '\0';
        if (std::memcmp(record.text, record.posted, n) != 0) {
            std::memcpy(record.posted, record.text, n);
            param = n + 1;
        }
    }
    if (param != 0) {
        output_.Post(channel, QXEVT_MESSAGE_CHANGE, param);
    }
}

void NORSTARD::TimerCompletionNORSTARD(uint8_t channel)
{
    uint32_t param = 0;
    {
        LockHold hold(context_.displayLock);
        if (!hold) {
            return;
        }
        DisplayRecord& record = context_.displays[channel];
        if (record.pending != kDisplayWaiting) {
            return;
        }
        const uint32_t n = std::min(std::max(record.length, record.offset), DisplayRecord::kTextSize - 1);
        record.text[n] = '\0';
        record.pending = 0;
        param = n + 1;
    }
    output_.Post(channel, QXEVT_MESSAGE_CHANGE, param);
}
