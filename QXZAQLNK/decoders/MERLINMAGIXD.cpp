#include "decoders/MERLINMAGIXD.h"

#include <algorithm>

#include "base/Trace.h"
#include "decoders/MerlinTables.h"

using namespace merlin;

namespace {

constexpr DisplayTimers::Settings kTimerSettings{MERLINMAGIXD::kDisplayDelayMs, DisplayTimers::Numbering::Local,
                                                 DisplayTimers::Numbering::LocalPlusOne, TRACE_INFO,
                                                 "TimerCompletionMERLINMAGIXD"};

constexpr uint32_t kTextCountAt = 9;
constexpr uint32_t kTextAt = 10;
constexpr uint32_t kLampAt = 11;
constexpr uint32_t kLampStatesAt = 12;
constexpr uint32_t kToneAt = 11;
constexpr uint32_t kKeyAt = 10;
constexpr uint32_t kRingParam = 1;

template <typename Message>
const PatternRow<Message>* FindPattern(std::span<const PatternRow<Message>> rows, const uint8_t* data,
                                       uint32_t length)
{
    for (const PatternRow<Message>& row : rows) {
        if (length >= row.minLength && Matches(data, length, row.bytes)) {
            return &row;
        }
    }
    return nullptr;
}

}  // namespace

MERLINMAGIXD::MERLINMAGIXD(DecoderContext& context)
    : Decoder(context),
      status_(context.statusLock, context.phoneStatus, context.StartChannel()),
      output_(context),
      display_(context.displays, context.displayLock),
      timers_(context.Timers(), context.StartChannel(), kTimerSettings,
              [this](uint8_t channel) { TimerCompletionMERLINMAGIXD(channel); })
{
    onHookMark_.fill(true);
    Trace(TRACE_INFO, "MERLINMAGIXD::MERLINMAGIXD", "Port created for %d", static_cast<int>(context.StartChannel()));
}

MERLINMAGIXD::~MERLINMAGIXD()
{
    Trace(TRACE_INFO, "MERLINMAGIXD::~MERLINMAGIXD", "Port DELETED");
}

uint8_t MERLINMAGIXD::Decode(const Packet& packet)
{
    if (packet.channel >= kChannels || packet.data == nullptr) {
        return 1;
    }
    if (packet.type == kFromPbx) {
        DecodeFromPbx(packet.channel, packet.data, packet.length);
    } else if (packet.type == kFromSet) {
        DecodeFromSet(packet.channel, packet.data, packet.length);
    }
    return 1;
}

// ---------------------------------------------------------------- PBX to set

void MERLINMAGIXD::DecodeFromPbx(uint8_t channel, const uint8_t* data, uint32_t length)
{
    if (!Matches(data, length, kPbxHead)) {
        return;
    }
    const PatternRow<PbxMessage>* row = FindPattern<PbxMessage>(kPbxPatterns, data, length);
    if (row == nullptr) {
        return;
    }
    switch (row->message) {
    case PbxMessage::Lamp:
        DecodeLamp(channel, data[kLampAt] & 0x0F, data[kLampStatesAt]);
        break;
    case PbxMessage::Text:
        DecodeText(channel, data, length);
        break;
    case PbxMessage::RingOff:
        Emit(channel, Ring(channel, QXEVT_RING_OFF));
        break;
    case PbxMessage::RingOn:
        Emit(channel, Ring(channel, QXEVT_RING_ON));
        break;
    case PbxMessage::CallProgress:
        if (const uint32_t code = LookupCode(kCallProgressTones, data[kToneAt]); code != 0) {
            Emit(channel, {code, 0, EventState::Stateless});
        }
        break;
    case PbxMessage::Disconnected:
        Emit(channel, {QXEVT_DISCONNECTED, 0, EventState::Stateless});
        break;
    case PbxMessage::Connected:
        Emit(channel, {QXEVT_CONNECTED, 0, EventState::Stateless});
        break;
    }
}

DecodedEvent MERLINMAGIXD::Ring(uint8_t channel, uint32_t code)
{
    return {code, kRingParam, status_.Record(channel, &ZAQ16_PHONE_STATUS::ringState, code)};
}

void MERLINMAGIXD::DecodeLamp(uint8_t channel, uint8_t lamp, uint8_t states)
{
    struct Colour {
        uint8_t state;
        uint32_t colourBit;
        uint32_t entry;
        const char* traceName;
    };
    const Colour colours[] = {
        {static_cast<uint8_t>(states >> 4), QXEVT_LAMP_GREEN, lamp, "GREEN LIGHT STUFF"},
        {static_cast<uint8_t>(states & 0x0F), QXEVT_LAMP_RED, lamp + PhoneStatusRecorder::kRedLampEntries,
         "RED LIGHT STUFF"},
    };
    for (const Colour& colour : colours) {
        const uint32_t code = LookupCode(kLampStates, colour.state);
        if (code == 0) {
            continue;
        }
        const uint32_t param = lamp | colour.colourBit;
        const EventState state =
            status_.RecordLamp(channel, colour.entry, code, param, PhoneStatusRecorder::LampMatch::CodeAndParam);
        Emit(channel, {code, param, state});
        Trace(TRACE_INFO, colour.traceName, "bSendEvent = %d m_EventUpdateFlag = %d",
              state == EventState::Changed ? 1 : 0, context_.EventUpdates() ? 1 : 0);
    }
}

