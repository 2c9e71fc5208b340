// tshark's reading of a LAPD capture: the Q.931 messages of every call, with
// the side that sent each, and the monitor's events those messages call for.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace interop {

struct Q931Message {
    bool fromNetwork = false;
    uint32_t type = 0;
    std::string calling;
    std::string called;
    std::optional<uint32_t> cause;
    std::optional<uint32_t> bChannel;
};

// Messages by call reference (without its flag), in capture order.
using CallMessages = std::map<uint32_t, std::vector<Q931Message>>;

// Runs `tshark` on `capture`; false with `error` set when it failed.
bool ReadWithTshark(const std::string& tshark, const std::string& capture, CallMessages& calls, std::string& error);

struct ExpectedEvent {
    uint32_t code = 0;
    uint32_t cause = 0;  // of the clearing events
    bool operator==(const ExpectedEvent&) const = default;
};

// "QXEVT_CALL_REJECTED cause 21" in test messages.
void PrintTo(const ExpectedEvent& event, std::ostream* out);

struct ExpectedCall {
    std::string calling;
    std::string called;
    uint32_t bChannel = 0;
    std::vector<ExpectedEvent> events;
};

// The call events a monitor of the line posts for these messages: ALERTING
// and CONNECT before answer, HOLD and RETRIEVE ACKNOWLEDGE while connected;
// a clearing before answer is abandoned when the side that sent the SETUP
// clears, rejected when the other one does; a connected call is released.
// The cause is the last one of DISCONNECT and RELEASE, or that of RELEASE
// COMPLETE when it is the first clearing message.
ExpectedCall Expect(const std::vector<Q931Message>& messages);

}  // namespace interop
