#include "isdn/calls/CallStateMachine.h"

#include "isdn/calls/CallHandlers.h"
#include "isdn/IsdnCodes.h"
#include "isdn/ProtocolVocabulary.h"

namespace isdn {

namespace {

using namespace handlers;

// Events: the CO's messages are 1 to 27, the CPE's 64 to 92.
struct MessageEvents {
    uint8_t messageType;
    uint8_t fromCo;   // 0: none
    uint8_t fromCpe;  // 0: none
};

constexpr MessageEvents kMessageEvents[] = {
    {kMsgSetup, 1, 64},
    {kMsgSetupAcknowledge, 2, 65},
    {kMsgAlerting, 3, 66},
    {kMsgCallProceeding, 4, 67},
    {kMsgConnect, 5, 68},
    {kMsgConnectAcknowledge, 6, 69},
    {kMsgProgress, 7, 70},
    {kMsgDisconnect, 8, 71},
    {kMsgRelease, 9, 72},
    {kMsgReleaseComplete, 10, 73},
    {kMsgRestart, 11, 74},
    {kMsgRestartAcknowledge, 12, 75},
    {kMsgInformation, 13, 76},
    {kMsgStatus, 14, 77},
    {kMsgStatusEnquiry, 15, 78},
    {kMsgSegment, 16, 79},
    {kMsgSuspend, 0, 80},
    {kMsgResume, 0, 83},
    {kMsgSuspendAcknowledge, 17, 0},
    {kMsgSuspendReject, 18, 0},
    {kMsgResumeAcknowledge, 19, 0},
    {kMsgResumeReject, 20, 0},
    {kMsgHold, 21, 86},
    {kMsgHoldAcknowledge, 22, 87},
    {kMsgHoldReject, 23, 88},
    {kMsgRetrieve, 24, 89},
    {kMsgRetrieveAcknowledge, 25, 90},
    {kMsgRetrieveReject, 26, 91},
    {kMsgUserInformation, 27, 92},
};

constexpr uint32_t EventOf(uint8_t messageType, Side side)
{
    for (const MessageEvents& entry : kMessageEvents) {
        if (entry.messageType == messageType) {
            const uint32_t event = side == Side::CO ? entry.fromCo : entry.fromCpe;
            return event != 0 ? event : kUnhandledEvent;
        }
    }
    return kUnhandledEvent;
}

constexpr uint32_t FromCo(MessageType messageType)
{
    return EventOf(messageType, Side::CO);
}

constexpr uint32_t FromCpe(MessageType messageType)
{
    return EventOf(messageType, Side::CPE);
}

constexpr uint32_t kSetupFromCo = FromCo(kMsgSetup);
constexpr uint32_t kSetupFromCpe = FromCpe(kMsgSetup);

struct HandlerEntry {
    uint32_t event;
    uint32_t states;     // call states the handler accepts
    uint32_t auxStates;  // auxiliary states it accepts
    Handler handler;
};

// Events without an entry change nothing: PROGRESS, RESTART ACKNOWLEDGE,
// STATUS ENQUIRY, SEGMENT (segments are reassembled before they get here),
// CONNECT ACKNOWLEDGE from the CPE and USER INFORMATION.
constexpr HandlerEntry kHandlers[] = {
    // Messages from the CO.
    {FromCo(kMsgSetup), States({kNull}), kAnyAux, Setup},
    {FromCo(kMsgSetup), States({kCallPresent}), kAnyAux, RepeatedSetupFromCo},
    {FromCo(kMsgSetupAcknowledge), States({kCallInitiated}), kAnyAux, SetupAnswered<kOverlapSending>},
    {FromCo(kMsgAlerting), States({kCallInitiated, kOverlapSending, kOutgoingProceeding}), kAnyAux, Alerting},
    {FromCo(kMsgCallProceeding), States({kCallInitiated, kOverlapSending}), kAnyAux,
     SetupAnswered<kOutgoingProceeding>},
    {FromCo(kMsgConnect), kOutgoingBeforeAnswer, kAnyAux, ConnectMessage},
    {FromCo(kMsgConnectAcknowledge), States({kConnectRequest}), kAnyAux, ConnectAcknowledge},
    {FromCo(kMsgDisconnect), kClearableStates, kAnyAux, DisconnectFromCo},
    {FromCo(kMsgRelease), kAnyState, kAnyAux, ReleaseFromCo},
    {FromCo(kMsgReleaseComplete), kAnyState, kAnyAux, ReleaseCompleteFromCo},
    {FromCo(kMsgRestart), kNotNull, kAnyAux, Restart},
    {FromCo(kMsgInformation), kAnyState, kAnyAux, Information},
    {FromCo(kMsgStatus), kNotNull, kAnyAux, Status},
    {FromCo(kMsgSuspendAcknowledge), States({kSuspendRequest}), kAnyAux, SuspendAcknowledge},
    {FromCo(kMsgSuspendReject), States({kSuspendRequest}), kAnyAux, SuspendReject},
    {FromCo(kMsgResumeAcknowledge), States({kResumeRequest}), kAnyAux, ResumeAcknowledge},
    {FromCo(kMsgResumeReject), States({kResumeRequest}), kAnyAux, ResumeReject},
    {FromCo(kMsgHold), kHoldStates, kAnyAux, Hold},
    {FromCo(kMsgHoldAcknowledge), kHoldStates, States({kAuxHoldRequest}), HoldAcknowledge},
    {FromCo(kMsgHoldReject), kHoldStates, States({kAuxHoldRequest}), HoldReject},
    {FromCo(kMsgRetrieve), kHoldStates, States({kAuxCallHeld}), Retrieve},
    {FromCo(kMsgRetrieveAcknowledge), kHoldStates, States({kAuxRetrieveRequest}), RetrieveAcknowledge},
    {FromCo(kMsgRetrieveReject), kHoldStates, States({kAuxRetrieveRequest}), RetrieveReject},
    // Messages from the CPE.
    {FromCpe(kMsgSetup), States({kNull}), kAnyAux, Setup},
    {FromCpe(kMsgSetup), States({kCallInitiated}), kAnyAux, RepeatedSetupFromCpe},
    {FromCpe(kMsgSetupAcknowledge), States({kCallPresent}), kAnyAux, SetupAnswered<kOverlapReceiving>},
    {FromCpe(kMsgAlerting), States({kOverlapReceiving, kCallPresent, kIncomingProceeding}), kAnyAux, Alerting},
    {FromCpe(kMsgCallProceeding), States({kOverlapReceiving, kCallPresent}), kAnyAux,
     SetupAnswered<kIncomingProceeding>},
    {FromCpe(kMsgConnect), kIncomingBeforeAnswer, kAnyAux, ConnectMessage},
    {FromCpe(kMsgDisconnect), kCpeClearableStates, kAnyAux, DisconnectFromCpe},
    {FromCpe(kMsgRelease), States({kDisconnectIndication}), kAnyAux, ReleaseFromCpe},
    {FromCpe(kMsgRelease), States({kReleaseRequest}), kAnyAux, RepeatedReleaseFromCpe},
    {FromCpe(kMsgReleaseComplete), kAnyState, kAnyAux, ReleaseCompleteFromCpe},
    {FromCpe(kMsgRestart), kNotNull, kAnyAux, Restart},
    {FromCpe(kMsgInformation), kAnyState, kAnyAux, Information},
    {FromCpe(kMsgStatus), kNotNull, kAnyAux, Status},
    {FromCpe(kMsgSuspend), States({kActive}), kAnyAux, Suspend},
    {FromCpe(kMsgResume), States({kNull}), kAnyAux, Resume},
    {FromCpe(kMsgHold), kHoldStates, kAnyAux, Hold},
    {FromCpe(kMsgHoldAcknowledge), kHoldStates, States({kAuxHoldIndication}), HoldAcknowledge},
    {FromCpe(kMsgHoldReject), kHoldStates, States({kAuxHoldIndication}), HoldReject},
    {FromCpe(kMsgRetrieve), kHoldStates, States({kAuxCallHeld}), Retrieve},
    {FromCpe(kMsgRetrieveAcknowledge), kHoldStates, States({kAuxRetrieveIndication}), RetrieveAcknowledge},
    {FromCpe(kMsgRetrieveReject), kHoldStates, States({kAuxRetrieveIndication}), RetrieveReject},
};

}  // namespace

uint32_t MessageEvent(uint8_t messageType, Side side)
{
    return EventOf(messageType, side);
}

uint32_t RunCallEvent(ISDNPTCall& call, uint32_t event, const L3Message& message)
{
    call.msgTime1 = message.time1;
    call.msgTime2 = message.time2;
    if (event == kSetupFromCo || event == kSetupFromCpe) {
        call.setupTime1 = message.time1;
        call.setupTime2 = message.time2;
    }
    SiblingWatch watch(call, message.side == Side::CO ? Mover::Network : Mover::Other);
    for (const HandlerEntry& entry : kHandlers) {
        if (entry.event == event && In(call.callState, entry.states) && In(call.auxState, entry.auxStates)) {
            return entry.handler(call, message);
        }
    }
    return kOk;
}

}  // namespace isdn
