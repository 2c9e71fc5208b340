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

// A file held open for appending, one write per call; reopened when the path changes.
class AppendFile {
public:
    AppendFile() = default;
    ~AppendFile();
    AppendFile(const AppendFile&) = delete;
    AppendFile& operator=(const AppendFile&) = delete;

    bool Append(const std::string& path, const void* data, size_t size);
    void Close();

private:
    std::string path_;
    intptr_t handle_ = -1;
};

}  // namespace platform
