// Appends with FILE_APPEND_DATA: every WriteFile lands at the end of the file
// as a whole, whatever other handles (threads, processes) write meanwhile.
// The file stays open to every kind of sharing, so another process may rename
// or delete it (the trace log's rotation) while it is held here.
#include "platform/FileAppend.h"

#include <windows.h>

namespace platform {

namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

HANDLE OpenForAppend(const std::string& path)
{
    if (path.empty()) {
        return INVALID_HANDLE_VALUE;
    }
    return CreateFileA(path.c_str(), FILE_APPEND_DATA, kShareAll, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
}

bool WriteWhole(HANDLE file, const void* data, size_t size)
{
    const auto* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const DWORD chunk = size > 0x40000000u ? 0x40000000u : static_cast<DWORD>(size);
        DWORD written = 0;
        if (!WriteFile(file, bytes, chunk, &written, nullptr) || written == 0) {
            return false;
        }
        bytes += written;
        size -= written;
    }
    return true;
}

struct FileIdentity {
    uint64_t volume = 0;
    uint64_t index = 0;
};

bool IdentityOf(HANDLE file, FileIdentity& out)
{
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(file, &info)) {
        return false;
    }
    out.volume = info.dwVolumeSerialNumber;
    out.index = (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    return true;
}

}  // namespace

bool AppendToFile(const std::string& path, const void* data, size_t size)
{
    const HANDLE file = OpenForAppend(path);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    const bool written = WriteWhole(file, data, size);
    return CloseHandle(file) != FALSE && written;
}

AppendFile::~AppendFile()
{
    Close();
}

bool AppendFile::StillAtPath() const
{
    // Opened for no access at all: only to learn which file the path names now.
    const HANDLE named = CreateFileA(path_.c_str(), 0, kShareAll, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (named == INVALID_HANDLE_VALUE) {
        return false;
    }
    FileIdentity identity;
    const bool known = IdentityOf(named, identity);
    CloseHandle(named);
    return known && identity.volume == device_ && identity.index == inode_;
}

bool AppendFile::Append(const std::string& path, const void* data, size_t size)
{
    if (handle_ != -1 && (path != path_ || !StillAtPath())) {
        Close();
    }
    if (handle_ == -1) {
        const HANDLE file = OpenForAppend(path);
        FileIdentity identity;
        if (file == INVALID_HANDLE_VALUE || !IdentityOf(file, identity)) {
            if (file != INVALID_HANDLE_VALUE) {
                CloseHandle(file);
            }
            return false;
        }
        handle_ = reinterpret_cast<intptr_t>(file);
        path_ = path;
        device_ = identity.volume;
        inode_ = identity.index;
    }
    if (!WriteWhole(reinterpret_cast<HANDLE>(handle_), data, size)) {
        Close();
        return false;
    }
    return true;
}

void AppendFile::Close()
{
    if (handle_ != -1) {
        CloseHandle(reinterpret_cast<HANDLE>(handle_));
    }
    handle_ = -1;
    path_.clear();
}

}  // namespace platform
