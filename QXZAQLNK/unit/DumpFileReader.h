// The byte source of a playback port: a dump file read in large blocks and
// handed out from memory, a byte or a field at a time, so that playing a
// record costs no library call per field.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <vector>

class DumpFileReader {
public:
    static constexpr size_t kBlockSize = 64 * 1024;
    // The longest piece Take hands out in one go (a whole record is 265 bytes).
    static constexpr size_t kLongestPiece = 512;

    explicit DumpFileReader(size_t blockSize = kBlockSize);
    ~DumpFileReader();
    DumpFileReader(const DumpFileReader&) = delete;
    DumpFileReader& operator=(const DumpFileReader&) = delete;

    // Opens the file and reads its header: a format-2 file's version byte,
    // unit count and type bytes are passed over, an older file is read from
    // its first byte. False when the file cannot be opened.
    bool Open(const char* path);
    void Close();
    bool IsOpen() const { return file_ != nullptr; }
    // Format 2: every record carries its board and time fields.
    bool HasBoardField() const { return hasBoardField_; }

    // The next byte; false at the end of the file or on a read error.
    bool NextByte(uint8_t& byte);
    // The next `count` bytes (at most kLongestPiece) in one piece, valid until
    // the next call; null when the file ends first, whose rest is then used up.
    const uint8_t* Take(size_t count);
    // A read of the file failed (as opposed to its ending).
    bool Failed() const { return failed_; }

private:
    // Moves what is left to the front and fills the buffer behind it; false
    // when nothing more came.
    bool Refill();

    std::FILE* file_ = nullptr;
    std::vector<uint8_t> buffer_;
    size_t position_ = 0;
    size_t end_ = 0;
    bool hasBoardField_ = false;
    bool failed_ = false;
};
