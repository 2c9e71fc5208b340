// The MD110 set's display as the decoder keeps it in a channel's display
// record: a layout chosen by the set type the set announced (three rows of
// 40, one row of 17 or four rows of 20 characters, rows split by line feeds),
// a cursor (`offset`) placed by position codes, the layout's size (`length`)
// and the display as last posted (`posted`). Writes stop at the end of the
// 1024-byte text; each operation takes the display lock (GetMessage reads on
// application threads).
#pragma once

#include <array>
#include <cstdint>

#include "decoders/DecoderContext.h"

class EricssonDisplay {
public:
    static constexpr uint32_t kChannels = DecoderContext::kChannels;
    static constexpr uint32_t kTextSize = DisplayRecord::kTextSize;
    static constexpr uint32_t kInitialLength = 120;

    explicit EricssonDisplay(DecoderContext& context);

    // The set announced its type; true when it switched to the three-row set,
    // whose display is then blanked.
    bool Announce(uint8_t channel, uint16_t setType);
    uint16_t SetType(uint8_t channel) const { return setType_[channel]; }

    // Lays the display out for the set type, puts the cursor at position
    // `code` and writes `count` characters of `bytes` (blanks when null) at
    // it, the cursor advancing up to the text's end.
    void Place(uint8_t channel, uint8_t code, const uint8_t* bytes, uint32_t count);
    // Text and the posted copy blanked, cursor home.
    void Clear(uint8_t channel);
    // Ends the text at the layout's size and, when it differs from the display
    // last posted, takes it as posted: returns the event parameter (size + 1),
    // or 0 when nothing changed.
    uint32_t TakeChanged(uint8_t channel);

private:
    static uint32_t Cursor(uint16_t setType, uint8_t code);

    DecoderContext& context_;
    std::array<uint16_t, kChannels> setType_{};
};
