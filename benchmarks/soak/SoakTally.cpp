#include "SoakTally.h"

#include <fstream>
#include <span>
#include <sstream>

#include "common/DumpFormat.h"

namespace {

constexpr size_t kDumpBlock = 1 << 20;

}  // namespace

void SoakTally::CountEvent(uint32_t board, uint32_t channel)
{
    const uint32_t first = board * kChannels + 1;
    if (board < boards_.size() && channel >= first && channel < first + kChannels)
        ++boards_[board][channel - first].events;
    else
        ++strayEvents_;
}

bool SoakTally::ReadSentCounts(const std::string& path, std::string& error)
{
    std::ifstream file(path);
    if (!file) {
        error = path + ": no sent counts";
        return false;
    }
    std::string line;
    while (std::getline(file, line)) {
        if (line.empty() || line[0] == '#')
            continue;
        std::istringstream fields(line);
        size_t unit = 0, channel = 0;
        uint64_t sent = 0, atRisk = 0;
        if (!(fields >> unit >> channel >> sent >> atRisk)) {
            error = path + ": bad line \"" + line + "\"";
            return false;
        }
        if (unit < boards_.size() && channel < kChannels) {
            boards_[unit][channel].sent = sent;
            boards_[unit][channel].atRisk = atRisk;
        } else {
            straySent_ += sent;
        }
    }
    if (straySent_ > 0) {
        error = path + ": packets sent on channels no board has";
        return false;
    }
    return true;
}

bool SoakTally::ReadDump(const std::string& path, std::string& error)
{
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        error = path + ": no dump file";
        return false;
    }
    std::vector<uint8_t> bytes;
    bool headerRead = false;
    uint64_t offset = 0;  // of bytes[0] in the file
    for (;;) {
        const size_t kept = bytes.size();
        bytes.resize(kept + kDumpBlock);
        file.read(reinterpret_cast<char*>(bytes.data() + kept), kDumpBlock);
        bytes.resize(kept + static_cast<size_t>(file.gcount()));
        const bool atEnd = file.gcount() == 0;
        size_t at = 0;
        if (!headerRead) {
            wire::DumpHeader header;
            const wire::DumpHeaderParse parse = wire::ParseDumpHeader(bytes, header);
            if (parse == wire::DumpHeaderParse::CutShort && !atEnd)
                continue;
            if (parse != wire::DumpHeaderParse::FormatTwo || header.pbxTypes.size() != boards_.size()) {
                error = path + ": not a recording of " + std::to_string(boards_.size()) + " units";
                return false;
            }
            headerRead = true;
            at = header.size;
        }
        while (at < bytes.size()) {
            wire::DumpRecord record;
            const wire::RecordParse parse =
                wire::ParseDumpRecord(std::span<const uint8_t>(bytes).subspan(at), true, record);
            if (parse == wire::RecordParse::CutShort)
                break;
            if (parse != wire::RecordParse::Complete || record.board >= boards_.size() || record.channel >= kChannels ||
                !wire::PacketChecksumHolds(record.dataAndChecksum)) {
                error = path + ": damaged record at offset " + std::to_string(offset + at);
                return false;
            }
            ++boards_[record.board][record.channel].records;
            at += record.size;
        }
        if (atEnd) {
            if (at < bytes.size()) {
                error = path + ": the last record is cut short at offset " + std::to_string(offset + at);
                return false;
            }
            return true;
        }
        bytes.erase(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(at));
        offset += at;
    }
}

uint64_t SoakTally::Total(uint64_t ChannelCounts::*field) const
{
    uint64_t total = 0;
    for (const Board& board : boards_) {
        for (const ChannelCounts& channel : board)
            total += channel.*field;
    }
    return total;
}

std::vector<uint32_t> SoakTally::Mismatches() const
{
    std::vector<uint32_t> mismatches;
    for (const Board& board : boards_) {
        uint32_t count = 0;
        for (const ChannelCounts& channel : board)
            count += channel.Balanced() ? 0 : 1;
        mismatches.push_back(count);
    }
    return mismatches;
}
