#include "platform/Paths.h"

#include <cstdlib>

namespace platform {

std::string SystemDirectory()
{
    const char* configured = std::getenv("QXZAQ_SYSDIR");
    return (configured != nullptr && *configured != '\0') ? configured : "/var/lib/qxzaq16";
}

std::string PathInDirectory(const std::string& directory, const std::string& fileName)
{
    if (directory.empty()) {
        return fileName;
    }
    return directory.back() == '/' ? directory + fileName : directory + "/" + fileName;
}

}  // namespace platform
