#include "isdn/calls/ISDNPTCall.h"

#include "isdn/monitor/IsdnMonitor.h"
#include "isdn/ProtocolVocabulary.h"

namespace {

void ClearNumber(ZAQ16_PARTY_NUMBER& number)
{
    number.digitCount = 0;
    number.digits[0] = '\0';
}

void ClearSubaddress(ZAQ16_SUBADDRESS& subaddress)
{
    subaddress.byteCount = 0;
    subaddress.bytes[0] = 0;
}

}  // namespace

void ISDNPTCall::Reset()
{
    direction = 0;
    line = 0;
    callRef = 0;
    layer1Protocol = 0;
    cause = 0;
    auxState = 0;
    heldPending = false;
    retrievedPending = false;
    // Type, plan and indicator words keep their values; only the contents go.
    for (ZAQ16_PARTY_NUMBER* number : {&calledNumber, &callingNumber, &connectedNumber, &redirectingNumber}) {
        ClearNumber(*number);
    }
    for (ZAQ16_SUBADDRESS* subaddress : {&calledSubaddress, &callingSubaddress, &connectedSubaddress}) {
        ClearSubaddress(*subaddress);
    }
    callIdentity.count = 0;
    callIdentity.bytes[0] = 0;
    // Cancelled, not only forgotten: a slot left running would fire later on
    // whatever call the entity carries by then.
    for (int32_t& slot : timers) {
        if (monitor != nullptr) {
            monitor->Timers().CancelAndClear(slot);
        }
        slot = -1;
    }
    connected = false;
    owner = nullptr;
}

void ISDNPTCall::Claim(uint32_t newCallRef, uint32_t newLine, ISDNPTL3* newOwner)
{
    callRef = newCallRef;
    line = newLine;
    owner = newOwner;
    // The channel of an earlier call must not be reported for this one
    // before its own channel is known.
    interfaceId = newLine;
    bChannel = 0;
}

namespace isdn {

void CallEntityPool::Acquire(uint32_t chanCount, uint32_t mode)
{
    if (users_++ > 0) {
        return;
    }
    entities_.clear();
    for (uint32_t i = 0; i < chanCount; ++i) {
        auto entity = std::make_unique<ISDNPTCall>();
        entity->mode = mode;
        entity->monitor = &monitor_;
        entity->Reset();
        entities_.push_back(std::move(entity));
    }
}

void CallEntityPool::Release()
{
    if (users_ == 0 || --users_ > 0) {
        return;
    }
    for (auto& entity : entities_) {
        entity->Reset();
    }
    entities_.clear();
}

ISDNPTCall* CallEntityPool::Find(uint32_t callRef, uint32_t line)
{
    for (auto& entity : entities_) {
        if (entity->callRef == callRef && entity->line == line) {
            return entity.get();
        }
    }
    return nullptr;
}

ISDNPTCall* CallEntityPool::FindIdle()
{
    for (auto& entity : entities_) {
        if (entity->callState == kNull) {
            return entity.get();
        }
    }
    return nullptr;
}

}  // namespace isdn
