// A limit on the size of the files this process writes, for as long as the
// object lives: a write that would pass it fails (or is cut short) as on a
// full disk, instead of ending the process. Linux only (tests and tools).
#pragma once

#include <cstdint>

namespace platform {

class FileSizeLimit {
public:
    explicit FileSizeLimit(uint64_t bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

    // False when the system refused the limit (nothing changed then).
    bool Applied() const { return applied_; }

private:
    uint64_t oldLimit_ = 0;
    void (*oldHandler_)(int) = nullptr;
    bool applied_ = false;
};

}  // namespace platform
