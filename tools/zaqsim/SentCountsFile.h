// The file of packets sent that --sent-counts names: a comment line, then one
// line "UNIT CHANNEL SENT AT-RISK" per unit and channel (channels 0 to 15
// always, others when a packet named them).
#pragma once

#include <string>

#include "Simulator.h"

namespace zaqsim {

// Written whole under a temporary name, then renamed. False when it could not be.
bool WriteSentCounts(const std::string& path, const Simulator& simulator);

}  // namespace zaqsim
