#include "isdn/layer3/ISDNPTL3.h"

#include "isdn/calls/CallStateMachine.h"
#include "isdn/layer3/DChannelBackup.h"
#include "isdn/layer3/ElementWalker.h"
#include "isdn/monitor/IsdnMonitor.h"
#include "isdn/layer3/L3Message.h"
#include "isdn/ProtocolVocabulary.h"

using isdn::L3Message;
using isdn::Side;

namespace {

// Smallest message: link header, discriminator, reference length, the
// reference, the message type and the two check bytes.
constexpr uint32_t kMinMessageLength = 6;

}  // namespace

const uint8_t* isdn::L3Message::Find(uint8_t identifier) const
{
    return ISDNPTL3::GetIEPointer(data, length, identifier, 0, 1);
}

ISDNPTL3::ISDNPTL3(isdn::IsdnMonitor& monitor) : monitor(monitor) {}

ISDNPTL3::~ISDNPTL3()
{
    Stop();
}

uint32_t ISDNPTL3::Start(uint32_t newLine, uint32_t chanCount, uint32_t newMode)
{
    Stop();
    line = newLine;
    entityCount = chanCount;
    mode = newMode;
    lastTime1 = lastTime2 = 0;
    incomingCalls = outgoingCalls = incomingConnected = outgoingConnected = 0;
    incomingStatus = outgoingStatus = 0;
    coSegment = isdn::SegmentState{};
    cpeSegment = isdn::SegmentState{};
    dcbuSeen = dcbuState = 0;
    monitor.Pool().Acquire(chanCount, newMode);
    started = true;
    return isdn::kOk;
}

void ISDNPTL3::Stop()
{
    if (!started) {
        return;
    }
    started = false;
    isdn::CallEntityPool& pool = monitor.Pool();
    for (uint32_t i = 0; i < pool.Size(); ++i) {
        if (pool[i].owner == this) {
            pool[i].Reset();
            pool[i].callState = isdn::kNull;
        }
    }
    pool.Release();
}

uint32_t ISDNPTL3::CPEL3Msg(const uint8_t* message, uint32_t length, uint32_t time1, uint32_t time2)
{
    return L3Msg(Side::CPE, message, length, time1, time2);
}

uint32_t ISDNPTL3::COL3Msg(const uint8_t* message, uint32_t length, uint32_t time1, uint32_t time2)
{
    return L3Msg(Side::CO, message, length, time1, time2);
}

uint32_t ISDNPTL3::GetCallRef(const uint8_t* message, uint32_t length, uint32_t& refLength, uint32_t& value)
{
    if (length < kMinMessageLength) {
        return isdn::kMessageTooShort;
    }
    const uint32_t referenceLength = message[isdn::kCallRefLengthOffset];
    if (referenceLength > 2) {
        return isdn::kBadCallRefLength;
    }
    if (length < isdn::kCallRefOffset + referenceLength + 1 + isdn::kFcsLength) {
        return isdn::kMessageTooShort;
    }
    const uint8_t* reference = message + isdn::kCallRefOffset;
    switch (referenceLength) {
    case 0:
        value = 0;
        break;
    case 1:
        value = reference[0] & 0x7F;
        break;
    default:
        value = ((reference[0] & 0x7Fu) << 8) + reference[1];
        break;
    }
    refLength = referenceLength;
    return isdn::kOk;
}

uint32_t ISDNPTL3::GetCallEntity(uint32_t callRef, ISDNPTCall*& entity)
{
    entity = monitor.Pool().Find(callRef, line);
    return entity != nullptr ? isdn::kOk : isdn::kNoCallForRef;
}

uint32_t ISDNPTL3::AllocateCallEntity(uint32_t callRef, ISDNPTCall*& entity)
{
    isdn::CallEntityPool& pool = monitor.Pool();
    entity = pool.Find(callRef, line);
    if (entity != nullptr) {
        return isdn::kOk;
    }
    entity = pool.FindIdle();
    if (entity == nullptr) {
        return isdn::kNoIdleCall;
    }
    entity->Claim(callRef, line, this);
    return isdn::kOk;
}

const uint8_t* ISDNPTL3::GetIEPointer(const uint8_t* message, uint32_t length, uint8_t identifier,
                                      uint32_t codeset, uint32_t occurrence)
{
    using Kind = isdn::ElementItem::Kind;
    uint32_t refLength = 0;
    uint32_t refValue = 0;
    if (message == nullptr || GetCallRef(message, length, refLength, refValue) != isdn::kOk) {
        return nullptr;
    }
    // Elements of a codeset come in ascending order: once an element above
    // the wanted one has been passed, the wanted one is not there.
    bool passedHigher = false;
    uint32_t found = 0;
    isdn::ElementWalker walker(message, length, refLength);
    for (isdn::ElementItem item; walker.Next(item);) {
        switch (item.kind) {
        case Kind::LockingShift:
            if (item.codeset > codeset) {
                return nullptr;
            }
            passedHigher = false;
            break;
        case Kind::NonLockingShift:
            break;
        case Kind::SingleOctet: {
            // Type 1 elements match on their identifier bits (the upper
            // nibble without bit 8), type 2 ones on the whole octet.
            const bool matches = (item.identifier & 0xF0) == 0xA0
                                     ? item.identifier == identifier
                                     : ((item.identifier >> 4) & 0x07) == (identifier & 0x0F) && (identifier & 0x80);
            if (item.codeset == codeset && matches && ++found == occurrence) {
                return item.at;
            }
            break;
        }
        case Kind::Variable:
            if (passedHigher && !item.shifted) {
                return nullptr;
            }
            if (item.codeset == codeset) {
                if (item.identifier == identifier && ++found == occurrence) {
                    return item.at;
                }
                if (item.identifier > identifier && !item.shifted) {
                    passedHigher = true;
                }
            }
            break;
        }
    }
    return nullptr;
}

