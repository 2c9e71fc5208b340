#include "isdn/layer3/DChannelBackup.h"

#include "isdn/calls/CallStateMachine.h"
#include "isdn/layer3/ElementWalker.h"
#include "isdn/layer3/ISDNPTL3.h"
#include "isdn/layer3/InformationElements.h"
#include "isdn/monitor/IsdnMonitor.h"
#include "isdn/ProtocolVocabulary.h"
#include "isdn/IsdnCodes.h"

namespace isdn {

namespace {

// Octet 3 of the first element `identifier` of the maintenance message, or
// -1 when there is none (or it has no contents). One-byte elements are
// skipped; the walk stops at the check bytes.
int32_t FindOctet3(const uint8_t* message, uint32_t length, uint8_t identifier)
{
    uint32_t refLength = 0;
    uint32_t refValue = 0;
    if (message == nullptr || ISDNPTL3::GetCallRef(message, length, refLength, refValue) != kOk) {
        return -1;
    }
    ElementWalker walker(message, length, refLength);
    for (ElementItem item; walker.Next(item);) {
        if (item.kind == ElementItem::Kind::Variable && item.identifier == identifier) {
            return item.length > 0 ? item.contents[0] : -1;
        }
    }
    return -1;
}

uint32_t CheckElements(const uint8_t* message, uint32_t length)
{
    const uint32_t result = DCBU_CheckChanIdIE(message, length);
    return result != kOk ? result : DCBU_CheckChangeStatusIE(message, length);
}

// Every Active call of the pool takes this instance's line; a T309 running
// for it stops, as when its data link comes back.
void MoveCalls(ISDNPTL3& layer3)
{
    layer3.dcbuState = kDcbuInService;
    CallEntityPool& pool = layer3.monitor.Pool();
    for (uint32_t i = 0; i < pool.Size(); ++i) {
        ISDNPTCall& call = pool[i];
        if (call.callState == kActive) {
            call.line = layer3.line;
            call.owner = &layer3;
            CallLinkEstablished(call);
        }
    }
}

// A SERVICE from one side: in service when the other side had asked,
// else awaiting the other side's acknowledgement.
uint32_t Service(ISDNPTL3& layer3, const uint8_t* message, uint32_t length, uint32_t completingState,
                 uint32_t requestedState)
{
    const uint32_t result = CheckElements(message, length);
    if (result != kOk) {
        return result;
    }
    layer3.dcbuSeen = 1;
    if (layer3.dcbuState < kDcbuInService) {
        layer3.dcbuState = requestedState;
    } else if (layer3.dcbuState == completingState) {
        MoveCalls(layer3);
    }
    return kOk;
}

uint32_t ServiceAck(ISDNPTL3& layer3, const uint8_t* message, uint32_t length, uint32_t completingState)
{
    const uint32_t result = CheckElements(message, length);
    if (result != kOk) {
        return result;
    }
    if (layer3.dcbuState == completingState) {
        MoveCalls(layer3);
    }
    return kOk;
}

}  // namespace

uint32_t DCBU_CheckChanIdIE(const uint8_t* message, uint32_t length)
{
    const int32_t octet3 = FindOctet3(message, length, kIeChannelId);
    const bool dChannel = octet3 >= 0 && (octet3 & 0x20) && (octet3 & 0x04) && (octet3 & 0x03) == 0;
    return dChannel ? kOk : kSegmentOrCheckFailed;
}

uint32_t DCBU_CheckChangeStatusIE(const uint8_t* message, uint32_t length)
{
    const int32_t octet3 = FindOctet3(message, length, kIeChangeStatus);
    return octet3 >= 0 && (octet3 & 0x07) == 0 ? kOk : kSegmentOrCheckFailed;
}

uint32_t DCBU_CPE_Service(ISDNPTL3& layer3, const uint8_t* message, uint32_t length)
{
    return Service(layer3, message, length, kDcbuAwaitingCpeAck, kDcbuAwaitingCoAck);
}

uint32_t DCBU_CO_Service(ISDNPTL3& layer3, const uint8_t* message, uint32_t length)
{
    return Service(layer3, message, length, kDcbuAwaitingCoAck, kDcbuAwaitingCpeAck);
}

uint32_t DCBU_CPE_ServiceAck(ISDNPTL3& layer3, const uint8_t* message, uint32_t length)
{
    return ServiceAck(layer3, message, length, kDcbuAwaitingCpeAck);
}

uint32_t DCBU_CO_ServiceAck(ISDNPTL3& layer3, const uint8_t* message, uint32_t length)
{
    return ServiceAck(layer3, message, length, kDcbuAwaitingCoAck);
}

}  // namespace isdn
