// The NEAX 2400 decoder: one key from the set, the PBX's message run with its
// lamps, audio paths and text, the display flushed or posted by its timer.
#include "decoders/CNeax2400D.h"

#include <algorithm>

#include "base/Trace.h"
#include "decoders/LockHold.h"
#include "decoders/NeaxTables.h"
#include "decoders/TrackedState.h"

using namespace neax;

namespace {

constexpr DisplayTimers::Settings kTimerSettings{CNeax2400D::kDisplayDelayMs, DisplayTimers::Numbering::Absolute,
                                                 DisplayTimers::Numbering::Absolute, TRACE_DEBUG,
                                                 "TimerCompletionCNeax2400D"};

// Entries 0 to 254 are the green lamps, 255 to 509 the red ones.
uint32_t InitialLampParam(uint32_t index)
{
    constexpr uint32_t kRedEntries = PhoneStatusRecorder::kRedLampEntries;
    return index < kRedEntries ? (index | kGreen) : ((index - kRedEntries) | kRed);
}

// The named-lamp families UpdatePhoneState keeps, all off in both colours at first.
constexpr uint32_t kKeptNamedLamps[] = {QXEVT_FEATURE_LIGHT_OFF, QXEVT_SPEAKER_LIGHT_OFF, QXEVT_RING_LIGHT_OFF,
                                        QXEVT_ANSWER_LIGHT_OFF, QXEVT_CONFERENCE_LIGHT_OFF};

template <size_t N>
bool OneOf(const uint8_t (&bytes)[N], uint8_t byte)
{
    return std::find(std::begin(bytes), std::end(bytes), byte) != std::end(bytes);
}

// The lamp number of a lamp code; -1 for none.
int LampNumber(uint8_t lampCode)
{
    if (lampCode <= 0x0F) {
        return lampCode;
    }
    if ((lampCode & 0xF0) == kUpperLamps) {
        return static_cast<int>(kUpperLampBase + (lampCode & 0x0F));
    }
    return -1;
}

}  // namespace

CNeax2400D::CNeax2400D(DecoderContext& context)
    : Decoder(context),
      status_(context.statusLock, context.phoneStatus, context.StartChannel()),
      tracker_(status_),
      output_(context),
      display_(context),
      timers_(context.Timers(), context.StartChannel(), kTimerSettings,
              [this](uint8_t channel) { TimerCompletionCNeax2400D(channel); })
{
    status_.InitialiseLamps(QXEVT_LIGHT_OFF, &InitialLampParam);
    for (uint8_t channel = 0; channel < DecoderContext::kChannels; ++channel) {
        status_.Record(channel, &ZAQ16_PHONE_STATUS::hookState, QXEVT_ONHOOK);
        for (const uint32_t off : kKeptNamedLamps) {
            Tracked(tracker_, channel, off, kBothColours);
        }
    }
}

uint8_t CNeax2400D::Decode(const Packet& packet)
{
    const uint8_t channel = packet.channel;
    if (channel >= DecoderContext::kChannels) {
        return 0;
    }
    fromPbx_ = packet.type == kFromPbx;
    if (packet.type == kFromSet) {
        if (packet.length > 0) {
            DecodeFromSet(channel, packet.data[0]);
        }
        return 1;
    }
    if (!fromPbx_ || packet.length < kShortestPacket) {
        return 1;
    }
    const uint8_t* message = packet.data;
    uint32_t length = packet.length;
    while (length > 0) {
        const uint32_t used = DecodeFromPbx(channel, message, length);
        // A touched display stays touched until a display waiting is flushed.
        if (channels_[channel].displayTouched && IsPending(channel)) {
            FlushBeforeEvent(channel);
        }
        if (used == 0 || used > length) {
            break;
        }
        message += used;
        length -= used;
    }
    return 1;
}

// ---------------------------------------------------------------- set to PBX

