#include "isdn/calls/CallHandlers.h"

#include <algorithm>

#include "isdn/calls/CallIndications.h"
#include "isdn/calls/CallStateMachine.h"
#include "isdn/layer3/InformationElements.h"
#include "isdn/IsdnCodes.h"
#include "isdn/monitor/IsdnMonitor.h"

namespace isdn {

namespace {

// ------------------------------------------------------------------ timers

struct TimerRule {
    uint32_t ticks;
    bool onAuxState;  // the rule's state is an auxiliary state
    uint32_t state;   // the expiry acts only in this state
    void (*expire)(ISDNPTCall& call);
};

constexpr TimerRule kTimerRules[kCallTimerCount] = {
    /* kCpeT303 */ {40, false, kCallInitiated, EndSilently},
    /* kCoT303 */ {40, false, kCallPresent, EndSilently},
    /* kT308 */ {40, false, kReleaseRequest, ReleaseStep},
    /* kT309 */ {900, false, kActive,
                 [](ISDNPTCall& call) {
                     call.cause = 41;  // temporary failure: the data link did not come back
                     ReleaseStep(call);
                 }},
    /* kT319 */ {40, false, kSuspendRequest, [](ISDNPTCall& call) { call.callState = kActive; }},
    /* kT318 */ {40, false, kResumeRequest, EndSilently},
    /* kCpeHold */ {40, true, kAuxHoldRequest, [](ISDNPTCall& call) { call.auxState = kAuxIdle; }},
    /* kCoHold */ {40, true, kAuxHoldIndication, [](ISDNPTCall& call) { call.auxState = kAuxIdle; }},
    /* kCpeRetrieve */ {40, true, kAuxRetrieveRequest, [](ISDNPTCall& call) { call.auxState = kAuxCallHeld; }},
    /* kCoRetrieve */ {40, true, kAuxRetrieveIndication, [](ISDNPTCall& call) { call.auxState = kAuxCallHeld; }},
};

template <CallTimer Timer>
uint32_t TimerExpired(void* argument)
{
    if (argument == nullptr) {
        return kMissingPointer;
    }
    ISDNPTCall& call = *static_cast<ISDNPTCall*>(argument);
    call.timers[Timer] = -1;
    const TimerRule& rule = kTimerRules[Timer];
    if ((rule.onAuxState ? call.auxState : call.callState) == rule.state) {
        SiblingWatch watch(call, Mover::Other);
        rule.expire(call);
    }
    return kOk;
}

constexpr TimerCallback kTimerRoutines[kCallTimerCount] = {
    TimerExpired<kCpeT303>, TimerExpired<kCoT303>,   TimerExpired<kT308>,       TimerExpired<kT309>,
    TimerExpired<kT319>,    TimerExpired<kT318>,     TimerExpired<kCpeHold>,    TimerExpired<kCoHold>,
    TimerExpired<kCpeRetrieve>, TimerExpired<kCoRetrieve>,
};

// ------------------------------------------------------------ common steps

// Keeps the first error of steps whose errors do not end the handler.
struct Result {
    uint32_t code = kOk;
    void Keep(uint32_t result)
    {
        if (code == kOk) {
            code = result;
        }
    }
};

uint32_t ChannelStep(ISDNPTCall& call, const L3Message& message)
{
    const uint8_t* ie = message.Find(kIeChannelId);
    if (ie == nullptr) {
        return kOk;
    }
    ChannelIdentification channel;
    const uint32_t result = ISDNPT_DecodeChanId(ie, call.mode, call.line, channel);
    if (result != kOk) {
        return result;
    }
    if (channel.channelCount == 1) {
        call.interfaceId = static_cast<uint32_t>(channel.interfaceId);
        call.bChannel = static_cast<uint32_t>(channel.channels[0]);
    }
    return kOk;
}

using TextDecoder = uint32_t (*)(const uint8_t*, CountedText&);

// Display (100), user-user (105) or keypad (107) contents become the call's
// user information and are posted.
uint32_t InfoStep(ISDNPTCall& call, const L3Message& message, uint8_t identifier, TextDecoder decode,
                  uint32_t infoType)
{
    const uint8_t* ie = message.Find(identifier);
    if (ie == nullptr) {
        return kOk;
    }
    const uint32_t result = decode(ie, call.info);
    if (result == kOk) {
        call.infoType = infoType;
        call.infoFlags = 0;
        CallUserInfoInd(call, message.side);
    }
    return result;
}

uint32_t DisplayStep(ISDNPTCall& call, const L3Message& message)
{
    return InfoStep(call, message, kIeDisplay, ISDNPT_DecodeDisplay, 100);
}

uint32_t UserUserStep(ISDNPTCall& call, const L3Message& message)
{
    return InfoStep(call, message, kIeUserUser, ISDNPT_DecodeUser2User, 105);
}

// Decodes an optional element into `out` when the message holds it.
template <typename Output>
uint32_t DecodeIfPresent(const L3Message& message, uint8_t identifier, uint32_t (*decode)(const uint8_t*, Output&),
                         Output& out)
{
    const uint8_t* ie = message.Find(identifier);
    return ie == nullptr ? kOk : decode(ie, out);
}

uint32_t CauseStep(ISDNPTCall& call, const L3Message& message)
{
    return DecodeIfPresent(message, kIeCause, ISDNPT_DecodeCause, call.cause);
}

// A RELEASE COMPLETE that is the first clearing message (a SETUP refused at
// once) carries the reason the call ends; after a DISCONNECT or RELEASE their
// cause stands. Its cause never stops the release.
uint32_t FirstClearingCauseStep(ISDNPTCall& call, const L3Message& message)
{
    return call.cause == 0 ? CauseStep(call, message) : kOk;
}


void Connect(ISDNPTCall& call)
{
    call.connected = true;
    call.callState = kActive;
    CallConnectedInd(call);
    if (call.heldPending) {
        CallHeldInd(call);
    }
    if (call.retrievedPending) {
        CallRetrievedInd(call);
    }
}

uint32_t ConnectedNumberStep(ISDNPTCall& call, const L3Message& message)
{
    if (const uint8_t* national = message.Find(kIeConnectedNumberNational)) {
        return ISDNPT_DecodePartyNum(national, call.connectedNumber);
    }
    const uint32_t result = DecodeIfPresent(message, kIeConnectedNumber, ISDNPT_DecodePartyNum, call.connectedNumber);
    if (result != kOk) {
        return result;
    }
    return DecodeIfPresent(message, kIeConnectedSubaddress, ISDNPT_DecodeSubAddr, call.connectedSubaddress);
}

template <ZAQ16_PARTY_NUMBER ISDNPTCall::*Number>
uint32_t DecodeNumberInto(const uint8_t* ie, ISDNPTCall& call)
{
    return ISDNPT_DecodePartyNum(ie, call.*Number);
}

template <ZAQ16_SUBADDRESS ISDNPTCall::*Subaddress>
uint32_t DecodeSubaddressInto(const uint8_t* ie, ISDNPTCall& call)
{
    return ISDNPT_DecodeSubAddr(ie, call.*Subaddress);
}

// An element of the parties of a call: where its decoder puts it.
struct PartyElement {
    uint8_t id;
    const char* name;
    uint8_t minimumLength;  // octets of contents (octet 3 onward)
    uint32_t (*decode)(const uint8_t* ie, ISDNPTCall& call);
};

// The parties of a SETUP, decoded in this order.
constexpr PartyElement kPartyElements[] = {
    {kIeCallingNumber, "Calling party number", 1, DecodeNumberInto<&ISDNPTCall::callingNumber>},
    {kIeCallingSubaddress, "Calling party subaddress", 1, DecodeSubaddressInto<&ISDNPTCall::callingSubaddress>},
    {kIeCalledNumber, "Called party number", 1, DecodeNumberInto<&ISDNPTCall::calledNumber>},
    {kIeCalledSubaddress, "Called party subaddress", 1, DecodeSubaddressInto<&ISDNPTCall::calledSubaddress>},
    {kIeRedirectingNumber, "Redirecting number", 1, DecodeNumberInto<&ISDNPTCall::redirectingNumber>},
};

// The elements of the table the message holds; the first error ends the decoding.
uint32_t DecodeParties(ISDNPTCall& call, const L3Message& message)
{
    for (const PartyElement& element : kPartyElements) {
        const uint8_t* ie = message.Find(element.id);
        if (ie == nullptr) {
            continue;
        }
        const uint32_t result = ie[1] < element.minimumLength ? kElementTooShort : element.decode(ie, call);
        if (result != kOk) {
            return result;
        }
    }
    return kOk;
}

// Keypad digits that extend the called number.
uint32_t KeypadToCalledNumber(ISDNPTCall& call, const L3Message& message)
{
    CountedText keypad;
    const uint32_t result = DecodeIfPresent(message, kIeKeypad, ISDNPT_DecodeKeypad, keypad);
    if (result == kOk) {
        AppendDigits(call.calledNumber, keypad);
    }
    return result;
}

// Posts the indication of a call cleared before it was answered: the
// outgoing or the incoming kind by the call's state.
void ClearedBeforeAnswer(ISDNPTCall& call, void (*outgoingIndication)(ISDNPTCall&),
                         void (*incomingIndication)(ISDNPTCall&))
{
    if (In(call.callState, kOutgoingBeforeAnswer)) {
        outgoingIndication(call);
    } else if (In(call.callState, kIncomingBeforeAnswer)) {
        incomingIndication(call);
    }
}

}  // namespace

void EndSilently(ISDNPTCall& call)
{
    call.Reset();
    call.callState = kNull;
}

void ReleaseStep(ISDNPTCall& call)
{
    call.callState = kNull;
    if (call.connected) {
        CallReleasedInd(call);
    }
    call.Reset();
}

void StartTimer(ISDNPTCall& call, CallTimer timer)
{
    call.monitor->Timers().Rearm(call.timers[timer], kTimerRules[timer].ticks, kTimerRoutines[timer], &call);
}

void StopTimer(ISDNPTCall& call, CallTimer timer)
{
    call.monitor->Timers().CancelAndClear(call.timers[timer]);
}

SiblingWatch::~SiblingWatch()
{
    if (call_.mode == 0 || direction_ != kDirectionIncoming) {
        return;
    }
    const bool answered = state_ != kActive && call_.callState == kActive;
    const bool ended = state_ != kNull && call_.callState == kNull;
    if (!answered && !ended) {
        return;
    }
    ISDNPTCall* sibling = call_.monitor->Pool().Find(callRef_, line_ ^ 1u);
    if (sibling == nullptr || sibling->direction != kDirectionIncoming) {
        return;
    }
    // The network's own clearing message, or the end of a clearing it began
    // (DISCONNECT from the CO: states 12 and 13); a clearing that the
    // terminal began (state 11) is its refusal.
    const bool networkCleared =
        ended && (In(state_, States({kDisconnectIndication, kReleaseRequest})) ||
                  (mover_ == Mover::Network && state_ != kDisconnectRequest));
    if (answered && In(sibling->callState, kIncomingBeforeAnswer)) {
        EndSilently(*sibling);
    } else if (sibling->callState == kCallPresent) {
        if (networkCleared) {
            EndSilently(*sibling);
        } else if (ended && sibling->timers[kCoT303] < 0) {
            StartTimer(*sibling, kCoT303);
        }
    }
}

// ------------------------------------------------------------ handlers

namespace handlers {

// SETUP from either side in state Null: a new call.
uint32_t Setup(ISDNPTCall& call, const L3Message& message)
{
    const bool fromCo = message.side == Side::CO;
    Result result;
    uint32_t code = ChannelStep(call, message);
    if (code == kOk) {
        code = DecodeIfPresent(message, kIeBearerCapability, ISDNPT_DecodeBC, call.layer1Protocol);
    }
    if (code == kOk) {
        result.Keep(fromCo ? DisplayStep(call, message) : KeypadToCalledNumber(call, message));
        code = DecodeParties(call, message);
    }
    if (code != kOk) {
        // A half-decoded call must not keep its entity.
        EndSilently(call);
        return code;
    }
    result.Keep(UserUserStep(call, message));
    call.callState = fromCo ? kCallPresent : kCallInitiated;
    call.direction = fromCo ? kDirectionIncoming : kDirectionOutgoing;
    return result.code;
}

uint32_t RepeatedSetupFromCo(ISDNPTCall& call, const L3Message&)
{
    if (call.timers[kCoT303] < 0) {
        StartTimer(call, kCoT303);
    }
    return kOk;
}

uint32_t RepeatedSetupFromCpe(ISDNPTCall& call, const L3Message&)
{
    StartTimer(call, kCpeT303);
    return kOk;
}

// The side that did not send the SETUP answers it: its T303 stops.
CallTimer AnsweredT303(const L3Message& message)
{
    return message.side == Side::CO ? kCpeT303 : kCoT303;
}

template <uint32_t NewState>
uint32_t SetupAnswered(ISDNPTCall& call, const L3Message& message)
{
    StopTimer(call, AnsweredT303(message));
    const uint32_t result = ChannelStep(call, message);
    if (result != kOk) {
        return result;
    }
    call.callState = NewState;
    return kOk;
}

uint32_t Alerting(ISDNPTCall& call, const L3Message& message)
{
    StopTimer(call, AnsweredT303(message));
    const uint32_t code = ChannelStep(call, message);
    if (code != kOk) {
        return code;
    }
    Result result;
    if (message.side == Side::CO) {
        result.Keep(DisplayStep(call, message));
    }
    result.Keep(UserUserStep(call, message));
    CallAlertingInd(call);
    call.callState = message.side == Side::CO ? kCallDelivered : kCallReceived;
    return result.code;
}

uint32_t ConnectMessage(ISDNPTCall& call, const L3Message& message)
{
    StopTimer(call, AnsweredT303(message));
    uint32_t code = ChannelStep(call, message);
    if (code != kOk) {
        return code;
    }
    Result result;
    if (message.side == Side::CO) {
        result.Keep(DisplayStep(call, message));
    }
    code = ConnectedNumberStep(call, message);
    if (code != kOk) {
        return code;
    }
    result.Keep(UserUserStep(call, message));
    Connect(call);
    return result.code;
}

uint32_t ConnectAcknowledge(ISDNPTCall& call, const L3Message& message)
{
    const uint32_t result = ChannelStep(call, message);
    if (result != kOk) {
        return result;
    }
    Connect(call);
    return kOk;
}

uint32_t DisconnectFromCo(ISDNPTCall& call, const L3Message& message)
{
    const uint32_t code = CauseStep(call, message);
    if (code != kOk) {
        return code;
    }
    Result result;
    result.Keep(DisplayStep(call, message));
    result.Keep(UserUserStep(call, message));
    if (In(call.callState, kOutgoingBeforeAnswer)) {
        call.callState = kDisconnectIndication;
        CallRejectedInd(call);
    } else if (In(call.callState, kIncomingBeforeAnswer)) {
        CallAbandonedInd(call);
        call.callState = kDisconnectIndication;
    } else if (In(call.callState, States({kConnectRequest, kActive, kSuspendRequest}))) {
        call.callState = kDisconnectIndication;
    }
    return result.code;
}

uint32_t DisconnectFromCpe(ISDNPTCall& call, const L3Message& message)
{
    const uint32_t code = CauseStep(call, message);
    if (code != kOk) {
        return code;
    }
    const uint32_t result = UserUserStep(call, message);
    if (In(call.callState, kOutgoingBeforeAnswer)) {
        call.callState = kDisconnectRequest;
        CallAbandonedInd(call);
    } else if (In(call.callState, kIncomingBeforeAnswer)) {
        CallRejectedInd(call);
        call.callState = kDisconnectRequest;
    } else if (In(call.callState, States({kConnectRequest, kActive}))) {
        call.callState = kDisconnectRequest;
    }
    return result;
}

// RELEASE and RELEASE COMPLETE from the CO end the call (the call's timers
// go with the reset of the release step).
uint32_t ReleaseFromCo(ISDNPTCall& call, const L3Message& message)
{
    const uint32_t code = CauseStep(call, message);
    if (code != kOk) {
        return code;
    }
    ClearedBeforeAnswer(call, CallRejectedInd, CallAbandonedInd);
    ReleaseStep(call);
    return kOk;
}

uint32_t ReleaseCompleteFromCo(ISDNPTCall& call, const L3Message& message)
{
    Result result;
    result.Keep(UserUserStep(call, message));
    result.Keep(FirstClearingCauseStep(call, message));
    ClearedBeforeAnswer(call, CallRejectedInd, CallAbandonedInd);
    ReleaseStep(call);
    return result.code;
}

uint32_t ReleaseCompleteFromCpe(ISDNPTCall& call, const L3Message& message)
{
    Result result;
    result.Keep(UserUserStep(call, message));
    result.Keep(FirstClearingCauseStep(call, message));
    ClearedBeforeAnswer(call, CallAbandonedInd, CallRejectedInd);
    ReleaseStep(call);
    return result.code;
}

uint32_t ReleaseFromCpe(ISDNPTCall& call, const L3Message& message)
{
    const uint32_t code = CauseStep(call, message);
    if (code != kOk) {
        return code;
    }
    call.callState = kReleaseRequest;
    return kOk;
}

uint32_t RepeatedReleaseFromCpe(ISDNPTCall& call, const L3Message&)
{
    StartTimer(call, kT308);
    return kOk;
}

// Whether a channel named by a RESTART is on the call's interface: in
// multi-TEI mode both data links of a line share its B-channels.
bool SameInterface(const ISDNPTCall& call, int32_t interfaceId)
{
    const uint32_t named = static_cast<uint32_t>(interfaceId);
    return call.mode == 0 ? named == call.interfaceId : (named & ~1u) == (call.interfaceId & ~1u);
}

uint32_t Restart(ISDNPTCall& call, const L3Message& message)
{
    const uint8_t* indicator = message.Find(kIeRestartIndicator);
    if (indicator == nullptr) {
        return kOk;
    }
    uint32_t restartClass = 0;
    uint32_t result = ISDNPT_DecodeRestartInd(indicator, restartClass);
    if (result != kOk) {
        return result;
    }
    bool restarts = restartClass == 7;
    if (restartClass == 0 || restartClass == 6) {
        const uint8_t* ie = message.Find(kIeChannelId);
        if (ie == nullptr) {
            return kOk;
        }
        // The channels are those of the line that sent the RESTART.
        ChannelIdentification channel;
        result = ISDNPT_DecodeChanId(ie, call.mode, message.receivingLine, channel);
        if (result != kOk) {
            return result;
        }
        const uint32_t listed = std::min(channel.channelCount, kMaxListedChannels);
        if (SameInterface(call, channel.interfaceId)) {
            if (restartClass == 0) {
                restarts = channel.channelCount == 1 && static_cast<uint32_t>(channel.channels[0]) == call.bChannel;
            } else {
                for (uint32_t i = 0; i < listed && !restarts; ++i) {
                    restarts = static_cast<uint32_t>(channel.channels[i]) == call.bChannel;
                }
            }
        }
    }
    if (restarts) {
        ReleaseStep(call);
    }
    return kOk;
}

uint32_t Information(ISDNPTCall& call, const L3Message& message)
{
    Result result;
    if (message.side == Side::CO) {
        result.Keep(DisplayStep(call, message));
    } else if (call.callState == kOverlapSending) {
        result.Keep(KeypadToCalledNumber(call, message));
    } else {
        result.Keep(InfoStep(call, message, kIeKeypad, ISDNPT_DecodeKeypad, 107));
    }
    result.Keep(DecodeIfPresent(message, kIeCalledNumber, ISDNPT_DecodePartyNum, call.calledNumber));
    return result.code;
}

uint32_t Status(ISDNPTCall& call, const L3Message& message)
{
    uint32_t peerState = 0;
    const uint32_t result = ISDNPT_DecodeCallState(message.Find(kIeCallState), peerState);
    if (result != kOk) {
        return result;
    }
    if (peerState == kNull) {
        ReleaseStep(call);
    }
    return kOk;
}

uint32_t SuspendAcknowledge(ISDNPTCall& call, const L3Message&)
{
    CallSuspendedInd(call);
    EndSilently(call);
    return kOk;
}

uint32_t SuspendReject(ISDNPTCall& call, const L3Message& message)
{
    StopTimer(call, kT319);
    const uint32_t result = CauseStep(call, message);
    if (result != kOk) {
        return result;
    }
    call.callState = kActive;
    return kOk;
}

uint32_t ResumeAcknowledge(ISDNPTCall& call, const L3Message& message)
{
    StopTimer(call, kT318);
    const uint32_t result = ChannelStep(call, message);
    if (result != kOk) {
        return result;
    }
    CallResumedInd(call);
    call.connected = true;
    call.callState = kActive;
    return kOk;
}

uint32_t ResumeReject(ISDNPTCall& call, const L3Message& message)
{
    StopTimer(call, kT318);
    const uint32_t result = CauseStep(call, message);
    if (result != kOk) {
        return result;
    }
    EndSilently(call);
    return kOk;
}

uint32_t Suspend(ISDNPTCall& call, const L3Message& message)
{
    const uint32_t result = DecodeIfPresent(message, kIeCallIdentity, ISDNPT_DecodeCallIdentity, call.callIdentity);
    if (result != kOk) {
        return result;
    }
    StartTimer(call, kT319);
    call.callState = kSuspendRequest;
    return kOk;
}

uint32_t Resume(ISDNPTCall& call, const L3Message& message)
{
    const uint32_t result = DecodeIfPresent(message, kIeCallIdentity, ISDNPT_DecodeCallIdentity, call.callIdentity);
    if (result != kOk) {
        return result;
    }
    StartTimer(call, kT318);
    call.callState = kResumeRequest;
    call.direction = kDirectionOutgoing;
    return kOk;
}

// Hold and retrieve, by the side that sends the message: its own timer
// runs while the peer's answer is awaited.
CallTimer HoldTimer(const L3Message& message)
{
    return message.side == Side::CO ? kCoHold : kCpeHold;
}

CallTimer PeerHoldTimer(const L3Message& message)
{
    return message.side == Side::CO ? kCpeHold : kCoHold;
}

CallTimer RetrieveTimer(const L3Message& message)
{
    return message.side == Side::CO ? kCoRetrieve : kCpeRetrieve;
}

CallTimer PeerRetrieveTimer(const L3Message& message)
{
    return message.side == Side::CO ? kCpeRetrieve : kCoRetrieve;
}

uint32_t Hold(ISDNPTCall& call, const L3Message& message)
{
    StartTimer(call, HoldTimer(message));
    call.auxState = message.side == Side::CO ? kAuxHoldIndication : kAuxHoldRequest;
    return kOk;
}

uint32_t HoldAcknowledge(ISDNPTCall& call, const L3Message& message)
{
    StopTimer(call, PeerHoldTimer(message));
    call.auxState = kAuxCallHeld;
    if (call.callState == kActive) {
        CallHeldInd(call);
    } else {
        call.heldPending = true;
    }
    return kOk;
}

uint32_t HoldReject(ISDNPTCall& call, const L3Message& message)
{
    StopTimer(call, PeerHoldTimer(message));
    call.auxState = kAuxIdle;
    return kOk;
}

uint32_t Retrieve(ISDNPTCall& call, const L3Message& message)
{
    StartTimer(call, RetrieveTimer(message));
    if (message.side == Side::CO) {
        const uint32_t result = ChannelStep(call, message);
        if (result != kOk) {
            return result;
        }
    }
    call.auxState = message.side == Side::CO ? kAuxRetrieveIndication : kAuxRetrieveRequest;
    return kOk;
}

// A bad channel ends the handler before anything changes: the call stays
// held, waiting for the answer (or its retrieve timer).
uint32_t RetrieveAcknowledge(ISDNPTCall& call, const L3Message& message)
{
    const uint32_t result = ChannelStep(call, message);
    if (result != kOk) {
        return result;
    }
    StopTimer(call, PeerRetrieveTimer(message));
    call.auxState = kAuxIdle;
    if (call.callState == kActive) {
        CallRetrievedInd(call);
    } else {
        call.retrievedPending = true;
    }
    return kOk;
}

uint32_t RetrieveReject(ISDNPTCall& call, const L3Message& message)
{
    StopTimer(call, PeerRetrieveTimer(message));
    call.auxState = kAuxCallHeld;
    return kOk;
}

template uint32_t SetupAnswered<kOverlapSending>(ISDNPTCall& call, const L3Message& message);
template uint32_t SetupAnswered<kOutgoingProceeding>(ISDNPTCall& call, const L3Message& message);
template uint32_t SetupAnswered<kOverlapReceiving>(ISDNPTCall& call, const L3Message& message);
template uint32_t SetupAnswered<kIncomingProceeding>(ISDNPTCall& call, const L3Message& message);

}  // namespace handlers

void CallLinkEstablished(ISDNPTCall& call)
{
    if (call.callState == kActive) {
        StopTimer(call, kT309);
    }
}

void CallLinkReleased(ISDNPTCall& call)
{
    if (call.callState == kActive) {
        StartTimer(call, kT309);
        return;
    }
    SiblingWatch watch(call, Mover::Other);
    call.cause = 41;  // temporary failure
    if (call.connected) {
        CallReleasedInd(call);
    }
    EndSilently(call);
}

TimerCallback CallTimerRoutine(CallTimer timer)
{
    return timer < kCallTimerCount ? kTimerRoutines[timer] : nullptr;
}

}  // namespace isdn
