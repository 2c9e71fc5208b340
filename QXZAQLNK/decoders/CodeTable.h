// Small lookup tables from a message byte to an event code, which the
// decoders use instead of long branches.
#pragma once

#include <cstdint>
#include <span>

struct CodeRow {
    uint8_t key;
    uint32_t code;
};

// The code of `key`, or 0 when the table has no row for it.
inline uint32_t LookupCode(std::span<const CodeRow> table, uint8_t key)
{
    for (const CodeRow& row : table) {
        if (row.key == key) {
            return row.code;
        }
    }
    return 0;
}
