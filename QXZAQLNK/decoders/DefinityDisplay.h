// The Definity set's 50-character display, written at a cursor by the PBX's
// display messages (printable text and two escape sequences). It has no timer:
// a changed display is posted when the PBX erases to the end of the display,
// or just before the next lamp event of the channel.
#pragma once

#include <array>
#include <cstdint>

#include "decoders/EventOutput.h"
#include "decoders/PhoneStatusRecorder.h"
#include "platform/Sync.h"
#include "decoders/DisplayRecord.h"

class DefinityDisplay final : public PendingDisplay {
public:
    static constexpr uint32_t kChannels = 16;
    static constexpr uint32_t kWidth = 50;
    // What GetMessage returns once a display was posted: the text and its terminator.
    static constexpr uint32_t kPostedBytes = kWidth + 1;
    // The delay that the flush trace line names.
    static constexpr uint32_t kFlushDelayMs = 400;

    DefinityDisplay(DisplayRecord (&records)[kChannels], platform::Lock& displayLock, PhoneStatusRecorder& status,
                    const EventOutput& output);

    // One display message: the bytes after its opcode, to the end of the field.
    void Write(uint8_t channel, const uint8_t* bytes, uint32_t length);

    bool IsPending(uint8_t channel) const override;
    void FlushBeforeEvent(uint8_t channel) override;

    // The write position, kept apart from the record's offset (which is what
    // GetMessage returns); at most kWidth.
    uint32_t Cursor(uint8_t channel) const { return cursor_[channel]; }

private:
    // Posts the display when it differs from the one last posted.
    void Flush(uint8_t channel);
    void StoreText(uint8_t channel, const uint8_t* bytes, uint32_t length);
    void MoveCursor(uint8_t channel, uint8_t column);
    void EraseToEnd(uint8_t channel);
    // Reads one escape sequence at bytes[0] (ESC); returns how many bytes it
    // used, or 0 when the field ends inside it.
    uint32_t Escape(uint8_t channel, const uint8_t* bytes, uint32_t length);

    DisplayRecord (&records_)[kChannels];
    platform::Lock& lock_;
    PhoneStatusRecorder& status_;
    const EventOutput& output_;
    std::array<uint32_t, kChannels> cursor_{};
};
