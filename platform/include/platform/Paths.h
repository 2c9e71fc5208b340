// Well-known directories.
#pragma once

#include <string>

namespace platform {

// The system directory: GetSystemDirectory on Windows; on Linux
// $QXZAQ_SYSDIR, default /var/lib/qxzaq16.
std::string SystemDirectory();

// `fileName` in `directory`, joined by the system's separator ("\" on
// Windows, "/" on Linux); `fileName` alone when `directory` is empty.
std::string PathInDirectory(const std::string& directory, const std::string& fileName);

}  // namespace platform
