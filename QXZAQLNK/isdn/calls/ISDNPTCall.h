// A call as the monitor follows it, and the process-wide pool of call
// entities that every layer-3 instance shares.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "isdn/layer3/InformationElements.h"
#include "qxzaqlnk.h"

class ISDNPTL3;

namespace isdn {

class IsdnMonitor;

// The timers a call may run; index into ISDNPTCall::timers.
enum CallTimer : uint32_t {
    kCpeT303,
    kCoT303,
    kT308,
    kT309,
    kT319,
    kT318,
    kCpeHold,
    kCoHold,
    kCpeRetrieve,
    kCoRetrieve,
    kCallTimerCount
};

inline constexpr uint32_t kDirectionIncoming = 1;
inline constexpr uint32_t kDirectionOutgoing = 2;

}  // namespace isdn

class ISDNPTCall {
public:
    virtual ~ISDNPTCall() = default;

    // Ends the call's bookkeeping: cancels every armed timer and clears the
    // call's data (see the .cpp); the caller sets callState.
    void Reset();
    // Takes the entity for a new call of `newLine` (an idle entity only).
    void Claim(uint32_t newCallRef, uint32_t newLine, ISDNPTL3* newOwner);

    uint32_t direction = 0;
    uint32_t line = 0;
    uint32_t mode = 0;
    uint32_t callState = 0;
    uint32_t callRef = 0;
    uint32_t layer1Protocol = 0;
    uint32_t cause = 0;
    uint32_t interfaceId = 0;
    uint32_t bChannel = 0;
    ZAQ16_PARTY_NUMBER calledNumber{};
    ZAQ16_SUBADDRESS calledSubaddress{};
    ZAQ16_PARTY_NUMBER callingNumber{};
    ZAQ16_SUBADDRESS callingSubaddress{};
    ZAQ16_PARTY_NUMBER connectedNumber{};
    ZAQ16_SUBADDRESS connectedSubaddress{};
    ZAQ16_PARTY_NUMBER redirectingNumber{};
    isdn::CallIdentity callIdentity{};
    uint32_t infoType = 0;
    uint32_t infoFlags = 0;
    isdn::CountedText info{};  // the last display, user-user or keypad content
    uint32_t msgTime1 = 0;
    uint32_t msgTime2 = 0;
    uint32_t setupTime1 = 0;
    uint32_t setupTime2 = 0;
    uint32_t auxState = 0;
    bool heldPending = false;
    bool retrievedPending = false;
    int32_t timers[isdn::kCallTimerCount] = {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1};
    bool connected = false;
    // The layer-3 instance that carries the call; null while idle.
    ISDNPTL3* owner = nullptr;
    // The monitor whose pool holds the entity (its timers, its event queue).
    isdn::IsdnMonitor* monitor = nullptr;
};

namespace isdn {

// The table of call entities of a monitor: created by the first layer-3
// instance that starts, deleted when the last one stops. Used only under the
// monitor's lock.
class CallEntityPool {
public:
    explicit CallEntityPool(IsdnMonitor& monitor) : monitor_(monitor) {}
    CallEntityPool(const CallEntityPool&) = delete;
    CallEntityPool& operator=(const CallEntityPool&) = delete;

    // Registers a started layer-3 instance; the first creates `chanCount` entities.
    void Acquire(uint32_t chanCount, uint32_t mode);
    // Unregisters one; the last deletes the entities (cancelling their timers).
    void Release();

    uint32_t Size() const { return static_cast<uint32_t>(entities_.size()); }
    ISDNPTCall& operator[](uint32_t index) { return *entities_[index]; }

    // The entity of `line` with `callRef`, or null.
    ISDNPTCall* Find(uint32_t callRef, uint32_t line);
    // The first entity in state 0, or null.
    ISDNPTCall* FindIdle();

private:
    IsdnMonitor& monitor_;
    std::vector<std::unique_ptr<ISDNPTCall>> entities_;
    uint32_t users_ = 0;
};

}  // namespace isdn
