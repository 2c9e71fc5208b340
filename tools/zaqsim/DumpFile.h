// Dump files as the library records them, turned into what each simulated unit
// sends. Format 2: 0x02, N, N PBX type bytes, then records of 0x01, board,
// 4-byte little-endian milliseconds since that board's previous record, channel,
// type, L, L payload bytes and the checksum. The old format has no header and
// its records lack the board and the time: 0x01, channel, type, L, L + 1 bytes.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "PlayItem.h"

namespace zaqsim {

struct DumpPlay {
    std::vector<std::vector<PlayItem>> units;  // one list per simulated unit
    bool formatTwo = false;
    size_t records = 0;         // records read
    size_t skippedRecords = 0;  // format 2: records of a board that is not simulated
    std::string error;          // empty, or why reading stopped early (what came before is kept)
};

// Format-2 records go to the unit whose index is the record's board byte, each
// after its recorded gap times `timeScale` (1 as recorded, 0 none). Old-format
// records carry neither board nor time: every unit plays every one, without gaps.
// Records are sent exactly as recorded, checksum included.
DumpPlay LoadDump(std::string_view file, size_t unitCount, double timeScale = 1.0);

}  // namespace zaqsim
