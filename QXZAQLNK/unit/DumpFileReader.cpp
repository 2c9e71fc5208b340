// The dump file of a playback, read in large blocks.
#include "unit/DumpFileReader.h"

#include <algorithm>
#include <cstring>
#include <span>

#include "common/DumpFormat.h"

static_assert(DumpFileReader::kLongestPiece >= wire::kLongestDumpHeader, "a header is read from one block");

DumpFileReader::DumpFileReader(size_t blockSize) : buffer_(std::max(blockSize, kLongestPiece)) {}

DumpFileReader::~DumpFileReader()
{
    Close();
}

bool DumpFileReader::Open(const char* path)
{
    Close();
    file_ = std::fopen(path, "rb");
    if (file_ == nullptr) {
        return false;
    }
    // The whole header (or the whole of a shorter file) in memory at once.
    while (end_ < wire::kLongestDumpHeader && Refill()) {
    }
    wire::DumpHeader header;
    switch (wire::ParseDumpHeader(std::span<const uint8_t>(buffer_.data(), end_), header)) {
    case wire::DumpHeaderParse::FormatTwo:
        hasBoardField_ = true;
        position_ = header.size;
        break;
    case wire::DumpHeaderParse::CutShort:
        // No record follows a header cut short: the playback ends at once.
        hasBoardField_ = true;
        position_ = end_;
        break;
    case wire::DumpHeaderParse::OldFormat:
        // Records from the first byte.
        position_ = 0;
        break;
    }
    return true;
}

void DumpFileReader::Close()
{
    if (file_ != nullptr) {
        std::fclose(file_);
        file_ = nullptr;
    }
    position_ = 0;
    end_ = 0;
    hasBoardField_ = false;
    failed_ = false;
}

bool DumpFileReader::NextByte(uint8_t& byte)
{
    if (position_ == end_ && !Refill()) {
        return false;
    }
    byte = buffer_[position_++];
    return true;
}

const uint8_t* DumpFileReader::Take(size_t count)
{
    if (count > kLongestPiece) {
        return nullptr;
    }
    while (end_ - position_ < count) {
        if (!Refill()) {
            position_ = end_;
            return nullptr;
        }
    }
    const uint8_t* piece = buffer_.data() + position_;
    position_ += count;
    return piece;
}

bool DumpFileReader::Refill()
{
    if (file_ == nullptr || failed_) {
        return false;
    }
    const size_t left = end_ - position_;
    std::memmove(buffer_.data(), buffer_.data() + position_, left);
    position_ = 0;
    end_ = left;
    const size_t read = std::fread(buffer_.data() + end_, 1, buffer_.size() - end_, file_);
    end_ += read;
    if (read == 0 && std::ferror(file_)) {
        failed_ = true;
    }
    return read > 0;
}