void ISDNPTL3::DL_Established()
{
    isdn::CallEntityPool& pool = monitor.Pool();
    for (uint32_t i = 0; i < pool.Size(); ++i) {
        if (pool[i].callState == isdn::kActive && pool[i].line == line) {
            isdn::CallLinkEstablished(pool[i]);
        }
    }
}

void ISDNPTL3::DL_Released()
{
    isdn::CallEntityPool& pool = monitor.Pool();
    for (uint32_t i = 0; i < pool.Size(); ++i) {
        if (pool[i].callState != isdn::kNull && pool[i].line == line) {
            isdn::CallLinkReleased(pool[i]);
        }
    }
}

uint32_t ISDNPTL3::L3Msg(Side side, const uint8_t* message, uint32_t length, uint32_t time1, uint32_t time2)
{
    lastTime1 = time1;
    lastTime2 = time2;
    if (message == nullptr) {
        return isdn::kMissingPointer;
    }
    if (length < kMinMessageLength) {
        return isdn::kMessageTooShort;
    }
    const uint8_t discriminator = message[isdn::kDiscriminatorOffset];
    if (discriminator != isdn::kDiscriminatorQ931 && discriminator != isdn::kDiscriminatorMaintenance &&
        discriminator != isdn::kDiscriminatorMaintenanceNational) {
        return isdn::kBadDiscriminator;
    }
    uint32_t refLength = 0;
    uint32_t callRef = 0;
    const uint32_t result = GetCallRef(message, length, refLength, callRef);
    if (result != isdn::kOk) {
        return result;
    }
    const uint8_t messageType = message[isdn::kCallRefOffset + refLength];
    if (discriminator != isdn::kDiscriminatorQ931) {
        using Handler = uint32_t (*)(ISDNPTL3&, const uint8_t*, uint32_t);
        Handler handler = nullptr;
        if (messageType == isdn::kMsgService) {
            handler = side == Side::CPE ? isdn::DCBU_CPE_Service : isdn::DCBU_CO_Service;
        } else if (messageType == isdn::kMsgServiceAcknowledge) {
            handler = side == Side::CPE ? isdn::DCBU_CPE_ServiceAck : isdn::DCBU_CO_ServiceAck;
        }
        if (handler != nullptr) {
            handler(*this, message, length);
        }
        return isdn::kOk;
    }
    const L3Message l3{message, length, side, line, time1, time2};
    const uint32_t event = isdn::MessageEvent(messageType, side);
    if (callRef == 0) {
        return messageType == isdn::kMsgRestart ? Restart(event, l3) : isdn::kOk;
    }
    // A message whose call has no entity (none idle for a new call, or a call
    // that began before the monitor saw it) is dropped.
    ISDNPTCall* call = nullptr;
    const bool newCall = (messageType == isdn::kMsgSetup) || (side == Side::CPE && messageType == isdn::kMsgResume);
    if (newCall) {
        ++(side == Side::CO ? incomingCalls : outgoingCalls);
        if (AllocateCallEntity(callRef, call) != isdn::kOk) {
            return isdn::kOk;
        }
    } else if (messageType == isdn::kMsgSegment) {
        if (GetCallEntity(callRef, call) != isdn::kOk && AllocateCallEntity(callRef, call) != isdn::kOk) {
            return isdn::kOk;
        }
        isdn::SegmentState& segments = side == Side::CO ? coSegment : cpeSegment;
        bool complete = false;
        const uint32_t added = isdn::AddSegment(segments, message, length, refLength, complete);
        if (added != isdn::kOk || !complete) {
            return added;
        }
        // The whole message runs as if it had come in one piece; the
        // statistics count only messages that came whole.
        const uint8_t wholeType = static_cast<uint8_t>(segments.messageType);
        const L3Message whole{segments.buffer, segments.length, side, line, time1, time2};
        return isdn::RunCallEvent(*call, isdn::MessageEvent(wholeType, side), whole);
    } else if (GetCallEntity(callRef, call) != isdn::kOk) {
        return isdn::kOk;
    }
    return RunCounted(*call, event, l3);
}

uint32_t ISDNPTL3::RunCounted(ISDNPTCall& call, uint32_t event, const L3Message& message)
{
    const uint32_t before = call.callState;
    const uint32_t result = isdn::RunCallEvent(call, event, message);
    if (call.callState != before && call.callState == isdn::kActive) {
        ++(call.direction == isdn::kDirectionIncoming ? incomingConnected : outgoingConnected);
    }
    return result;
}

// A RESTART with the global call reference reaches every call of the
// process; each call decides by its channel.
uint32_t ISDNPTL3::Restart(uint32_t event, const L3Message& message)
{
    isdn::CallEntityPool& pool = monitor.Pool();
    for (uint32_t i = 0; i < pool.Size(); ++i) {
        if (pool[i].callState != isdn::kNull) {
            const uint32_t result = isdn::RunCallEvent(pool[i], event, message);
            if (result != isdn::kOk) {
                return result;
            }
        }
    }
    return isdn::kOk;
}
