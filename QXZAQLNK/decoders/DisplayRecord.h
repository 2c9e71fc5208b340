// The per-channel display record that decoders fill and GetMessage reads.
#pragma once

#include <cstdint>

struct DisplayRecord {
    static constexpr uint32_t kTextSize = 1024;

    uint32_t pending = 0;   // 0: nothing waiting; else a decoder's kind of deferred display event
    uint32_t offset = 0;    // bytes GetMessage returns; also the write position of cursor decoders
    uint32_t length = 0;    // the text's length, for decoders that track it apart from offset
    uint32_t auxCount = 0;
    char auxText[kTextSize] = {};
    char text[kTextSize] = {};
    char posted[kTextSize] = {};
};
