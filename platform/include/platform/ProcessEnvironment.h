// The process's environment variables, for programs that hand settings to the
// code they run (for example the registry file's path) through the environment.
#pragma once

#include <optional>
#include <string>

namespace platform {

std::optional<std::string> GetEnvironmentVariable(const std::string& name);
// False when the name is empty or holds "=".
bool SetEnvironmentVariable(const std::string& name, const std::string& value);

}  // namespace platform
