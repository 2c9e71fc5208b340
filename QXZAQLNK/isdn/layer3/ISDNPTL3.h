// The Q.931 layer 3 of one data link: checks each message's header, finds or
// allocates the call entity its call reference names (the reference without
// its flag bit, so both directions of a call meet on one entity), runs the
// call state machine, keeps the line's call statistics and reassembles
// segmented messages. Maintenance messages go to the D-channel backup service.
#pragma once

#include <cstdint>

#include "isdn/calls/ISDNPTCall.h"
#include "isdn/IsdnCodes.h"
#include "isdn/layer3/L3Message.h"
#include "isdn/layer3/SegmentReassembly.h"

namespace isdn {
class IsdnMonitor;
}

class ISDNPTL3 {
public:
    // The calls live in `monitor`'s pool, which must outlive the instance.
    explicit ISDNPTL3(isdn::IsdnMonitor& monitor);
    virtual ~ISDNPTL3();
    ISDNPTL3(const ISDNPTL3&) = delete;
    ISDNPTL3& operator=(const ISDNPTL3&) = delete;

    // 0. The first instance started on the monitor creates the call-entity
    // pool with `chanCount` entities; later ones share it.
    uint32_t Start(uint32_t line, uint32_t chanCount, uint32_t mode);
    // Releases the calls this instance carries (without events) and its share
    // of the pool; the last instance to stop deletes the pool.
    void Stop();

    uint32_t CPEL3Msg(const uint8_t* message, uint32_t length, uint32_t time1, uint32_t time2);
    uint32_t COL3Msg(const uint8_t* message, uint32_t length, uint32_t time1, uint32_t time2);

    void DL_Established();
    void DL_Released();

    // kOk with the call reference's length and value (flag bit cleared), or
    // kMessageTooShort / kBadCallRefLength. The message type byte must be
    // present before the two check bytes.
    static uint32_t GetCallRef(const uint8_t* message, uint32_t length, uint32_t& refLength, uint32_t& value);
    // kOk with the entity of this line that has `callRef`, or kNoCallForRef.
    uint32_t GetCallEntity(uint32_t callRef, ISDNPTCall*& entity);
    // kOk with this line's entity of `callRef`, else the first idle entity
    // (which takes `callRef` and this line), else kNoIdleCall.
    uint32_t AllocateCallEntity(uint32_t callRef, ISDNPTCall*& entity);
    // The `occurrence`-th element `identifier` of `codeset`, or null. Only
    // elements that lie wholly before the check bytes are found.
    static const uint8_t* GetIEPointer(const uint8_t* message, uint32_t length, uint8_t identifier,
                                       uint32_t codeset, uint32_t occurrence);

    isdn::IsdnMonitor& monitor;
    uint32_t entityCount = 0;
    uint32_t line = 0;
    uint32_t mode = 0;
    uint32_t lastTime1 = 0;
    uint32_t lastTime2 = 0;
    uint32_t incomingCalls = 0;
    uint32_t outgoingCalls = 0;
    uint32_t incomingConnected = 0;
    uint32_t outgoingConnected = 0;
    uint32_t incomingStatus = 0;
    uint32_t outgoingStatus = 0;
    isdn::SegmentState coSegment;
    isdn::SegmentState cpeSegment;
    uint32_t dcbuSeen = 0;
    uint32_t dcbuState = 0;

private:
    uint32_t L3Msg(isdn::Side side, const uint8_t* message, uint32_t length, uint32_t time1, uint32_t time2);
    // Runs a message's event on `call`, counting the calls that become Active.
    uint32_t RunCounted(ISDNPTCall& call, uint32_t event, const isdn::L3Message& message);
    uint32_t Restart(uint32_t event, const isdn::L3Message& message);

    bool started = false;
};
