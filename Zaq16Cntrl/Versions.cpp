#include "Versions.h"

#include "platform/SharedLibrary.h"
#include "qxzaqlnk.h"

std::string VersionOfFileName(const std::string& path)
{
    const size_t slash = path.find_last_of('/');
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const size_t so = name.find(".so.");
    if (so == std::string::npos || so + 4 >= name.size()) {
        return {};
    }
    return name.substr(so + 4);
}

std::string LibraryVersion()
{
    const std::string version =
        VersionOfFileName(platform::LoadedFileOf(reinterpret_cast<const void*>(&QXZAQStartLink)));
    return version.empty() ? "UNKNOWN" : version;
}

std::string AppletVersion()
{
    return ZAQ16CNTRL_VERSION_TEXT;
}