void CNeax2400D::DecodeFromSet(uint8_t channel, uint8_t key)
{
    Channel& state = channels_[channel];
    if (key == kDigitReleased) {
        Emit(channel, {QXEVT_DIGIT_RELEASED, state.lastDigit, EventState::Stateless});
        return;
    }
    for (const KeyRange& range : kKeyRanges) {
        if (key < range.first || key > range.last) {
            continue;
        }
        const auto param = static_cast<uint32_t>(range.fixed ? range.add : key + range.add);
        if (range.digit) {
            state.lastDigit = param;
        }
        if (range.code == QXEVT_ONHOOK || range.code == QXEVT_OFFHOOK) {
            Emit(channel, Tracked(tracker_, channel, range.code, 0));
        } else {
            Emit(channel, {range.code, param, EventState::Stateless});
        }
        return;
    }
}

// ---------------------------------------------------------------- PBX to set

uint32_t CNeax2400D::DecodeFromPbx(uint8_t channel, const uint8_t* message, uint32_t length)
{
    const uint8_t code = message[0];
    if (code < kFirstMessage || code > kLastMessage) {
        return 0;
    }
    if (OneOf(kDisplayTextMessages, code)) {
        return DecodeText(channel, message, length);
    }
    const bool triple = OneOf(kSilentTriples, code) || OneOf(kDisplayTouchMessages, code) ||
                        (code >= kHandsetOff && code <= kSecondPathOff);
    const uint32_t messageLength = triple ? 3 : 2;
    if (length < messageLength) {
        return 0;
    }
    if (OneOf(kSilentPairs, code) || OneOf(kSilentTriples, code)) {
        return messageLength;
    }
    if (OneOf(kDisplayTouchMessages, code)) {
        channels_[channel].displayTouched = true;
        return messageLength;
    }
    if (DecodeLamp(channel, code, message[1]) || DecodeNamedLamp(channel, code, message[1]) ||
        DecodeAudio(channel, code)) {
        return messageLength;
    }
    switch (code) {
    case kRinger:
        if (message[1] < 0x10) {
            Emit(channel, Tracked(tracker_, channel, QXEVT_RING_OFF, 0));
        } else if ((message[1] >> 4) == 1) {
            Emit(channel, Tracked(tracker_, channel, QXEVT_RING_ON, 0));
        }
        return messageLength;
    case kRingerOnOne:
        Emit(channel, Tracked(tracker_, channel, QXEVT_RING_ON, 1));
        return messageLength;
    default:
        return 0;
    }
}

bool CNeax2400D::DecodeLamp(uint8_t channel, uint8_t message, uint8_t lampCode)
{
    const auto row = std::find_if(std::begin(kLampMessages), std::end(kLampMessages),
                                  [message](const LampMessage& lamp) { return lamp.message == message; });
    if (row == std::end(kLampMessages)) {
        return false;
    }
    const int lamp = LampNumber(lampCode);
    if (lamp < 0) {
        return true;
    }
    const auto number = static_cast<uint32_t>(lamp);
    // The lamp table of the phone status follows too, for the application's reads.
    constexpr auto kMatch = PhoneStatusRecorder::LampMatch::CodeAndParam;
    if ((row->colour & kGreen) != 0) {
        status_.RecordLamp(channel, number, row->code, number | kGreen, kMatch);
    }
    if ((row->colour & kRed) != 0) {
        status_.RecordLamp(channel, PhoneStatusRecorder::kRedLampEntries + number, row->code, number | kRed, kMatch);
    }
    Emit(channel, Tracked(tracker_, channel, row->code, row->colour | number));
    return true;
}

bool CNeax2400D::DecodeNamedLamp(uint8_t channel, uint8_t message, uint8_t family)
{
    const auto row = std::find_if(std::begin(kNamedLampMessages), std::end(kNamedLampMessages),
                                  [message](const NamedLampMessage& lamp) { return lamp.message == message; });
    if (row == std::end(kNamedLampMessages)) {
        return false;
    }
    const auto kind = std::find_if(std::begin(kNamedLampFamilies), std::end(kNamedLampFamilies),
                                   [family](const NamedLampFamily& named) { return named.family == family; });
    if (kind == std::end(kNamedLampFamilies) || (row->onlyFamily != 0 && row->onlyFamily != family)) {
        return true;
    }
    Emit(channel, Tracked(tracker_, channel, kind->firstCode + row->state, row->colour));
    return true;
}

