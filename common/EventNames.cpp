#include "common/EventNames.h"

#include <algorithm>
#include <array>

#include "qxzaqlnk.h"

namespace {

struct NamedCode {
    uint32_t code;
    const char* name;
};

// Sorted by code: the call events, the phone events, then the named-lamp grid.
constexpr NamedCode kNames[] = {
#include "common/EventNames.inc"
};

constexpr bool SortedByCode()
{
    for (size_t i = 1; i < std::size(kNames); ++i) {
        if (kNames[i - 1].code >= kNames[i].code) {
            return false;
        }
    }
    return true;
}
static_assert(SortedByCode(), "the name table is sorted by code");

}  // namespace

const char* EventName(uint32_t code)
{
    const auto* end = std::end(kNames);
    const auto* found =
        std::lower_bound(std::begin(kNames), end, code, [](const NamedCode& entry, uint32_t value) {
            return entry.code < value;
        });
    return found != end && found->code == code ? found->name : nullptr;
}
