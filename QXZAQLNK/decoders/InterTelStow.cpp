#include "decoders/InterTelStow.h"

#include <algorithm>

bool InterTelStow::Append(uint8_t channel, const uint8_t* bytes, uint32_t count)
{
    if (count == 0) {
        return true;
    }
    Stow& stow = stows_[channel];
    if (!stow.pending) {
        stow.length = 0;
    }
    if (stow.length + count > kRoom) {
        stow = Stow{};
        return false;
    }
    std::copy_n(bytes, count, stow.bytes.begin() + stow.length);
    stow.length += count;
    stow.pending = true;
    return true;
}

uint32_t InterTelStow::Take(uint8_t channel, std::array<uint8_t, kRoom>& out)
{
    Stow& stow = stows_[channel];
    const uint32_t length = stow.pending ? stow.length : 0;
    std::copy_n(stow.bytes.begin(), length, out.begin());
    stow.pending = false;
    stow.length = 0;
    return length;
}
