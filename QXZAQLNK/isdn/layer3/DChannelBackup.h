// The D-channel backup service: SERVICE and SERVICE ACKNOWLEDGE messages of
// the maintenance protocol bring a D-channel into service, and the Active
// calls then move to the layer-3 instance that saw it happen.
#pragma once

#include <cstdint>

class ISDNPTL3;

namespace isdn {

// dcbuState values.
inline constexpr uint32_t kDcbuInService = 2;
inline constexpr uint32_t kDcbuAwaitingCpeAck = 3;  // the CO asked for service
inline constexpr uint32_t kDcbuAwaitingCoAck = 4;   // the CPE asked for service

// Each takes a maintenance message with a validated header; kOk, or
// kSegmentOrCheckFailed when an element check fails (nothing changes then).
uint32_t DCBU_CPE_Service(ISDNPTL3& layer3, const uint8_t* message, uint32_t length);
uint32_t DCBU_CPE_ServiceAck(ISDNPTL3& layer3, const uint8_t* message, uint32_t length);
uint32_t DCBU_CO_Service(ISDNPTL3& layer3, const uint8_t* message, uint32_t length);
uint32_t DCBU_CO_ServiceAck(ISDNPTL3& layer3, const uint8_t* message, uint32_t length);

// The Channel identification must name the D-channel of an interface other
// than basic, with no channel selected.
uint32_t DCBU_CheckChanIdIE(const uint8_t* message, uint32_t length);
// The Change status must say "in service".
uint32_t DCBU_CheckChangeStatusIE(const uint8_t* message, uint32_t length);

}  // namespace isdn
