// Follows the library's trace log as it grows: counts the lines that mean a
// lost event and tells which COM ports reported a failure since last asked.
#pragma once

#include <cstdint>
#include <set>
#include <string>

class TraceWatch {
public:
    explicit TraceWatch(std::string path) : path_(std::move(path)) {}

    // Reads what was added since the last call; the numbers (1 for COM1 ...)
    // of the ports with a "\\.\COMn Error" line among it.
    std::set<uint32_t> Read();
    // "!!!! Timed Out !!!" lines: an event the library could not deliver.
    uint64_t LostEventLines() const { return lostEventLines_; }
    // "... Read fails ..." lines: a packet the line paused inside, dropped.
    uint64_t CutPacketLines() const { return cutPacketLines_; }

private:
    void Take(const std::string& line, std::set<uint32_t>& failedPorts);

    std::string path_;
    uint64_t offset_ = 0;
    std::string partial_;  // a line not yet ended
    uint64_t lostEventLines_ = 0;
    uint64_t cutPacketLines_ = 0;
};
