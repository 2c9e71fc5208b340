// CSerialPort: the COM port through which one monitoring unit is attached, a
// byte source of the unit port. Opened once by the constructor with fixed line
// settings and time-outs; bytes move with bounded calls; communication
// failures become one trace line.
// Close lets the device go while other threads may still hold the object:
// it waits for the write and the read in progress, later calls fail at once.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>

#include "platform/SerialDevice.h"
#include "platform/Sync.h"
#include "unit/ByteSource.h"

class CSerialPort final : public ByteSource {
public:
    static constexpr const char* kLineSettings = "baud=115200 parity=N data=8 stop=1";
    static constexpr size_t kPortNameSize = 20;

    // With a name, opens the port; with null nothing is opened (a playback port).
    explicit CSerialPort(const char* name);
    ~CSerialPort() override;
    CSerialPort(const CSerialPort&) = delete;
    CSerialPort& operator=(const CSerialPort&) = delete;

    uint32_t Open(const char* settings);
    // Releases the device (another port may open it at once); 1 when it was open.
    uint32_t Close() override;
    // Writes size x count bytes; returns the number written, 0 on failure.
    uint32_t OutString(const void* buffer, uint32_t size, uint32_t count);
    // Reads up to size x count bytes under the read time-outs; returns the
    // number read (0 on an idle line and on failure).
    uint32_t InString(void* buffer, uint32_t size, uint32_t count);
    uint32_t ShowError(uint32_t failed, const char* where);

    // InString whose total wait is also cut to `capMs` (when >= 0): the reader
    // thread never sleeps past its next timer.
    uint32_t InStringWithin(void* buffer, uint32_t size, uint32_t count, int64_t capMs);
    // Waits as InStringWithin does for one byte, then returns every byte that
    // has arrived, up to `size`, without waiting for more.
    uint32_t InStringArrived(void* buffer, uint32_t size, int64_t capMs);
    void PurgeInput() override;
    // Wakes a read in progress (the reader is being stopped).
    void InterruptRead() override;

    // The port as a byte source: InStringArrived and OutString.
    size_t Read(void* buffer, size_t size, int64_t capMs) override;
    size_t Write(const void* bytes, size_t size) override;

    bool IsOpen() const override { return isOpen.load() != 0; }
    // True when the last read failed (the device is gone), as opposed to an idle line.
    bool LastReadFailed() const override { return lastReadFailed; }
    const char* GetPortName() const { return portName; }

    // Replaces the device (tests hand in an in-memory one) and treats the port as open.
    void AttachDevice(std::unique_ptr<platform::SerialDevice> device);

protected:
    bool LockPort();
    // Puts `device` in place of the present one (under the read and handle
    // locks) and returns the one it replaced.
    std::unique_ptr<platform::SerialDevice> ReplaceDevice(std::unique_ptr<platform::SerialDevice> device);
    void UnlockPort();
    // One read of the device under the read lock; a failure is traced once.
    template <typename DeviceRead>
    uint32_t Receive(const DeviceRead& read);

    platform::Lock portLock{1};       // serialises writers
    std::mutex readMutex;             // serialises readers (only the reader thread reads)
    // Guards `handle` for the short calls that may run beside a read (purge,
    // interrupt, error query). Replacing it takes portLock, readMutex, then this.
    std::mutex handleMutex;
    platform::LineSettings dcb;
    std::unique_ptr<platform::SerialDevice> handle;
    char portName[kPortNameSize] = {};
    char errorText[128] = {};
    std::atomic<uint32_t> errorReported{0};
    uint32_t openStep = 0;
    std::atomic<uint32_t> isOpen{0};
    std::atomic<bool> lastReadFailed{false};
};
