#include "platform/Paths.h"

#include <windows.h>

namespace platform {

std::string SystemDirectory()
{
    char directory[MAX_PATH + 1] = {};
    const UINT length = GetSystemDirectoryA(directory, MAX_PATH);
    return length > 0 && length <= MAX_PATH ? std::string(directory, length) : std::string("C:\\Windows\\System32");
}

std::string PathInDirectory(const std::string& directory, const std::string& fileName)
{
    if (directory.empty()) {
        return fileName;
    }
    const char last = directory.back();
    return last == '\\' || last == '/' ? directory + fileName : directory + "\\" + fileName;
}

}  // namespace platform
