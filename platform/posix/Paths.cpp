#include "platform/Paths.h"

#include <cstdlib>

namespace platform {

std::string SystemDirectory()
{
    const char* configured = std::getenv("QXZAQ_SYSDIR");
    return (configured != nullptr && *configured != '\0') ? configured : "/var/lib/qxzaq16";
}

}  // namespace platform
