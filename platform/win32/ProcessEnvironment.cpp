#include "platform/ProcessEnvironment.h"

#include <cstdlib>
#include <vector>

#include <windows.h>
// windows.h maps these names to its own functions.
#undef GetEnvironmentVariable
#undef SetEnvironmentVariable

namespace platform {

std::optional<std::string> GetEnvironmentVariable(const std::string& name)
{
    SetLastError(ERROR_SUCCESS);
    const DWORD needed = GetEnvironmentVariableA(name.c_str(), nullptr, 0);
    if (needed == 0) {
        if (GetLastError() == ERROR_ENVVAR_NOT_FOUND) {
            return std::nullopt;
        }
        return std::string();
    }
    std::vector<char> value(needed);
    const DWORD length = GetEnvironmentVariableA(name.c_str(), value.data(), needed);
    if (length >= needed) {
        return std::nullopt;  // it grew meanwhile
    }
    return std::string(value.data(), length);
}

bool SetEnvironmentVariable(const std::string& name, const std::string& value)
{
    if (name.empty() || name.find('=') != std::string::npos)
        return false;
    // Through the C library, so that its getenv sees the change as well (an
    // empty value removes the variable there, as it does on Windows).
    return _putenv_s(name.c_str(), value.c_str()) == 0;
}

}  // namespace platform
