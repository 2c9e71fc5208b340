// A serial device as the unit port needs it: bounded reads with the COM port
// time-out rules, writes, purge, an error query, and a way to wake a blocked read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace platform {

struct LineSettings {
    uint32_t baud = 0;
    char parity = 'N';        // 'N', 'E', 'O', 'M', 'S'
    uint32_t dataBits = 8;
    uint32_t stopBits = 1;    // 1 or 2
};

// Read: returns what has arrived once `readInterval` ms pass between two bytes
// (after the first) or `readTotalMultiplier` x n + `readTotalConstant` ms pass in
// all. Write: bounded by `writeTotalMultiplier` x n + `writeTotalConstant` ms
// (0 and 0: unbounded).
struct SerialTimeouts {
    uint32_t readInterval = 0;
    uint32_t readTotalMultiplier = 0;
    uint32_t readTotalConstant = 0;
    uint32_t writeTotalMultiplier = 0;
    uint32_t writeTotalConstant = 0;
};

struct IoResult {
    size_t bytes = 0;
    uint32_t error = 0;       // 0, or the system's error code (the transfer failed)
};

class SerialDevice {
public:
    virtual ~SerialDevice() = default;

    virtual bool Configure(const LineSettings& settings) = 0;
    virtual SerialTimeouts GetTimeouts() const = 0;
    virtual void SetTimeouts(const SerialTimeouts& timeouts) = 0;

    // Reads up to `size` bytes under the time-outs; `capMs` (when >= 0) shortens
    // the total wait further. A time-out is not an error.
    virtual IoResult Read(void* buffer, size_t size, int64_t capMs) = 0;
    // Waits as Read does for one byte, then returns what has arrived (up to
    // `size` bytes) without waiting for more: the reader takes a burst in one
    // call. A device that cannot tell what has arrived hands over one byte.
    virtual IoResult ReadArrived(void* buffer, size_t size, int64_t capMs)
    {
        return Read(buffer, size > 0 ? 1 : 0, capMs);
    }
    virtual IoResult Write(const void* buffer, size_t size) = 0;
    virtual bool Purge(bool receive, bool transmit) = 0;
    // Clears the device's error state; false when the device is gone (closed,
    // vanished, hung up).
    virtual bool ClearError() = 0;
    // Makes a Read that is blocked, or the next one, return at once.
    virtual void Interrupt() = 0;
};

// Opens the device of a port name or device path ("\\.\COM3", "COM3",
// "/dev/ttyUSB0") for exclusive use. On failure returns null and sets `error`
// to the system's error code.
std::unique_ptr<SerialDevice> OpenSerialDevice(const std::string& name, uint32_t& error);

// The file system path that a port name resolves to: an absolute path as is;
// else $QXZAQ_COMDIR/<name> when that is set; else COMn -> /dev/ttyS<n-1>;
// else /dev/<name>. A leading "\\.\" is removed first. On Windows: a bare
// port name ("COM3") gets the device prefix ("\\.\COM3"), any other name is kept.
std::string ResolveSerialPath(const std::string& name);

}  // namespace platform
