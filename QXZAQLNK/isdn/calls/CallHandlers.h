// The handlers of the call state machine (CallStateMachine.cpp holds its
// tables): one routine per message and state, the steps they share, the
// protocol timers of a call and the watch over the copy of a broadcast call
// that the line's other terminal holds.
#pragma once

#include <cstdint>

#include "isdn/calls/ISDNPTCall.h"
#include "isdn/layer3/L3Message.h"
#include "isdn/ProtocolVocabulary.h"

namespace isdn {

// Sets of call and auxiliary states that the tables and handlers name.
constexpr uint32_t kAnyState =
    States({kNull, kCallInitiated, kOverlapSending, kOutgoingProceeding, kCallDelivered, kOverlapReceiving,
            kCallPresent, kCallReceived, kConnectRequest, kIncomingProceeding, kActive, kDisconnectRequest,
            kDisconnectIndication, kReleaseRequest, kSuspendRequest, kResumeRequest});
constexpr uint32_t kNotNull = kAnyState & ~States({kNull});
constexpr uint32_t kClearableStates = kNotNull & ~States({kResumeRequest});
constexpr uint32_t kAnyAux = States({kAuxIdle, kAuxHoldRequest, kAuxHoldIndication, kAuxCallHeld,
                                     kAuxRetrieveRequest, kAuxRetrieveIndication});
constexpr uint32_t kOutgoingBeforeAnswer =
    States({kCallInitiated, kOverlapSending, kOutgoingProceeding, kCallDelivered});
constexpr uint32_t kIncomingBeforeAnswer =
    States({kOverlapReceiving, kCallPresent, kCallReceived, kIncomingProceeding});
constexpr uint32_t kHoldStates = States({kOutgoingProceeding, kCallDelivered, kCallReceived, kConnectRequest,
                                         kIncomingProceeding, kActive});
// Every state from Call Initiated to Active: the CPE may clear in any of them.
constexpr uint32_t kCpeClearableStates = States({kCallInitiated, kOverlapSending, kOutgoingProceeding,
                                                 kCallDelivered, kOverlapReceiving, kCallPresent, kCallReceived,
                                                 kConnectRequest, kIncomingProceeding, kActive});

// What moved a call: a message of the network (the CO), or anything else
// (a message of the terminal, a timer, the data link).
enum class Mover { Network, Other };

// Follows the line's other terminal endpoint's copy of an incoming call: a
// SETUP broadcast by the CO reaches both data-link entities of a line, and
// only the terminal that answers carries the call on. The other copy is
// released, without an event, when the call is answered (wherever that copy
// got to: the CO clears the other terminals) or when the network clears the
// call while the other copy is still in Call Present (nothing more comes for
// it). A terminal that refuses the call ends only its own copy: the other one
// may still ring and answer, and gets the network's T303 to do so (a copy
// whose terminal never answers ends then).
class SiblingWatch {
public:
    SiblingWatch(ISDNPTCall& call, Mover mover)
        : call_(call), state_(call.callState), line_(call.line), callRef_(call.callRef),
          direction_(call.direction), mover_(mover)
    {
    }
    ~SiblingWatch();
    SiblingWatch(const SiblingWatch&) = delete;
    SiblingWatch& operator=(const SiblingWatch&) = delete;

private:
    ISDNPTCall& call_;
    uint32_t state_;
    uint32_t line_;
    uint32_t callRef_;
    uint32_t direction_;
    Mover mover_;
};

// Ends the call without an event.
void EndSilently(ISDNPTCall& call);
// The call's bookkeeping ends, with QXEVT_CALL_RELEASED for a connected call.
void ReleaseStep(ISDNPTCall& call);
// Arms (again) or cancels one of the call's timers.
void StartTimer(ISDNPTCall& call, CallTimer timer);
void StopTimer(ISDNPTCall& call, CallTimer timer);

namespace handlers {

using Handler = uint32_t (*)(ISDNPTCall& call, const L3Message& message);

uint32_t Alerting(ISDNPTCall& call, const L3Message& message);
uint32_t ConnectAcknowledge(ISDNPTCall& call, const L3Message& message);
uint32_t ConnectMessage(ISDNPTCall& call, const L3Message& message);
uint32_t DisconnectFromCo(ISDNPTCall& call, const L3Message& message);
uint32_t DisconnectFromCpe(ISDNPTCall& call, const L3Message& message);
uint32_t Hold(ISDNPTCall& call, const L3Message& message);
uint32_t HoldAcknowledge(ISDNPTCall& call, const L3Message& message);
uint32_t HoldReject(ISDNPTCall& call, const L3Message& message);
uint32_t Information(ISDNPTCall& call, const L3Message& message);
uint32_t ReleaseCompleteFromCo(ISDNPTCall& call, const L3Message& message);
uint32_t ReleaseCompleteFromCpe(ISDNPTCall& call, const L3Message& message);
uint32_t ReleaseFromCo(ISDNPTCall& call, const L3Message& message);
uint32_t ReleaseFromCpe(ISDNPTCall& call, const L3Message& message);
uint32_t RepeatedReleaseFromCpe(ISDNPTCall& call, const L3Message& message);
uint32_t RepeatedSetupFromCo(ISDNPTCall& call, const L3Message& message);
uint32_t RepeatedSetupFromCpe(ISDNPTCall& call, const L3Message& message);
uint32_t Restart(ISDNPTCall& call, const L3Message& message);
uint32_t Resume(ISDNPTCall& call, const L3Message& message);
uint32_t ResumeAcknowledge(ISDNPTCall& call, const L3Message& message);
uint32_t ResumeReject(ISDNPTCall& call, const L3Message& message);
uint32_t Retrieve(ISDNPTCall& call, const L3Message& message);
uint32_t RetrieveAcknowledge(ISDNPTCall& call, const L3Message& message);
uint32_t RetrieveReject(ISDNPTCall& call, const L3Message& message);
uint32_t Setup(ISDNPTCall& call, const L3Message& message);
uint32_t Status(ISDNPTCall& call, const L3Message& message);
uint32_t Suspend(ISDNPTCall& call, const L3Message& message);
uint32_t SuspendAcknowledge(ISDNPTCall& call, const L3Message& message);
uint32_t SuspendReject(ISDNPTCall& call, const L3Message& message);

// The answer to a SETUP that moves the call to `NewState` (SETUP
// ACKNOWLEDGE and CALL PROCEEDING of either side).
template <uint32_t NewState>
uint32_t SetupAnswered(ISDNPTCall& call, const L3Message& message);

}  // namespace handlers

}  // namespace isdn
