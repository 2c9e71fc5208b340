#include "platform/ProcessEnvironment.h"

#include <stdlib.h>

namespace platform {

std::optional<std::string> GetEnvironmentVariable(const std::string& name)
{
    const char* value = getenv(name.c_str());
    if (value == nullptr)
        return std::nullopt;
    return std::string(value);
}

bool SetEnvironmentVariable(const std::string& name, const std::string& value)
{
    if (name.empty() || name.find('=') != std::string::npos)
        return false;
    return setenv(name.c_str(), value.c_str(), 1) == 0;
}

}  // namespace platform
