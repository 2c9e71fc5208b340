// Whole-line appends to a text file shared by several threads and processes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace platform {

// Appends `size` bytes to the file at `path` (created when missing) in one
// write, so that appends from concurrent threads or processes never mix.
// False when the file could not be opened or written.
bool AppendToFile(const std::string& path, const void* data, size_t size);

// A file held open for appending, one write per call; reopened when the path
// changes or no longer names the file held open (renamed or deleted by a log
// rotation, perhaps in another process), so that every line lands in the file
// the path names at that moment. Not thread-safe: guard it with a lock.
class AppendFile {
public:
    AppendFile() = default;
    ~AppendFile();
    AppendFile(const AppendFile&) = delete;
    AppendFile& operator=(const AppendFile&) = delete;

    bool Append(const std::string& path, const void* data, size_t size);
    void Close();

private:
    bool StillAtPath() const;

    std::string path_;
    intptr_t handle_ = -1;
    uint64_t device_ = 0;
    uint64_t inode_ = 0;
};

}  // namespace platform
