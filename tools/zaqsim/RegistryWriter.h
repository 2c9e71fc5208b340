// Names the simulated units in the registry the way the control-panel applet
// does, so that the library finds them: HKEY_LOCAL_MACHINE
// "Software\Tessaline\QXZAQ16" with "# of COMPorts" and "CARD1".."CARDn".
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zaqsim {

// The registry's result (0 on success, else a Win32 error number). With a
// trace directory, "TracePath" and "TraceLevel" (3) are written too.
uint32_t WriteUnitRegistry(const std::vector<std::string>& portNames, const std::string& traceDirectory = "");

}  // namespace zaqsim
