// The serial devices of this machine a user could attach a unit to.
#pragma once

#include <string>
#include <vector>

namespace platform {

// Candidate port names, in this order: the COM names linked in $QXZAQ_COMDIR
// ("COM1", "COM2" ..., by number), then /dev/ttyS* that have a UART behind
// them, /dev/ttyUSB* and /dev/ttyACM* (full paths, by number). Whether one
// can be opened now is not checked here.
std::vector<std::string> ListSerialPortCandidates();

// True when `a` and `b` name the same device (after resolving port names to
// paths and following links).
bool SameSerialDevice(const std::string& a, const std::string& b);

}  // namespace platform