uint32_t CNeax2400D::DecodeText(uint8_t channel, const uint8_t* message, uint32_t length)
{
    if (length < 2) {
        return 0;
    }
    const bool atOnce = context_.EventUpdates();
    const uint32_t taken = display_.Write(channel, message[1], message + 2, length - 2, atOnce);
    if (atOnce) {
        Emit(channel, {QXEVT_MESSAGE_CHANGE, NeaxDisplay::kScreen, EventState::Changed});
    } else {
        timers_.Arm(channel);
        channels_[channel].timerArmed = true;
    }
    return 2 + taken;
}

uint32_t CNeax2400D::AudioState(uint8_t channel, uint32_t path)
{
    LockHold hold(context_.statusLock);
    return hold ? context_.phoneStatus[channel].*AudioPathWord(path) : 0;
}

void CNeax2400D::Audio(uint8_t channel, uint32_t code, uint32_t path, bool told)
{
    const EventState state = status_.Record(channel, AudioPathWord(path), code);
    Emit(channel, {code, path, told ? EventState::Stateless : state});
}

bool CNeax2400D::DecodeAudio(uint8_t channel, uint8_t message)
{
    Channel& state = channels_[channel];
    switch (message) {
    case kHandsetOff:
        Audio(channel, QXEVT_AUDIO_OFF, QXEVT_AUDIO_HANDSET, false);
        return true;
    case kSecondPathOn:
    case kSecondPathOnToo:
        Audio(channel, QXEVT_AUDIO_ON,
              state.audioMode == QXEVT_AUDIO_ON ? QXEVT_AUDIO_HANDSFREE : QXEVT_AUDIO_SPEAKER_MONITOR, false);
        return true;
    case kHandsetOn:
    case kHandsetOnToo:
        Audio(channel, QXEVT_AUDIO_ON, QXEVT_AUDIO_HANDSET, false);
        return true;
    case kAudioModeOn:
        state.audioMode = QXEVT_AUDIO_ON;
        if (AudioState(channel, QXEVT_AUDIO_SPEAKER_MONITOR) == QXEVT_AUDIO_ON) {
            Audio(channel, QXEVT_AUDIO_ON, QXEVT_AUDIO_HANDSFREE, true);
            Audio(channel, QXEVT_AUDIO_OFF, QXEVT_AUDIO_SPEAKER_MONITOR, false);
        }
        return true;
    case kAudioModeOff:
        state.audioMode = QXEVT_AUDIO_OFF;
        if (AudioState(channel, QXEVT_AUDIO_HANDSFREE) == QXEVT_AUDIO_ON) {
            Audio(channel, QXEVT_AUDIO_ON, QXEVT_AUDIO_SPEAKER_MONITOR, true);
            Audio(channel, QXEVT_AUDIO_OFF, QXEVT_AUDIO_HANDSFREE, false);
        }
        return true;
    case kSecondPathOff:
        if (AudioState(channel, QXEVT_AUDIO_HANDSFREE) != QXEVT_AUDIO_OFF) {
            Audio(channel, QXEVT_AUDIO_OFF, QXEVT_AUDIO_HANDSFREE, true);
        }
        Audio(channel, QXEVT_AUDIO_OFF, QXEVT_AUDIO_SPEAKER_MONITOR, false);
        return true;
    default:
        return false;
    }
}

// ---------------------------------------------------------------- posting

void CNeax2400D::Emit(uint8_t channel, const DecodedEvent& event)
{
    if (event.state == EventState::None) {
        return;
    }
    if (IsPending(channel)) {
        FlushBeforeEvent(channel);
    }
    output_.PostByRule(channel, event);
}

bool CNeax2400D::IsPending(uint8_t channel) const
{
    return fromPbx_ && channels_[channel].timerArmed;
}

void CNeax2400D::FlushBeforeEvent(uint8_t channel)
{
    timers_.Cancel(channel);
    if (display_.TakeChanged(channel)) {
        output_.Post(channel, QXEVT_MESSAGE_CHANGE, NeaxDisplay::kScreen);
    }
    channels_[channel].displayTouched = false;
    channels_[channel].timerArmed = false;
}

void CNeax2400D::TimerCompletionCNeax2400D(uint8_t channel)
{
    if (display_.TakeChanged(channel)) {
        output_.Post(channel, QXEVT_MESSAGE_CHANGE, NeaxDisplay::kScreen);
    }
    channels_[channel].timerArmed = false;
}
