#include "DumpFile.h"

#include <cmath>
#include <cstdint>
#include <limits>

namespace zaqsim {

namespace {

constexpr uint8_t kFormatTwo = 0x02;
constexpr uint8_t kRecordStart = 0x01;

class DumpReader {
public:
    explicit DumpReader(std::string_view file) : file_(file) {}

    bool AtEnd() const { return at_ >= file_.size(); }
    size_t offset() const { return at_; }
    bool Byte(uint8_t& value)
    {
        if (AtEnd())
            return false;
        value = static_cast<uint8_t>(file_[at_++]);
        return true;
    }
    bool Skip(size_t count)
    {
        if (file_.size() - at_ < count)
            return false;
        at_ += count;
        return true;
    }
    bool Word32(uint32_t& value)
    {
        if (file_.size() - at_ < 4)
            return false;
        value = 0;
        for (int i = 3; i >= 0; --i)
            value = (value << 8) | static_cast<uint8_t>(file_[at_ + static_cast<size_t>(i)]);
        at_ += 4;
        return true;
    }
    // The packet from its start marker: 0x01, channel, type, L, L + 1 bytes.
    bool Packet(std::string& packet)
    {
        if (file_.size() - at_ < 3)
            return false;
        const size_t length = static_cast<uint8_t>(file_[at_ + 2]);
        if (file_.size() - at_ < 3 + length + 1)
            return false;
        packet = std::string(1, static_cast<char>(kRecordStart)) + std::string(file_.substr(at_, 3 + length + 1));
        at_ += 3 + length + 1;
        return true;
    }

private:
    std::string_view file_;
    size_t at_ = 0;
};

uint32_t ScaledGap(uint32_t gap, double timeScale)
{
    const double scaled = std::llround(gap * timeScale);
    return scaled >= std::numeric_limits<uint32_t>::max() ? std::numeric_limits<uint32_t>::max()
                                                          : static_cast<uint32_t>(scaled);
}

std::string Where(size_t offset, const char* what)
{
    return "offset " + std::to_string(offset) + ": " + what;
}

}  // namespace

DumpPlay LoadDump(std::string_view file, size_t unitCount, double timeScale)
{
    DumpPlay play;
    play.units.resize(unitCount);
    DumpReader reader(file);
    play.formatTwo = !file.empty() && static_cast<uint8_t>(file[0]) == kFormatTwo;
    if (play.formatTwo) {
        uint8_t format = 0;
        uint8_t boards = 0;
        reader.Byte(format);
        if (!reader.Byte(boards) || !reader.Skip(boards)) {
            play.error = Where(reader.offset(), "header cut short");
            return play;
        }
    }
    while (!reader.AtEnd()) {
        const size_t start = reader.offset();
        uint8_t marker = 0;
        reader.Byte(marker);
        if (marker != kRecordStart) {
            play.error = Where(start, "record does not start with 0x01");
            return play;
        }
        uint8_t board = 0;
        uint32_t gap = 0;
        std::string packet;
        if ((play.formatTwo && (!reader.Byte(board) || !reader.Word32(gap))) || !reader.Packet(packet)) {
            play.error = Where(start, "record cut short");
            return play;
        }
        ++play.records;
        if (!play.formatTwo) {
            for (std::vector<PlayItem>& unit : play.units)
                unit.push_back(PlayItem{0, packet});
        } else if (board < unitCount) {
            play.units[board].push_back(PlayItem{ScaledGap(gap, timeScale), std::move(packet)});
        } else {
            ++play.skippedRecords;
        }
    }
    return play;
}

}  // namespace zaqsim
