#include "RegFileStorage.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <filesystem>
#include <thread>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "RegFileText.h"
#include "platform/RegistryStore.h"

namespace platform::registry::file {

namespace {

constexpr mode_t kNewFileMode = 0644;

struct ErrnoCode {
    int error;
    uint32_t code;
};

constexpr ErrnoCode kErrnoCodes[] = {
    {EACCES, kAccessDenied}, {EPERM, kAccessDenied},   {EROFS, kAccessDenied},
    {EISDIR, kAccessDenied}, {ENOENT, kPathNotFound},  {ENOTDIR, kPathNotFound},
    {ENOSPC, kDiskFull},     {EDQUOT, kDiskFull},      {EFBIG, kBadDatabase},
};

uint32_t CodeOfErrno(int error)
{
    for (const ErrnoCode& entry : kErrnoCodes) {
        if (entry.error == error) {
            return entry.code;
        }
    }
    return kIoFailed;
}

class FileDescriptor {
public:
    explicit FileDescriptor(int fd = -1) : fd_(fd) {}
    ~FileDescriptor()
    {
        if (fd_ >= 0) {
            close(fd_);
        }
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    int Release()
    {
        const int fd = fd_;
        fd_ = -1;
        return fd;
    }
    void Reset(int fd)
    {
        FileDescriptor old(fd_);
        fd_ = fd;
    }
    // Closes now and reports whether the close succeeded (it can report a failed write).
    bool Close() { return close(Release()) == 0; }

private:
    int fd_;
};

uint32_t ReadAll(int fd, std::string& text)
{
    struct stat status {};
    if (fstat(fd, &status) != 0) {
        return CodeOfErrno(errno);
    }
    if (static_cast<uint64_t>(status.st_size) > kMaxFileSize) {
        return kBadDatabase;
    }
    char buffer[16384];
    for (;;) {
        const ssize_t got = read(fd, buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            return CodeOfErrno(errno);
        }
        if (got == 0) {
            return kSuccess;
        }
        text.append(buffer, static_cast<size_t>(got));
        if (text.size() > kMaxFileSize) {
            return kBadDatabase;
        }
    }
}

uint32_t WriteAll(int fd, const std::string& text)
{
    size_t written = 0;
    while (written < text.size()) {
        const ssize_t put = write(fd, text.data() + written, text.size() - written);
        if (put < 0) {
            if (errno == EINTR) {
                continue;
            }
            return CodeOfErrno(errno);
        }
        written += static_cast<size_t>(put);
    }
    return kSuccess;
}

// Takes the writers' lock within kLockWaitMs; the lock holds while `lock` stays open.
uint32_t TakeWriterLock(const std::string& path, FileDescriptor& lock)
{
    std::error_code ignored;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ignored);
    FileDescriptor opened(open((path + ".lock").c_str(), O_RDONLY | O_CREAT | O_CLOEXEC, kNewFileMode));
    if (!opened.valid()) {
        return CodeOfErrno(errno);
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kLockWaitMs);
    auto pause = std::chrono::microseconds(200);
    while (flock(opened.get(), LOCK_EX | LOCK_NB) != 0) {
        if (errno != EWOULDBLOCK && errno != EINTR) {
            return CodeOfErrno(errno);
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            return kLockViolation;
        }
        std::this_thread::sleep_for(pause);
        pause = std::min(pause * 2, std::chrono::microseconds(10000));
    }
    lock.Reset(opened.Release());
    return kSuccess;
}

// Writes a complete new file beside the old one and renames it over it.
uint32_t ReplaceFile(const std::string& path, const std::string& text)
{
    std::string temporary = path + ".XXXXXX";
    FileDescriptor fd(mkstemp(temporary.data()));
    if (!fd.valid()) {
        return CodeOfErrno(errno);
    }
    struct stat existing {};
    const mode_t mode = stat(path.c_str(), &existing) == 0 ? (existing.st_mode & 07777) : kNewFileMode;
    uint32_t code = fchmod(fd.get(), mode) == 0 ? WriteAll(fd.get(), text) : CodeOfErrno(errno);
    if (code == kSuccess && fsync(fd.get()) != 0) {
        code = CodeOfErrno(errno);
    }
    if (!fd.Close() && code == kSuccess) {
        code = CodeOfErrno(errno);
    }
    if (code == kSuccess && rename(temporary.c_str(), path.c_str()) != 0) {
        code = CodeOfErrno(errno);
    }
    if (code != kSuccess) {
        unlink(temporary.c_str());
    }
    return code;
}

}  // namespace

uint32_t LoadDocument(const std::string& path, Document& document)
{
    FileDescriptor fd(open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd.valid()) {
        if (errno == ENOENT || errno == ENOTDIR) {
            document = Document();
            return kSuccess;
        }
        return CodeOfErrno(errno);
    }
    std::string text;
    const uint32_t code = ReadAll(fd.get(), text);
    if (code == kSuccess) {
        document = ParseRegText(text);
    }
    return code;
}

uint32_t UpdateDocument(const std::string& path, const DocumentChange& change)
{
    FileDescriptor lock;
    uint32_t code = TakeWriterLock(path, lock);
    Document document;
    if (code == kSuccess) {
        code = LoadDocument(path, document);
    }
    bool changed = false;
    if (code == kSuccess) {
        code = change(document, changed);
    }
    if (code == kSuccess && changed) {
        code = ReplaceFile(path, FormatRegText(document));
    }
    return code;
}

}  // namespace platform::registry::file
