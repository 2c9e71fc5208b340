// Fuzz entry: the input is a dump file. It is played, as fast as it goes
// (time mode 0), on a playback port of each board its header names (at most
// four; an ISDN board's port decodes with a BRI, the others play without a
// decoder, whose targets are separate), driven step by step as the reader
// thread does. Each playback must end, with exactly one QXEVT_FINISHED_PLAY.
//
// The same file is then read through a DumpFileReader with the smallest
// block in a mixed series of bytes and pieces, each compared with the file.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "FuzzRequire.h"
#include "isdn/monitor/IsdnMonitor.h"
#include "isdn/port/BRI.h"
#include "support/TempDir.h"
#include "unit/DumpFileReader.h"
#include "unit/ZAQ16PORT.h"

namespace {

constexpr uint8_t kFormat2 = 0x02;
constexpr size_t kMostBoardsPlayed = 4;

class FinishCounter : public EventSink {
public:
    uint32_t Post(const ZAQ16_EVENT& event) override
    {
        if (event.eventCode == QXEVT_FINISHED_PLAY) {
            ++finished;
        }
        return 0;
    }
    uint32_t finished = 0;
};

// The PBX type of each board the file's header names (one board of unknown
// type for a file without a header).
std::vector<uint32_t> BoardTypes(const uint8_t* data, size_t size)
{
    if (size < 2 || data[0] != kFormat2) {
        return {ZAQ16_PBX_UNKNOWN};
    }
    std::vector<uint32_t> types;
    for (size_t board = 0; board < data[1] && board < kMostBoardsPlayed; ++board) {
        types.push_back(2 + board < size ? data[2 + board] : ZAQ16_PBX_UNKNOWN);
    }
    return types;
}

void PlayOnBoard(const std::string& path, uint32_t board, uint32_t pbxType, size_t fileSize,
                 const std::shared_ptr<isdn::IsdnMonitor>& monitor)
{
    FinishCounter sink;
    ZAQ16PORT::DecoderMaker maker;
    if (pbxType == ZAQ16_PBX_BRID) {
        maker = [&monitor](DecoderContext& context) -> std::unique_ptr<Decoder> {
            return std::make_unique<BRI>(context, monitor);
        };
    }
    ZAQ16PORT port(nullptr, board * ZAQ16PORT::kChannels + 1, sink, maker);
    port.timeMode = 0;
    fuzz::Require(port.PlayDumpFile(path.c_str()) == ZAQ16_RET_SUCCESS);
    // Every step takes at least one byte of the file or ends the playback.
    size_t steps = 0;
    while (port.Step()) {
        fuzz::Require(++steps <= fileSize + 1);
    }
    fuzz::Require(sink.finished == 1);
}

// A small generator of the read series, the same for the same input.
class Series {
public:
    explicit Series(size_t seed) : state_(static_cast<uint32_t>(seed) * 2654435761u + 1) {}
    uint32_t Next()
    {
        state_ = state_ * 1664525u + 1013904223u;
        return state_ >> 8;
    }

private:
    uint32_t state_;
};

void ReadInPieces(const std::string& path, const uint8_t* data, size_t size)
{
    DumpFileReader reader(1);
    fuzz::Require(reader.Open(path.c_str()));
    // A format-2 header (version, unit count, a type per unit) is passed over.
    size_t at = 0;
    if (size > 0 && data[0] == kFormat2) {
        at = size < 2 ? size : std::min(size, 2 + static_cast<size_t>(data[1]));
    }
    fuzz::Require(reader.HasBoardField() == (size > 0 && data[0] == kFormat2));
    Series series(size);
    for (size_t reads = 0; reads < size / 8 + 16; ++reads) {
        const uint32_t choice = series.Next();
        if (choice % 3 == 0) {
            uint8_t byte = 0;
            const bool got = reader.NextByte(byte);
            fuzz::Require(got == (at < size));
            if (got) {
                fuzz::Require(byte == data[at++]);
            }
            continue;
        }
        const size_t count = (choice >> 2) % (DumpFileReader::kLongestPiece + 40);
        const uint8_t* piece = reader.Take(count);
        if (count > DumpFileReader::kLongestPiece) {
            fuzz::Require(piece == nullptr);
        } else if (at + count <= size) {
            fuzz::Require(piece != nullptr && (count == 0 || std::memcmp(piece, data + at, count) == 0));
            at += count;
        } else {
            fuzz::Require(piece == nullptr);
            at = size;
        }
    }
    fuzz::Require(!reader.Failed());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static TempDir directory;
    const std::string path = directory.File("input.dmp");
    {
        std::ofstream file(path, std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    auto monitor = std::make_shared<isdn::IsdnMonitor>();
    const std::vector<uint32_t> types = BoardTypes(data, size);
    for (uint32_t board = 0; board < types.size(); ++board) {
        PlayOnBoard(path, board, types[board], size, monitor);
    }
    ReadInPieces(path, data, size);
    return 0;
}
