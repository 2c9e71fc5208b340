// One LAPD data link (one TEI on one line) followed as a passive observer:
// the frames of both directions arrive at two inputs, drive one state
// machine that mirrors the link as both ends see it, and the layer-3
// messages they carry go up to the link's own layer 3. TEI management on
// SAPI 63 is followed too.
#pragma once

#include <cstdint>
#include <memory>

#include "isdn/layer3/ISDNPTL3.h"
#include "isdn/IsdnCodes.h"
#include "isdn/ProtocolVocabulary.h"

namespace isdn {

inline constexpr uint8_t kBroadcastTei = 127;
inline constexpr uint8_t kSapiCallControl = 0;
inline constexpr uint8_t kSapiTeiManagement = 63;

// TEI management message types.
inline constexpr uint8_t kTeiIdentityRequest = 1;
inline constexpr uint8_t kTeiIdentityAssigned = 2;
inline constexpr uint8_t kTeiCheckResponse = 5;
inline constexpr uint8_t kTeiIdentityRemove = 6;

struct TeiManagementMessage {
    uint8_t type = 0;
    uint16_t ri = 0;  // reference number
    uint8_t ai = 0;   // the TEI of the action indicator
};

// A UI frame on SAPI 63 long enough for a management message; false otherwise.
bool ParseTeiManagement(const uint8_t* frame, uint32_t length, TeiManagementMessage& message);

}  // namespace isdn

class ISDNPTDL {
public:
    // The link's timers run in `monitor`'s table, which must outlive the link.
    explicit ISDNPTDL(isdn::IsdnMonitor& monitor);
    virtual ~ISDNPTDL();
    ISDNPTDL(const ISDNPTDL&) = delete;
    ISDNPTDL& operator=(const ISDNPTDL&) = delete;

    // Sets up the link and starts its layer 3 with the same arguments;
    // returns layer 3's result.
    uint32_t Start(uint32_t index, uint32_t chanCount, uint32_t mode);
    // Cancels the link's timers and stops and deletes its layer 3.
    void Stop();

    uint32_t CPEFrameRcvd(const uint8_t* frame, uint32_t length, uint32_t time1, uint32_t time2);
    uint32_t COFrameRcvd(const uint8_t* frame, uint32_t length, uint32_t time1, uint32_t time2);

    // The checks every frame passes before a handler runs: length, address,
    // command/response bit. kOk or the frame's code.
    uint32_t CheckFrame(isdn::Side side, const uint8_t* frame, uint32_t length) const;
    // A new TEI on the line takes this free entity.
    void ClaimTei(uint8_t newTei);

    // Retransmission timer expiry (argument: the link).
    static uint32_t CpeTimerExpired(void* link);
    static uint32_t CoTimerExpired(void* link);

    isdn::IsdnMonitor& monitor;
    std::unique_ptr<ISDNPTL3> layer3;
    uint32_t linkState = isdn::kLinkNoTei;
    uint8_t tei = 0;
    uint16_t pendingRi = 0;
    uint32_t index = 0;
    uint32_t mode = 0;
    uint32_t time1 = 0;
    uint32_t time2 = 0;
    int32_t cpeTimer = -1;
    int32_t coTimer = -1;
    uint32_t cpeSabmeCount = 0;
    uint32_t coSabmeCount = 0;
    uint32_t cpeDiscCount = 0;
    uint32_t coDiscCount = 0;
    uint32_t cpeNextNs = 0;
    uint32_t coNextNs = 0;
    uint32_t cpeLastNr = 0;
    uint32_t coLastNr = 0;
    uint32_t cpePF = 0;
    uint32_t coPF = 0;
    uint8_t cpeBusy = 0;
    uint8_t coBusy = 0;
    uint8_t cpeRrSeen = 0;
    uint8_t coRrSeen = 0;

private:
    uint32_t FrameRcvd(isdn::Side side, const uint8_t* frame, uint32_t length, uint32_t time1, uint32_t time2);
};
