// The COM port of a unit: opening it with its settings, bounded reads and
// writes, failure traces.
#include "unit/SerialPort.h"

#include <cstdio>
#include <cstring>

#include "base/Trace.h"
#include "unit/CommSettings.h"

namespace {

// The device's time-outs: a read ends when the line has been quiet for 100 ms
// after a byte, or after 250 ms + 50 ms per byte asked for; a write may take
// 50 ms per byte. Writers wait at most 3 s for each other.
constexpr uint32_t kReadIntervalMs = 100;
constexpr uint32_t kReadTotalMultiplierMs = 50;
constexpr uint32_t kReadTotalConstantMs = 250;
constexpr uint32_t kWriteTotalMultiplierMs = 50;
constexpr uint32_t kPortLockWaitMs = 3000;

}  // namespace

CSerialPort::CSerialPort(const char* name)
{
    if (name == nullptr) {
        return;
    }
    if (std::strlen(name) >= kPortNameSize) {
        Trace(TRACE_ERROR, "CSerialPort", "Port name too long: %s\n", name);
        return;
    }
    std::snprintf(portName, sizeof portName, "%s", name);
    Open(kLineSettings);
}

CSerialPort::~CSerialPort()
{
    Close();
}

uint32_t CSerialPort::Open(const char* settings)
{
    openStep = 0;
    uint32_t error = 0;
    std::unique_ptr<platform::SerialDevice> device = platform::OpenSerialDevice(portName, error);
    if (!device) {
        return isOpen;
    }
    ReplaceDevice(std::move(device));
    if (ShowError(0, "OpenComm") != 0) {
        return isOpen;
    }
    openStep = 1;

    dcb = platform::LineSettings{};
    if (ShowError(BuildLineSettings(settings != nullptr ? settings : "", dcb) ? 0 : 1, "BuildCommDCB") != 0) {
        return isOpen;
    }
    openStep = 2;

    if (ShowError(handle->Configure(dcb) ? 0 : 1, "SetCommState") != 0) {
        return isOpen;
    }
    openStep = 3;

    platform::SerialTimeouts timeouts = handle->GetTimeouts();
    timeouts.readInterval = kReadIntervalMs;
    timeouts.readTotalMultiplier = kReadTotalMultiplierMs;
    timeouts.readTotalConstant = kReadTotalConstantMs;
    timeouts.writeTotalMultiplier = kWriteTotalMultiplierMs;
    handle->SetTimeouts(timeouts);
    openStep = 4;

    isOpen = 1;
    handle->Purge(true, true);
    return isOpen;
}

uint32_t CSerialPort::Close()
{
    // The write in progress ends within its time-out; one that does not
    // leaves the device to the destructor rather than pulling it away.
    if (!LockPort()) {
        Trace(TRACE_WARNING, "CSerialPort", "Close %s: a write still runs; the device is kept\n", portName);
        return 0;
    }
    const uint32_t wasOpen = isOpen.exchange(0);
    // A device opened half way is released too.
    const bool hadHandle = ReplaceDevice(nullptr) != nullptr;
    UnlockPort();
    return wasOpen != 0 && hadHandle ? 1 : 0;
}

std::unique_ptr<platform::SerialDevice> CSerialPort::ReplaceDevice(std::unique_ptr<platform::SerialDevice> device)
{
    std::lock_guard<std::mutex> reading(readMutex);
    std::lock_guard<std::mutex> guard(handleMutex);
    std::swap(handle, device);
    return device;
}

bool CSerialPort::LockPort()
{
    return platform::AcquireWithin(portLock, kPortLockWaitMs);
}

void CSerialPort::UnlockPort()
{
    portLock.release();
}

uint32_t CSerialPort::OutString(const void* buffer, uint32_t size, uint32_t count)
{
    if (isOpen == 0) {
        return 0;
    }
    if (!LockPort()) {
        return 0;
    }
    // Close takes the port lock: the device cannot go during the write.
    if (!handle) {
        UnlockPort();
        return 0;
    }
    const platform::IoResult result = handle->Write(buffer, static_cast<size_t>(size) * count);
    UnlockPort();
    if (result.error != 0) {
        ShowError(1, "OutString");
        return 0;
    }
    return static_cast<uint32_t>(result.bytes);
}

uint32_t CSerialPort::InString(void* buffer, uint32_t size, uint32_t count)
{
    return InStringWithin(buffer, size, count, -1);
}

template <typename DeviceRead>
uint32_t CSerialPort::Receive(const DeviceRead& read)
{
    if (isOpen == 0) {
        return 0;
    }
    platform::IoResult result;
    {
        std::lock_guard<std::mutex> guard(readMutex);
        if (!handle) {
            return 0;
        }
        result = read(*handle);
    }
    lastReadFailed = result.error != 0;
    if (result.error != 0) {
        // A vanished device fails every read: say so once, until the latch is cleared.
        if (errorReported == 0) {
            Trace(TRACE_ERROR, "ShowError", "0x%x\n", result.error);
        }
        ShowError(1, "OutString");
        return 0;
    }
    return static_cast<uint32_t>(result.bytes);
}

uint32_t CSerialPort::InStringWithin(void* buffer, uint32_t size, uint32_t count, int64_t capMs)
{
    return Receive([&](platform::SerialDevice& device) {
        return device.Read(buffer, static_cast<size_t>(size) * count, capMs);
    });
}

uint32_t CSerialPort::InStringArrived(void* buffer, uint32_t size, int64_t capMs)
{
    return Receive([&](platform::SerialDevice& device) { return device.ReadArrived(buffer, size, capMs); });
}

uint32_t CSerialPort::ShowError(uint32_t failed, const char* where)
{
    bool cleared = false;
    {
        std::lock_guard<std::mutex> guard(handleMutex);
        cleared = handle != nullptr && handle->ClearError();
        if (cleared) {
            handle->Purge(true, false);
        }
    }
    if (failed == 0 && !cleared) {
        errorReported = 0;
        return 0;
    }
    if (cleared) {
        return 0;
    }
    // The reader and a writer may both fail on a vanished device: one of them reports it.
    if (errorReported.exchange(1) != 0) {
        return 1;
    }
    char text[sizeof errorText];
    std::snprintf(text, sizeof text, "%s %s Error %u Get Error %d", where, portName, failed, cleared ? 1 : 0);
    {
        std::lock_guard<std::mutex> guard(handleMutex);
        std::memcpy(errorText, text, sizeof errorText);
    }
    Trace(TRACE_ERROR, "ShowError", "%s\n", text);
    return 1;
}

size_t CSerialPort::Read(void* buffer, size_t size, int64_t capMs)
{
    return InStringArrived(buffer, static_cast<uint32_t>(size), capMs);
}

size_t CSerialPort::Write(const void* bytes, size_t size)
{
    return OutString(bytes, 1, static_cast<uint32_t>(size));
}

void CSerialPort::PurgeInput()
{
    // Not under the read lock: the device lets a read in progress drop what it holds.
    std::lock_guard<std::mutex> guard(handleMutex);
    if (isOpen != 0 && handle) {
        handle->Purge(true, false);
    }
}

void CSerialPort::InterruptRead()
{
    std::lock_guard<std::mutex> guard(handleMutex);
    if (handle) {
        handle->Interrupt();
    }
}

void CSerialPort::AttachDevice(std::unique_ptr<platform::SerialDevice> device)
{
    const bool present = device != nullptr;
    ReplaceDevice(std::move(device));
    isOpen = present ? 1 : 0;
    openStep = present ? 4 : 0;
}
