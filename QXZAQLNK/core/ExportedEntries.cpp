// The exported C functions: each runs its body under GuardedEntry (a C++
// exception becomes a FATAL trace line and ZAQ16_RET_FAILED).
#include "core/Entries.h"
#include "base/Guarded.h"

#define QXZAQ_ENTRY(name, params, args)                                      \
    extern "C" QXZAQ_API uint32_t QXZAQ_CALL name params                     \
    {                                                                        \
        return GuardedEntry(#name, [&]() -> uint32_t { return entry::name args; }); \
    }
#include "core/Entries.inc"
#undef QXZAQ_ENTRY
