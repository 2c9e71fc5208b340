#include "decoders/INTERTELD.h"

#include <algorithm>

#include "base/Trace.h"
#include "decoders/InterTelTables.h"
#include "decoders/LockHold.h"

using namespace intertel;

namespace {

constexpr DisplayTimers::Settings kTimerSettings{INTERTELD::kDisplayDelayMs, DisplayTimers::Numbering::Local,
                                                 DisplayTimers::Numbering::LocalPlusOne, TRACE_DEBUG,
                                                 "TimerCompletionINTERTELD"};

// Entries 0 to 254 are the green lamps, 255 to 509 the red ones.
uint32_t InitialLampParam(uint32_t index)
{
    constexpr uint32_t kRed = PhoneStatusRecorder::kRedLampEntries;
    return index < kRed ? (index | QXEVT_LAMP_GREEN) : ((index - kRed) | QXEVT_LAMP_RED);
}

uint8_t SumFromByte1(const uint8_t* data, uint32_t length)
{
    uint32_t sum = 0;
    for (uint32_t i = 1; i < length; ++i) {
        sum += data[i];
    }
    return static_cast<uint8_t>(sum);
}

// The printable bytes at the start of `bytes`.
uint32_t PrintableRun(const uint8_t* bytes, uint32_t count)
{
    return static_cast<uint32_t>(std::find_if_not(bytes, bytes + count, IsPrintable) - bytes);
}

}  // namespace

INTERTELD::INTERTELD(DecoderContext& context)
    : Decoder(context),
      status_(context.statusLock, context.phoneStatus, context.StartChannel()),
      output_(context),
      display_(context.displays, context.displayLock),
      timers_(context.Timers(), context.StartChannel(), kTimerSettings,
              [this](uint8_t channel) { TimerCompletionINTERTELD(channel); })
{
    status_.InitialiseLamps(QXEVT_LIGHT_OFF, &InitialLampParam);
    {
        LockHold hold(context.statusLock);
        for (ZAQ16_PHONE_STATUS& status : context.phoneStatus) {
            status.hookState = QXEVT_ONHOOK;
        }
    }
    display_.Reset();
    Trace(TRACE_TRACE, "INTERTELD::INTERTELD", "Port created for %d", static_cast<int>(context.StartChannel()));
}

INTERTELD::~INTERTELD()
{
    Trace(TRACE_TRACE, "INTERTELD::~INTERTELD", "Port DELETED");
}

uint8_t INTERTELD::Decode(const Packet& packet)
{
    const uint8_t channel = packet.channel;
    const uint32_t length = packet.data != nullptr ? packet.length : 0;
    if (channel >= kChannels || !Accept(channel, packet.data, length)) {
        return 1;
    }
    if (packet.type == kFromSet) {
        if (length > kKeyAt) {
            DecodeFromSet(channel, packet.data[kKeyAt]);
        }
    } else if (packet.type == kFromPbx) {
        DecodeFromPbx(channel, packet.data, length);
    }
    return 1;
}

// The length is checked before any byte is read; a repeat is dropped
// silently, a bad sum with a trace line.
bool INTERTELD::Accept(uint8_t channel, const uint8_t* data, uint32_t length)
{
    PacketMark& last = lastPacket_[channel];
    if (length >= kShortestPacket) {
        const PacketMark mark{data[0], length, data[length - 1]};
        if (mark == last) {
            return false;
        }
        last = mark;
    }
    const uint8_t sum = SumFromByte1(data, length);
    if (length < kShortestPacket || sum != kChecksum) {
        last = PacketMark{};
        Trace(TRACE_INFO, "CHECK SUM INTERTEL", "0x%02x rejecting packet", sum);
        return false;
    }
    return true;
}

void INTERTELD::DecodeFromPbx(uint8_t channel, const uint8_t* data, uint32_t length)
{
    if (length > kLongestPbxPacket) {
        return;
    }
    // The messages lie between the count and the checksum byte.
    const uint32_t carried = length > kMessagesAt ? length - kMessagesAt - 1 : 0;
    if (!stow_.Pending(channel)) {
        ProcessCommand(channel, data + kMessagesAt, std::min<uint32_t>(data[1], carried));
        return;
    }
    Trace(TRACE_TRACE, "HandlePacket", "Stowdata 1");
    if (!stow_.Append(channel, data + kMessagesAt, carried)) {
        Trace(TRACE_TRACE, "HandlePacket", "Stowdata dropped: more than %d bytes",
              static_cast<int>(InterTelStow::kSize));
        return;
    }
    std::array<uint8_t, InterTelStow::kRoom> run;
    const uint32_t count = stow_.Take(channel, run);
    ProcessCommand(channel, run.data(), count);
}

