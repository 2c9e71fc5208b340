// Where a unit port's bytes come from and where its commands go: the unit's
// serial line, or bytes in memory that a test hands in. Every read is bounded.
#pragma once

#include <cstddef>
#include <cstdint>

class ByteSource {
public:
    virtual ~ByteSource() = default;

    // Up to `size` bytes of what has arrived, waiting no longer than the
    // source's own bounds, cut further to `capMs` when that is >= 0. 0 when
    // nothing came, and when the read failed (LastReadFailed() then says so).
    virtual size_t Read(void* buffer, size_t size, int64_t capMs) = 0;
    // Writes all `size` bytes; returns the number written (0: not sent).
    virtual size_t Write(const void* bytes, size_t size) = 0;
    // Lets the line go: later reads and writes fail at once. 1 when it was open.
    virtual uint32_t Close() = 0;
    virtual bool IsOpen() const = 0;
    // The last read failed (the line has gone), as opposed to an idle line.
    virtual bool LastReadFailed() const = 0;
    // Makes a read in progress, or the next one, return at once.
    virtual void InterruptRead() = 0;
    // Drops what has arrived and not been read.
    virtual void PurgeInput() = 0;
};
