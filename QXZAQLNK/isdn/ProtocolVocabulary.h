// The names of the protocol's numbers: Q.931 call states and auxiliary
// (hold) states, message types and protocol discriminators, and the states
// of a LAPD data link as the monitor follows it. The tables, layer 3, the
// backup service and the tests use these names, never the bare numbers.
#pragma once

#include <cstdint>
#include <initializer_list>

namespace isdn {

// Q.931 call states (the numbers the status record reports).
enum CallState : uint32_t {
    kNull = 0,
    kCallInitiated = 1,
    kOverlapSending = 2,
    kOutgoingProceeding = 3,
    kCallDelivered = 4,
    kOverlapReceiving = 5,
    kCallPresent = 6,
    kCallReceived = 7,
    kConnectRequest = 8,
    kIncomingProceeding = 9,
    kActive = 10,
    kDisconnectRequest = 11,
    kDisconnectIndication = 12,
    kReleaseRequest = 13,
    kSuspendRequest = 14,
    kResumeRequest = 15,
};

// Auxiliary states of the hold and retrieve procedures.
enum AuxState : uint32_t {
    kAuxIdle = 0,
    kAuxHoldRequest = 1,
    kAuxHoldIndication = 2,
    kAuxCallHeld = 3,
    kAuxRetrieveRequest = 4,
    kAuxRetrieveIndication = 5,
};

// Protocol discriminators.
inline constexpr uint8_t kDiscriminatorQ931 = 0x08;
inline constexpr uint8_t kDiscriminatorMaintenance = 0x03;
inline constexpr uint8_t kDiscriminatorMaintenanceNational = 0x43;

// Q.931 message types.
enum MessageType : uint8_t {
    kMsgAlerting = 0x01,
    kMsgCallProceeding = 0x02,
    kMsgProgress = 0x03,
    kMsgSetup = 0x05,
    kMsgConnect = 0x07,
    kMsgSetupAcknowledge = 0x0D,
    kMsgConnectAcknowledge = 0x0F,
    kMsgUserInformation = 0x20,
    kMsgSuspendReject = 0x21,
    kMsgResumeReject = 0x22,
    kMsgHold = 0x24,
    kMsgSuspend = 0x25,
    kMsgResume = 0x26,
    kMsgHoldAcknowledge = 0x28,
    kMsgSuspendAcknowledge = 0x2D,
    kMsgResumeAcknowledge = 0x2E,
    kMsgHoldReject = 0x30,
    kMsgRetrieve = 0x31,
    kMsgRetrieveAcknowledge = 0x33,
    kMsgRetrieveReject = 0x37,
    kMsgDisconnect = 0x45,
    kMsgRestart = 0x46,
    kMsgRelease = 0x4D,
    kMsgRestartAcknowledge = 0x4E,
    kMsgReleaseComplete = 0x5A,
    kMsgSegment = 0x60,
    kMsgStatusEnquiry = 0x75,
    kMsgInformation = 0x7B,
    kMsgStatus = 0x7D,
};

// Message types of the maintenance protocol (D-channel backup).
enum MaintenanceMessageType : uint8_t {
    kMsgServiceAcknowledge = 0x07,
    kMsgService = 0x0F,
};

// States of a data link (ISDNPTDL::linkState).
enum DataLinkState : uint32_t {
    kLinkInactive = 0,        // single-link mode, start state
    kLinkTeiAssigned = 1,     // link released
    kLinkCpeEstablishing = 2, // SABME from the CPE seen
    kLinkCoEstablishing = 3,  // SABME from the CO seen
    kLinkEstablished = 4,     // multiple-frame operation
    kLinkCpeReleasing = 5,    // DISC from the CPE seen
    kLinkCoReleasing = 6,     // DISC from the CO seen
    kLinkNoTei = 7,           // free (multi-TEI mode, start state)
};

// A set of states (call, auxiliary or link) as a bit mask.
constexpr uint32_t States(std::initializer_list<uint32_t> states)
{
    uint32_t mask = 0;
    for (uint32_t state : states) {
        mask |= 1u << state;
    }
    return mask;
}

constexpr bool In(uint32_t state, uint32_t mask)
{
    return state < 32 && ((mask >> state) & 1u) != 0;
}

}  // namespace isdn
