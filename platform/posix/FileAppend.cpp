#include "platform/FileAppend.h"

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

constexpr mode_t kNewFileMode = 0644;

int OpenForAppend(const std::string& path)
{
    if (path.empty()) {
        return -1;
    }
    int fd;
    do {
        fd = open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, kNewFileMode);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

// With O_APPEND one write() puts the bytes at the end as a whole; only a full
// disk or a signal can cut it short, and then the rest follows. When the rest
// cannot follow, the part already written is taken back, so that the file
// never ends in half a record or half a line that a later append would follow.
bool WriteWhole(int fd, const void* data, size_t size)
{
    const auto* bytes = static_cast<const char*>(data);
    size_t done = 0;
    while (done < size) {
        const ssize_t written = write(fd, bytes + done, size - done);
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            struct stat status {};
            if (done > 0 && fstat(fd, &status) == 0 && static_cast<size_t>(status.st_size) >= done) {
                (void)!ftruncate(fd, status.st_size - static_cast<off_t>(done));
            }
            return false;
        }
        done += static_cast<size_t>(written);
    }
    return true;
}

}  // namespace

bool AppendToFile(const std::string& path, const void* data, size_t size)
{
    const int fd = OpenForAppend(path);
    if (fd < 0) {
        return false;
    }
    const bool written = WriteWhole(fd, data, size);
    return close(fd) == 0 && written;
}

AppendFile::~AppendFile()
{
    Close();
}

bool AppendFile::StillAtPath() const
{
    struct stat named {};
    return stat(path_.c_str(), &named) == 0 && named.st_dev == device_ && named.st_ino == inode_;
}

bool AppendFile::Append(const std::string& path, const void* data, size_t size)
{
    if (handle_ >= 0 && (path != path_ || !StillAtPath())) {
        Close();
    }
    if (handle_ < 0) {
        const int fd = OpenForAppend(path);
        struct stat opened {};
        if (fd < 0 || fstat(fd, &opened) != 0) {
            if (fd >= 0) {
                close(fd);
            }
            return false;
        }
        handle_ = fd;
        path_ = path;
        device_ = opened.st_dev;
        inode_ = opened.st_ino;
    }
    if (!WriteWhole(static_cast<int>(handle_), data, size)) {
        Close();
        return false;
    }
    return true;
}

void AppendFile::Close()
{
    if (handle_ >= 0) {
        close(static_cast<int>(handle_));
    }
    handle_ = -1;
    path_.clear();
}

}  // namespace platform
