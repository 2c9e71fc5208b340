// How the viewer (and the console monitor) name each PBX type code.
#pragma once

#include <cstdint>

// "PBX is NORTEL MERIDIAND" ...; "UNKNOWN" for a code outside the table.
const char* PbxText(uint32_t pbxType);
