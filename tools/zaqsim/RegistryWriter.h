// Names the simulated units in the registry the way the control-panel applet
// does, so that the library finds them: HKEY_LOCAL_MACHINE
// "Software\Tessaline\QXZAQ16" with "# of COMPorts" and "CARD1".."CARDn".
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zaqsim {

// The registry's result (0 on success, else a Win32 error number).
uint32_t WriteUnitRegistry(const std::vector<std::string>& portNames);

}  // namespace zaqsim