void INTERTELD::ProcessCommand(uint8_t channel, const uint8_t* messages, uint32_t count)
{
    while (count > 0) {
        const Message message = DecodeMessage(channel, messages, count);
        Post(channel, message.events);
        if (message.last) {
            return;
        }
        messages += message.length;
        count -= message.length;
    }
}

INTERTELD::Message INTERTELD::DecodeMessage(uint8_t channel, const uint8_t* message, uint32_t count)
{
    const uint8_t code = message[0];
    if (IsPrintable(code)) {
        return DecodeTextLine(channel, message, count);
    }
    if (EndsThePacket(code)) {
        return {count, true, {}};
    }
    switch (code) {
    case kNothing1:
        return {1, false, {}};
    case kNothing2: {
        if (count < 2) {
            return Stow(channel, "Stowdata 0x82", message, count);
        }
        const uint32_t length = message[1] == 0x61 ? 2 : 3;
        return count < length ? Stow(channel, "Stowdata 0x82", message, count) : Message{length, false, {}};
    }
    case kRinger:
        return DecodeRinger(channel, message, count);
    case kLamp:
        return count < 3 ? Stow(channel, "Stowdata 0x85", message, count) : DecodeLamp(channel, message);
    case kDisplay:
        return DecodeDisplay(channel, message, count);
    case kNothing88:
        return count < 2 ? Stow(channel, "Stowdata 0x87", message, count) : Message{2, false, {}};
    default:
        break;
    }
    if (code >= kFirstUnknown && count > 1) {
        return Stow(channel, "Stowdata default case", message, count);
    }
    return {1, false, {}};
}

INTERTELD::Message INTERTELD::Stow(uint8_t channel, const char* what, const uint8_t* message, uint32_t count)
{
    Trace(TRACE_TRACE, "PRocess Command", "%s", what);
    stow_.Append(channel, message, count);
    return {count, true, {}};
}

INTERTELD::Message INTERTELD::DecodeRinger(uint8_t channel, const uint8_t* message, uint32_t count)
{
    if (count < 2) {
        return Stow(channel, "Stowdata 0x83", message, count);
    }
    const uint8_t ringer = message[1];
    if (ringer == kRingLong) {
        return count < 5 ? Stow(channel, "Stowdata 0x83 0x20 0x1d 0x03 0x03", message, count) : Message{5, false, {}};
    }
    if (ringer != kRingOff && ringer != kRingOn && ringer != kRingQuiet) {
        Trace(TRACE_TRACE, "WHOOPSY RING", "Resetting data");
        return {2, false, {}};
    }
    if (count < 3) {
        return Stow(channel, "Stowdata 0x83", message, count);
    }
    Message decoded{3, false, {}};
    if (ringer != kRingQuiet) {
        const uint32_t code = ringer == kRingOn ? QXEVT_RING_ON : QXEVT_RING_OFF;
        decoded.events.Add({code, kRingParam, status_.Record(channel, &ZAQ16_PHONE_STATUS::ringState, code)});
    }
    return decoded;
}

DecodedEvent INTERTELD::Audio(uint8_t channel, uint32_t code, uint8_t path)
{
    const PhoneStatusRecorder::Word word =
        path == 1 ? &ZAQ16_PHONE_STATUS::handsetAudio : &ZAQ16_PHONE_STATUS::handsfreeAudio;
    return {code, path, status_.Record(channel, word, code)};
}

INTERTELD::Message INTERTELD::DecodeLamp(uint8_t channel, const uint8_t* message)
{
    const uint8_t lamp = message[1];
    const uint8_t state = message[2] & 0x07;
    Message decoded{3, false, {}};
    const uint32_t code = LookupCode(kLampStates, state);
    if (code == 0) {
        Trace(TRACE_TRACE, "WHOOPSY Light", "Resetting data %d", message[2]);
        return decoded;
    }
    const uint32_t param = lamp | QXEVT_LAMP_GREEN;
    decoded.events.Add(
        {code, param, status_.RecordLamp(channel, lamp, code, param, PhoneStatusRecorder::LampMatch::CodeAndParam)});
    if (lamp == kSpeakerLamp && state == kLampOff) {
        decoded.events.Add(Audio(channel, QXEVT_AUDIO_OFF, 2));
    } else if (lamp == kSpeakerLamp && state == kLampOn) {
        decoded.events.Add(Audio(channel, QXEVT_AUDIO_ON, 2));
        decoded.events.Add(Audio(channel, QXEVT_AUDIO_OFF, 1));
    }
    return decoded;
}