void MERLINMAGIXD::DecodeText(uint8_t channel, const uint8_t* data, uint32_t length)
{
    timers_.Arm(channel);
    uint32_t& pending = context_.displays[channel].pending;
    if (pending == 0) {
        display_.Home(channel);
        pending = kTextPending;
    }
    // The count never reaches past the packet.
    const uint32_t count = std::min<uint32_t>(data[kTextCountAt], length - kTextAt);
    if (!display_.Write(channel, data + kTextAt, count)) {
        return;
    }
    timers_.Cancel(channel);
    Trace(TRACE_INFO, "ProcessCommand", "MERLINMAGIX TIMER Cancelled for %d ms for %d",
          static_cast<int>(kDisplayDelayMs), static_cast<int>(context_.AbsoluteChannel(channel)));
    pending = 0;
    PostDisplay(channel, true);
}

// ---------------------------------------------------------------- set to PBX

void MERLINMAGIXD::DecodeFromSet(uint8_t channel, const uint8_t* data, uint32_t length)
{
    if (Matches(data, length, kSetEcho)) {
        return;
    }
    const PatternRow<SetMessage>* row =
        Matches(data, length, kSetHead) ? FindPattern<SetMessage>(kSetPatterns, data, length) : nullptr;
    if (row == nullptr) {
        DecodeAudio(channel, data, length);
        return;
    }
    const uint8_t key = data[kKeyAt];
    if (row->message == SetMessage::Digit) {
        lastKeyKind_[channel] = kDigitKey;
        lastKey_[channel] = key;
        Emit(channel, {QXEVT_DIGIT_PRESSED, key, EventState::Stateless});
        return;
    }
    DecodeKey(channel, key);
}

void MERLINMAGIXD::DecodeKey(uint8_t channel, uint8_t key)
{
    if (key == kKeyReleased) {
        const uint32_t kind = lastKeyKind_[channel];
        const uint32_t code = LookupCode(kReleases, static_cast<uint8_t>(kind));
        if (code != 0) {
            const bool carriesKey = kind == kDigitKey || kind == kFunctionKey;
            Emit(channel, {code, carriesKey ? lastKey_[channel] : 0, EventState::Stateless});
        }
        return;
    }
    if (key >= kFirstFunctionKey && key <= kLastFunctionKey) {
        lastKeyKind_[channel] = kFunctionKey;
        lastKey_[channel] = key & 0x0F;
        Emit(channel, {QXEVT_FUNCTION_BUTTON_PRESSED, lastKey_[channel], EventState::Stateless});
        return;
    }
    for (const KeyRow& row : kFixedKeys) {
        if (row.key == key) {
            lastKeyKind_[channel] = row.kind;
            Emit(channel, {row.code, 0, EventState::Stateless});
            return;
        }
    }
}

void MERLINMAGIXD::DecodeAudio(uint8_t channel, const uint8_t* data, uint32_t length)
{
    // The report's pattern sits in its last nine bytes: a shorter packet is no report.
    if (length < kAudioTailLength) {
        return;
    }
    const uint8_t* tail = data + length - kAudioTailLength;
    if (!Matches(tail, kAudioTailLength, kAudioTail)) {
        return;
    }
    const uint8_t mode = tail[kAudioModeAt] & 0x0F;
    for (const AudioMode& row : kAudioModes) {
        if (row.mode != mode) {
            continue;
        }
        for (const AudioStep& step : row.steps) {
            Emit(channel, {step.code, step.path, status_.Record(channel, AudioWord(step.path), step.code)});
        }
        // Only a change of the hook is posted: a second on-hook report is not.
        const bool onHook = row.hook == QXEVT_ONHOOK;
        if (onHookMark_[channel] != onHook) {
            onHookMark_[channel] = onHook;
            Emit(channel, {row.hook, 0, status_.Record(channel, &ZAQ16_PHONE_STATUS::hookState, row.hook)});
        }
        return;
    }
}

// ---------------------------------------------------------------- posting

void MERLINMAGIXD::Emit(uint8_t channel, const DecodedEvent& event)
{
    output_.PostAfterDisplay(channel, event, true, *this);
}

void MERLINMAGIXD::PostDisplay(uint8_t channel, bool traced)
{
    const uint32_t offset = display_.Terminate(channel);
    if (offset == 0) {
        return;
    }
    if (traced) {
        Trace(TRACE_INFO, "ProcessCommand", "channel %d offset = %d",
              static_cast<int>(context_.AbsoluteChannel(channel)), static_cast<int>(offset));
    }
    output_.Post(channel, QXEVT_MESSAGE_CHANGE, offset);
}

bool MERLINMAGIXD::IsPending(uint8_t channel) const
{
    return context_.displays[channel].pending == kTextPending && timers_.Armed(channel);
}

void MERLINMAGIXD::FlushBeforeEvent(uint8_t channel)
{
    timers_.Cancel(channel);
    TraceProceedingCancel(kDisplayDelayMs, context_.AbsoluteChannel(channel));
    context_.displays[channel].pending = 0;
    PostDisplay(channel, false);
}

void MERLINMAGIXD::TimerCompletionMERLINMAGIXD(uint8_t channel)
{
    Trace(TRACE_TRACE, "TimerCompletionMERLINMAGIXD", "Channel %d Offset = %d", channel + 1,
          static_cast<int>(context_.displays[channel].offset));
    if (context_.displays[channel].pending != kTextPending) {
        return;
    }
    context_.displays[channel].pending = 0;
    PostDisplay(channel, false);
}
