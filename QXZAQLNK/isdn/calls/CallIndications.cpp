#include "isdn/calls/CallIndications.h"

#include <cstring>

#include "isdn/monitor/IsdnMonitor.h"

namespace isdn {

namespace {

ZAQ16_EVENT CallEvent(const ISDNPTCall& call, uint32_t code, uint32_t recordSize)
{
    ZAQ16_EVENT event{};
    event.eventCode = code;
    event.param = recordSize;
    event.channel = EventChannel(call);
    event.board = (event.channel - 1) / ZAQ16_CHANNELS_PER_BOARD;
    return event;
}

uint32_t Duration(const ISDNPTCall& call)
{
    return call.msgTime1 - call.setupTime1;
}

// What an indication puts in words 4 and 6 of the record.
enum class Timing { None, Duration };
enum class CauseWord { None, Cause };

void PostStatus(const ISDNPTCall& call, uint32_t code, Timing timing, CauseWord causeWord)
{
    ZAQ16_CALL_STATUS record{};
    BuildCallStatus(call, record);
    record.duration = timing == Timing::Duration ? Duration(call) : 0;
    record.cause = causeWord == CauseWord::Cause ? call.cause : 0;
    call.monitor->QueueCallEvent(CallEvent(call, code, sizeof record), &record);
}

}  // namespace

void BuildCallStatus(const ISDNPTCall& call, ZAQ16_CALL_STATUS& record)
{
    record.callRef = call.callRef;
    record.direction = call.direction;
    record.callState = call.callState;
    record.line = call.line;
    record.duration = 0;
    record.layer1Coding = call.layer1Protocol;
    record.cause = call.cause;
    record.reserved7 = 0;
    record.interfaceId = call.interfaceId;
    record.bChannel = call.bChannel;
    record.callingNumber = call.callingNumber;
    record.callingSubaddress = call.callingSubaddress;
    record.calledNumber = call.calledNumber;
    record.calledSubaddress = call.calledSubaddress;
    record.connectedNumber = call.connectedNumber;
    record.connectedSubaddress = call.connectedSubaddress;
    record.redirectingNumber = call.redirectingNumber;
}

uint32_t EventChannel(const ISDNPTCall& call)
{
    const uint32_t lineBase = call.interfaceId & ~1u;
    return lineBase + (call.bChannel != 0 ? call.bChannel : 1);
}

void CallConnectedInd(ISDNPTCall& call)
{
    PostStatus(call, QXEVT_CALL_CONNECTED, Timing::Duration, CauseWord::None);
}

void CallReleasedInd(ISDNPTCall& call)
{
    PostStatus(call, QXEVT_CALL_RELEASED, Timing::Duration, CauseWord::Cause);
}

void CallRejectedInd(ISDNPTCall& call)
{
    PostStatus(call, QXEVT_CALL_REJECTED, Timing::Duration, CauseWord::Cause);
}

void CallAbandonedInd(ISDNPTCall& call)
{
    PostStatus(call, QXEVT_CALL_ABANDONED, Timing::Duration, CauseWord::Cause);
}

void CallAlertingInd(ISDNPTCall& call)
{
    PostStatus(call, QXEVT_CALL_ALERTING, Timing::Duration, CauseWord::Cause);
}

void CallHeldInd(ISDNPTCall& call)
{
    PostStatus(call, QXEVT_CALL_HELD, Timing::None, CauseWord::None);
    call.heldPending = false;
}

void CallRetrievedInd(ISDNPTCall& call)
{
    PostStatus(call, QXEVT_CALL_RETRIEVED, Timing::None, CauseWord::None);
    call.retrievedPending = false;
}

void CallSuspendedInd(ISDNPTCall& call)
{
    PostStatus(call, QXEVT_CALL_SUSPENDED, Timing::None, CauseWord::None);
}

void CallResumedInd(ISDNPTCall& call)
{
    PostStatus(call, QXEVT_CALL_RESUMED, Timing::None, CauseWord::None);
}

void CallUserInfoInd(ISDNPTCall& call, Side source)
{
    ZAQ16_CALL_USER_INFO record{};
    record.callRef = call.callRef;
    record.source = static_cast<uint32_t>(source);
    record.infoType = call.infoType;
    record.infoFlags = call.infoFlags;
    record.byteCount = call.info.count;
    std::memcpy(record.bytes, call.info.bytes, call.info.count);
    call.monitor->QueueCallEvent(CallEvent(call, QXEVT_CALL_USER_INFO, sizeof record), &record);
}

}  // namespace isdn