INTERTELD::Message INTERTELD::DecodeDisplay(uint8_t channel, const uint8_t* message, uint32_t count)
{
    if (count < 2) {
        return Stow(channel, "Stowdata 0x86 less than 2 bytes", message, count);
    }
    const uint8_t kind = message[1];
    if (kind == kDisplayNothing) {
        return count < 3 ? Stow(channel, "Stowdata 0x86 0x13", message, count) : Message{3, false, {}};
    }
    const bool positioned = kind < kFirstPrintable;
    if (positioned && count < 3) {
        return Stow(channel, "Stowdata 0x86 positioning command", message, count);
    }
    // Each display message first posts what the one before it left.
    if (timers_.Armed(channel)) {
        Trace(TRACE_DEBUG, "ProcessCommand", "TIMER SET for %d ms for %d", static_cast<int>(kDisplayDelayMs), channel);
        PostDisplayNow(channel);
    }
    timers_.Arm(channel);
    uint32_t& pending = context_.displays[channel].pending;
    uint32_t textAt = 1;
    if (kind == kClearDisplay || kind == kClearDisplayToo) {
        pending = kDisplayPending;
        display_.Clear(channel);
        textAt = 2;
    } else if (kind == kClearRow2) {
        pending = kDisplayPending;
        display_.ClearRow2(channel);
        textAt = 2;
    } else if (positioned) {
        pending = kDisplayPending;
        display_.MoveTo(channel, message[2]);
        textAt = 3;
    }
    const uint32_t text = PrintableRun(message + textAt, count - std::min(textAt, count));
    if (text > 0) {
        display_.Write(channel, message + textAt, text);
        pending = kDisplayPending;
    }
    const uint32_t end = std::min(textAt + text, count);
    if (end < count && message[end] > kLastPrintable) {
        return Stow(channel, "Stowdata 0x86 leftover non ascii", message + end, count - end);
    }
    return {end, false, {}};
}

INTERTELD::Message INTERTELD::DecodeTextLine(uint8_t channel, const uint8_t* message, uint32_t count)
{
    context_.displays[channel].pending = kDisplayPending;
    timers_.Arm(channel);
    display_.AppendLine(channel, message, PrintableRun(message, count));
    timers_.Arm(channel);
    return {count, false, {}};
}

// ---------------------------------------------------------------- set to PBX

void INTERTELD::DecodeFromSet(uint8_t channel, uint8_t key)
{
    Events events;
    if (key == kOnHookKey || key == kOffHookKey) {
        const uint32_t hook = key == kOnHookKey ? QXEVT_ONHOOK : QXEVT_OFFHOOK;
        status_.Record(channel, &ZAQ16_PHONE_STATUS::hookState, hook);
        events.Add({hook, 0, EventState::Stateless});  // posted whether or not it changed
        if (key == kOnHookKey) {
            events.Add(Audio(channel, QXEVT_AUDIO_OFF, 1));
        } else {
            events.Add(Audio(channel, QXEVT_AUDIO_ON, 1));
            events.Add(Audio(channel, QXEVT_AUDIO_OFF, 2));
        }
    }
    for (const KeyRow& row : kKeys) {
        if (row.key == key) {
            events.Add({row.code, row.param, EventState::Stateless});
        }
    }
    Post(channel, events);
}

// ---------------------------------------------------------------- posting

void INTERTELD::Post(uint8_t channel, const Events& events)
{
    for (uint32_t i = 0; i < events.count; ++i) {
        output_.PostAfterDisplay(channel, events.list[i], true, *this);
    }
}

void INTERTELD::PostDisplayNow(uint8_t channel)
{
    Trace(TRACE_DEBUG, "TimerCompletionINTERTELD", "TIMER FIRED after %d ms for %d",
          static_cast<int>(kDisplayDelayMs), channel + 1);
    timers_.Cancel(channel);
    TimerCompletionINTERTELD(channel);
}

bool INTERTELD::IsPending(uint8_t channel) const
{
    return context_.displays[channel].pending == kDisplayPending && timers_.Armed(channel);
}

void INTERTELD::FlushBeforeEvent(uint8_t channel)
{
    timers_.Cancel(channel);
    TraceProceedingCancel(kDisplayDelayMs, context_.AbsoluteChannel(channel));
    context_.displays[channel].pending = 0;
    if (display_.TakeChange(channel)) {
        output_.Post(channel, QXEVT_MESSAGE_CHANGE, InterTelDisplay::kPostedLength);
    }
}

void INTERTELD::TimerCompletionINTERTELD(uint8_t channel)
{
    Trace(TRACE_TRACE, "TimerCompletionINTERTELD", "Channel %d Offset = %d", channel + 1,
          static_cast<int>(context_.displays[channel].offset));
    if (context_.displays[channel].pending != kDisplayPending) {
        return;
    }
    context_.displays[channel].pending = 0;
    if (display_.TakeChange(channel)) {
        output_.Post(channel, QXEVT_MESSAGE_CHANGE, InterTelDisplay::kPostedLength);
    }
}
