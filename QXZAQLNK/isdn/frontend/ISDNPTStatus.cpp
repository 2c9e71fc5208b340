// Call status and statistics copies for the application's threads. They run
// under the ISDN lock, so a copy shows an entity before or after a frame,
// never in between.
#include <cstddef>
#include <cstring>

#include "isdn/calls/CallIndications.h"
#include "isdn/frontend/ISDNPT.h"
#include "isdn/monitor/IsdnSession.h"
#include "isdn/ProtocolVocabulary.h"

namespace {

// Words 78 to 82 of a status record are reserved and left as the caller had them.
constexpr size_t kStatusBytesWritten = offsetof(ZAQ16_CALL_STATUS, reserved78);

void CopyStatus(const ISDNPTCall& call, ZAQ16_CALL_STATUS* record)
{
    ZAQ16_CALL_STATUS status{};
    isdn::BuildCallStatus(call, status);
    std::memcpy(record, &status, kStatusBytesWritten);
}

}  // namespace

uint32_t ISDNPT::GetStatusByCh(uint32_t channel, ZAQ16_CALL_STATUS* record)
{
    if (record == nullptr) {
        return isdn::kMissingPointer;
    }
    isdn::IsdnSession session(monitor, nullptr);
    if (channel == 0) {
        return isdn::kBadFramer;
    }
    const uint32_t lineBase = (channel - 1) & ~1u;
    const uint32_t bChannel = (channel & 1) != 0 ? 1 : 2;
    const uint32_t baseLink = LinkIndex(lineBase);
    if (baseLink == kMaxDataLinks || !dataLinks[baseLink] || !dataLinks[baseLink]->layer3) {
        return isdn::kBadFramer;
    }
    // A call in progress on the channel comes before an ended one that still
    // names it.
    const ISDNPTCall* idleMatch = nullptr;
    isdn::CallEntityPool& pool = monitor.Pool();
    for (uint32_t i = 0; i < pool.Size(); ++i) {
        const ISDNPTCall& call = pool[i];
        const bool onLine = call.interfaceId == lineBase || (mode != 0 && call.interfaceId == lineBase + 1);
        if (!onLine || call.bChannel != bChannel) {
            continue;
        }
        if (call.callState != isdn::kNull) {
            CopyStatus(call, record);
            return isdn::kOk;
        }
        if (idleMatch == nullptr) {
            idleMatch = &call;
        }
    }
    if (idleMatch == nullptr) {
        return isdn::kNoCallOnChannel;
    }
    CopyStatus(*idleMatch, record);
    return isdn::kOk;
}

uint32_t ISDNPT::GetStatusByRef(uint32_t callRef, ZAQ16_CALL_STATUS* record)
{
    if (record == nullptr) {
        return isdn::kMissingPointer;
    }
    isdn::IsdnSession session(monitor, nullptr);
    isdn::CallEntityPool& pool = monitor.Pool();
    for (uint32_t i = 0; callRef != 0 && i < pool.Size(); ++i) {
        if (pool[i].callRef == callRef) {
            CopyStatus(pool[i], record);
            return isdn::kOk;
        }
    }
    return isdn::kNoCallWithRef;
}

uint32_t ISDNPT::GetStatistics(uint32_t channel, ZAQ16_CALL_STATISTICS* statistics)
{
    if (statistics == nullptr) {
        return isdn::kMissingPointer;
    }
    isdn::IsdnSession session(monitor, nullptr);
    if (channel == 0) {
        return isdn::kBadFramer;
    }
    const uint32_t firstLink = LinkIndex((channel - 1) / 2 * 2);
    if (firstLink == kMaxDataLinks || !dataLinks[firstLink]) {
        return isdn::kBadFramer;
    }
    const ISDNPTL3* layer3 = dataLinks[firstLink]->layer3.get();
    if (layer3 == nullptr) {
        return isdn::kOk;
    }
    statistics->incomingCalls = layer3->incomingCalls;
    statistics->incomingConnected = layer3->incomingConnected;
    statistics->incomingStatus = layer3->incomingStatus;
    statistics->outgoingCalls = layer3->outgoingCalls;
    statistics->outgoingConnected = layer3->outgoingConnected;
    statistics->outgoingStatus = layer3->outgoingStatus;
    return isdn::kOk;
}
