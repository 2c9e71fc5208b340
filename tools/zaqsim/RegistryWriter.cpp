#include "RegistryWriter.h"

#include "platform/RegistryStore.h"

namespace zaqsim {

namespace reg = platform::registry;

uint32_t WriteUnitRegistry(const std::vector<std::string>& portNames, const std::string& traceDirectory)
{
    reg::Key key = 0;
    uint32_t result = reg::CreateKey(reg::kLocalMachine, "Software\\Tessaline\\QXZAQ16", reg::kAccessAll, key);
    if (result != reg::kSuccess)
        return result;
    const uint32_t count = static_cast<uint32_t>(portNames.size());
    result = reg::SetValue(key, "# of COMPorts", reg::kTypeDword, &count, sizeof count);
    for (size_t i = 0; i < portNames.size() && result == reg::kSuccess; ++i) {
        const std::string& name = portNames[i];
        result = reg::SetValue(key, "CARD" + std::to_string(i + 1), reg::kTypeString, name.c_str(),
                               static_cast<uint32_t>(name.size() + 1));
    }
    if (result == reg::kSuccess && !traceDirectory.empty()) {
        const uint32_t level = 3;
        result = reg::SetValue(key, "TraceLevel", reg::kTypeDword, &level, sizeof level);
        if (result == reg::kSuccess)
            result = reg::SetValue(key, "TracePath", reg::kTypeString, traceDirectory.c_str(),
                                   static_cast<uint32_t>(traceDirectory.size() + 1));
    }
    if (result == reg::kSuccess)
        result = reg::FlushKey(key);
    reg::CloseKey(key);
    return result;
}

}  // namespace zaqsim
