// Well-known directories.
#pragma once

#include <string>

namespace platform {

// The system directory (Windows: GetSystemDirectory): $QXZAQ_SYSDIR, default /var/lib/qxzaq16.
std::string SystemDirectory();

}  // namespace platform
