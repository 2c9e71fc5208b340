// A unit's part of a dump file being recorded: every packet the unit accepts
// is appended as one record (with its board and the milliseconds since the
// unit's previous record), in one write, so that the records of units
// recording into the same file at once never split each other.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>

class DumpRecording {
public:
    static constexpr size_t kPathSize = 256;

    // False (nothing changes) for a path that does not fit the file name field.
    bool Start(const std::string& path, uint32_t nowTick);
    void Stop();
    bool Active() const;
    // The file being recorded into; empty when not recording.
    std::string File() const;

    // Appends 0x01, board, the time field, the three header bytes and the L + 1 data bytes.
    void Append(uint8_t board, const uint8_t header[3], const uint8_t* data, uint32_t dataCount, uint32_t nowTick);

private:
    mutable std::mutex mutex_;
    std::string recordFileName_;
    bool recording_ = false;
    uint32_t lastRecordTick_ = 0;
};
