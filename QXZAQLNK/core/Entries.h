// The bodies of the exported entries. The exported C functions of the same
// names (ExportedEntries.cpp) run them under the library's exception guard;
// inside the library one entry may call another's body directly.
#pragma once

#include <cstdint>

#include "qxzaqlnk.h"

namespace entry {

#define QXZAQ_ENTRY(name, params, args) uint32_t name params;
#include "core/Entries.inc"
#undef QXZAQ_ENTRY

}  // namespace entry
