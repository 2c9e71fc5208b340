// The serial device on a COM port handle. Reads and writes are overlapped so
// that a write, a purge or an error query never waits behind the reader's read
// (a synchronous handle serialises every call on it), and so that a read can be
// woken. The port's COMMTIMEOUTS bound every read and write in the driver; the
// waits here carry the same bounds, so nothing waits longer if a driver does
// not keep them. Reads are buffered: what the driver has queued is taken in one
// call, so the reader's byte-by-byte requests cost no system call while data flows.
#include "platform/SerialDevice.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cstring>
#include <mutex>
#include <set>
#include <vector>

#include <windows.h>

namespace platform {

namespace {

constexpr size_t kReceiveBufferSize = 64 * 1024;
// The driver queues of the unit's port: a fully loaded unit never overruns them.
constexpr DWORD kInputQueueSize = 64756;
constexpr DWORD kOutputQueueSize = 10240;
// A read of bytes the driver already holds completes at once; this only bounds it.
constexpr DWORD kQueuedReadLimitMs = 1000;
// A write that the time-outs leave unbounded still gives up after this long.
constexpr int64_t kUnboundedWriteLimitMs = 10000;
// The driver ends a timed-out transfer itself; this is how long it may be late.
constexpr DWORD kDriverGraceMs = 200;

struct ParityCode {
    char letter;
    BYTE code;
};

constexpr ParityCode kParities[] = {
    {'N', NOPARITY}, {'O', ODDPARITY}, {'E', EVENPARITY}, {'M', MARKPARITY}, {'S', SPACEPARITY},
};

bool ParityOf(char letter, BYTE& code)
{
    for (const ParityCode& entry : kParities) {
        if (entry.letter == letter) {
            code = entry.code;
            return true;
        }
    }
    return false;
}

// Windows refuses a second open of a COM port; Wine does not. The ports open
// in this process are kept here so that two boards never share one port.
class OpenPorts {
public:
    bool Claim(const std::string& path)
    {
        std::lock_guard<std::mutex> guard(mutex_);
        return names_.insert(Normalised(path)).second;
    }
    void Release(const std::string& path)
    {
        std::lock_guard<std::mutex> guard(mutex_);
        names_.erase(Normalised(path));
    }

private:
    static std::string Normalised(std::string path)
    {
        std::transform(path.begin(), path.end(), path.begin(),
                       [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
        return path;
    }
    std::mutex mutex_;
    std::set<std::string> names_;
};

OpenPorts& PortsOpen()
{
    static OpenPorts ports;
    return ports;
}

// One overlapped transfer, waited for up to `limitMs` (and for `wake` when
// given); a transfer still running then is cancelled. The bytes moved are in
// `moved` whether the transfer completed, timed out or was cancelled.
DWORD Transfer(HANDLE port, HANDLE done, HANDLE wake, bool reading, void* buffer, DWORD size, DWORD limitMs,
               DWORD& moved)
{
    moved = 0;
    OVERLAPPED overlapped{};
    overlapped.hEvent = done;
    ResetEvent(done);
    const BOOL started = reading ? ReadFile(port, buffer, size, nullptr, &overlapped)
                                 : WriteFile(port, buffer, size, nullptr, &overlapped);
    if (!started) {
        const DWORD error = GetLastError();
        if (error != ERROR_IO_PENDING) {
            return error;
        }
        HANDLE waits[2] = {done, wake};
        const DWORD outcome = WaitForMultipleObjects(wake != nullptr ? 2 : 1, waits, FALSE, limitMs);
        if (outcome != WAIT_OBJECT_0) {
            CancelIoEx(port, &overlapped);
        }
    }
    // After a cancel this waits only for the driver to hand the request back;
    // bytes that arrived in the meantime are counted, not lost. A transfer the
    // driver's time-out ended is no failure (Wine reports it as ERROR_TIMEOUT).
    if (!GetOverlappedResult(port, &overlapped, &moved, TRUE)) {
        const DWORD error = GetLastError();
        if (error != ERROR_OPERATION_ABORTED && error != ERROR_TIMEOUT) {
            return error;
        }
    }
    return 0;
}

class Win32SerialDevice final : public SerialDevice {
public:
    Win32SerialDevice(HANDLE port, HANDLE readDone, HANDLE writeDone, HANDLE wake, std::string path)
        : port_(port),
          readDone_(readDone),
          writeDone_(writeDone),
          wake_(wake),
          path_(std::move(path)),
          buffer_(kReceiveBufferSize)
    {
        COMMTIMEOUTS current{};
        if (GetCommTimeouts(port_, &current)) {
            timeouts_ = FromComm(current);
        }
    }

    ~Win32SerialDevice() override
    {
        CancelIoEx(port_, nullptr);
        CloseHandle(port_);
        CloseHandle(readDone_);
        CloseHandle(writeDone_);
        CloseHandle(wake_);
        PortsOpen().Release(path_);
    }

    bool Configure(const LineSettings& settings) override
    {
        DCB dcb{};
        dcb.DCBlength = sizeof dcb;
        // The driver's own values for what the settings do not name (the
        // XON/XOFF characters and limits must be valid even with flow control off).
        GetCommState(port_, &dcb);
        dcb.DCBlength = sizeof dcb;
        BYTE parity = NOPARITY;
        if (settings.baud == 0 || settings.dataBits < 5 || settings.dataBits > 8 ||
            (settings.stopBits != 1 && settings.stopBits != 2) || !ParityOf(settings.parity, parity)) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return false;
        }
        dcb.BaudRate = settings.baud;
        dcb.ByteSize = static_cast<BYTE>(settings.dataBits);
        dcb.Parity = parity;
        dcb.StopBits = settings.stopBits == 2 ? TWOSTOPBITS : ONESTOPBIT;
        dcb.fBinary = TRUE;
        dcb.fParity = parity != NOPARITY;
        // No flow control of any kind: XON/XOFF would swallow 0x11 and 0x13
        // inside packets, and the unit drives no handshake lines.
        dcb.fOutxCtsFlow = FALSE;
        dcb.fOutxDsrFlow = FALSE;
        dcb.fDsrSensitivity = FALSE;
        dcb.fOutX = FALSE;
        dcb.fInX = FALSE;
        dcb.fTXContinueOnXoff = TRUE;
        dcb.fErrorChar = FALSE;
        dcb.fNull = FALSE;
        dcb.fAbortOnError = FALSE;
        dcb.fDtrControl = DTR_CONTROL_ENABLE;
        dcb.fRtsControl = RTS_CONTROL_ENABLE;
        return SetCommState(port_, &dcb) != FALSE;
    }

    SerialTimeouts GetTimeouts() const override
    {
        std::lock_guard<std::mutex> guard(timeoutsMutex_);
        return timeouts_;
    }

    void SetTimeouts(const SerialTimeouts& timeouts) override
    {
        COMMTIMEOUTS comm{};
        comm.ReadIntervalTimeout = timeouts.readInterval;
        comm.ReadTotalTimeoutMultiplier = timeouts.readTotalMultiplier;
        comm.ReadTotalTimeoutConstant = timeouts.readTotalConstant;
        comm.WriteTotalTimeoutMultiplier = timeouts.writeTotalMultiplier;
        comm.WriteTotalTimeoutConstant = timeouts.writeTotalConstant;
        std::lock_guard<std::mutex> guard(timeoutsMutex_);
        SetCommTimeouts(port_, &comm);
        timeouts_ = timeouts;
    }

    IoResult Read(void* out, size_t size, int64_t capMs) override
    {
        std::lock_guard<std::mutex> guard(readMutex_);
        DropBufferIfPurged();
        auto* bytes = static_cast<uint8_t*>(out);
        IoResult result;
        result.bytes = TakeBuffered(bytes, size);
        if (result.bytes == size) {
            return result;
        }
        result.error = FillFromQueue();
        result.bytes += TakeBuffered(bytes + result.bytes, size - result.bytes);
        if (result.error != 0 || result.bytes == size) {
            return result;
        }
        // Nothing more is queued: wait in the driver under the time-outs. With
        // some bytes in hand only the interval between bytes is left to wait.
        const SerialTimeouts timeouts = GetTimeouts();
        const size_t remaining = size - result.bytes;
        int64_t limit = result.bytes > 0 ? timeouts.readInterval
                                         : static_cast<int64_t>(timeouts.readTotalMultiplier) * remaining +
                                               timeouts.readTotalConstant;
        if (capMs >= 0 && capMs < limit) {
            limit = capMs;
        }
        if (limit <= 0) {
            return result;
        }
        DWORD moved = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(remaining, 0x40000000u));
        result.error = Transfer(port_, readDone_, wake_, true, bytes + result.bytes, chunk,
                                static_cast<DWORD>(limit), moved);
        result.bytes += moved;
        if (result.error != 0) {
            vanished_ = true;
        }
        return result;
    }

    IoResult Write(const void* data, size_t size) override
    {
        std::lock_guard<std::mutex> guard(writeMutex_);
        const SerialTimeouts timeouts = GetTimeouts();
        int64_t total = static_cast<int64_t>(timeouts.writeTotalMultiplier) * static_cast<int64_t>(size) +
                        timeouts.writeTotalConstant;
        if (total <= 0 || total > kUnboundedWriteLimitMs) {
            total = kUnboundedWriteLimitMs;
        }
        IoResult result;
        const auto* bytes = static_cast<const uint8_t*>(data);
        while (result.bytes < size) {
            const DWORD chunk = static_cast<DWORD>(std::min<size_t>(size - result.bytes, 0x40000000u));
            DWORD moved = 0;
            result.error = Transfer(port_, writeDone_, nullptr, false, const_cast<uint8_t*>(bytes + result.bytes),
                                    chunk, static_cast<DWORD>(total) + kDriverGraceMs, moved);
            result.bytes += moved;
            if (result.error != 0 || moved < chunk) {
                break;  // failed, or the write time-out has passed
            }
        }
        return result;
    }

    bool Purge(bool receive, bool transmit) override
    {
        // The reader may be inside a read: it drops its buffer at its next
        // step instead of this thread waiting for the read to end.
        if (receive) {
            purgePending_ = true;
            Interrupt();
        }
        const DWORD flags = (receive ? PURGE_RXCLEAR : 0u) | (transmit ? PURGE_TXCLEAR : 0u);
        return flags == 0 || PurgeComm(port_, flags) != FALSE;
    }

    bool ClearError() override
    {
        if (vanished_) {
            return false;
        }
        DWORD errors = 0;
        COMSTAT status{};
        return ClearCommError(port_, &errors, &status) != FALSE;
    }

    void Interrupt() override { SetEvent(wake_); }

private:
    static SerialTimeouts FromComm(const COMMTIMEOUTS& comm)
    {
        SerialTimeouts timeouts;
        timeouts.readInterval = comm.ReadIntervalTimeout;
        timeouts.readTotalMultiplier = comm.ReadTotalTimeoutMultiplier;
        timeouts.readTotalConstant = comm.ReadTotalTimeoutConstant;
        timeouts.writeTotalMultiplier = comm.WriteTotalTimeoutMultiplier;
        timeouts.writeTotalConstant = comm.WriteTotalTimeoutConstant;
        return timeouts;
    }

    void DropBufferIfPurged()
    {
        if (purgePending_.exchange(false)) {
            head_ = tail_ = 0;
        }
    }

    size_t TakeBuffered(uint8_t* out, size_t wanted)
    {
        const size_t count = std::min(wanted, tail_ - head_);
        if (count > 0) {
            std::memcpy(out, buffer_.data() + head_, count);
            head_ += count;
            if (head_ == tail_) {
                head_ = tail_ = 0;
            }
        }
        return count;
    }

    // Moves what the driver has queued into the buffer; 0 or the error code.
    DWORD FillFromQueue()
    {
        DWORD errors = 0;
        COMSTAT status{};
        if (!ClearCommError(port_, &errors, &status)) {
            vanished_ = true;
            return GetLastError();
        }
        if (head_ > 0 && tail_ == buffer_.size()) {
            std::memmove(buffer_.data(), buffer_.data() + head_, tail_ - head_);
            tail_ -= head_;
            head_ = 0;
        }
        const DWORD wanted = static_cast<DWORD>(std::min<size_t>(status.cbInQue, buffer_.size() - tail_));
        if (wanted == 0) {
            return 0;
        }
        DWORD moved = 0;
        const DWORD error = Transfer(port_, readDone_, nullptr, true, buffer_.data() + tail_, wanted,
                                     kQueuedReadLimitMs, moved);
        tail_ += moved;
        if (error != 0) {
            vanished_ = true;
        }
        return error;
    }

    HANDLE port_;
    HANDLE readDone_;   // manual-reset: the read in progress has ended
    HANDLE writeDone_;  // manual-reset: the write in progress has ended
    HANDLE wake_;       // auto-reset: wakes the read in progress, or the next one
    std::string path_;
    std::mutex readMutex_;  // the receive buffer and the read in progress
    std::mutex writeMutex_;
    mutable std::mutex timeoutsMutex_;
    SerialTimeouts timeouts_;
    std::vector<uint8_t> buffer_;
    size_t head_ = 0;
    size_t tail_ = 0;
    std::atomic<bool> vanished_{false};
    std::atomic<bool> purgePending_{false};
};

}  // namespace

std::string ResolveSerialPath(const std::string& name)
{
    static const std::string kDevicePrefix = "\\\\.\\";
    if (name.compare(0, kDevicePrefix.size(), kDevicePrefix) == 0 ||
        name.find_first_of("\\/:") != std::string::npos) {
        return name;
    }
    return kDevicePrefix + name;
}

std::unique_ptr<SerialDevice> OpenSerialDevice(const std::string& name, uint32_t& error)
{
    const std::string path = ResolveSerialPath(name);
    if (!PortsOpen().Claim(path)) {
        error = ERROR_ACCESS_DENIED;  // what Windows answers for a port already open
        return nullptr;
    }
    const HANDLE port = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_OVERLAPPED, nullptr);
    if (port == INVALID_HANDLE_VALUE) {
        error = GetLastError();
        PortsOpen().Release(path);
        return nullptr;
    }
    // Some drivers (Wine's among them) keep their own queue sizes.
    SetupComm(port, kInputQueueSize, kOutputQueueSize);
    const HANDLE readDone = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    const HANDLE writeDone = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    const HANDLE wake = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    if (readDone == nullptr || writeDone == nullptr || wake == nullptr) {
        error = GetLastError();
        for (HANDLE event : {readDone, writeDone, wake}) {
            if (event != nullptr) {
                CloseHandle(event);
            }
        }
        CloseHandle(port);
        PortsOpen().Release(path);
        return nullptr;
    }
    error = 0;
    return std::make_unique<Win32SerialDevice>(port, readDone, writeDone, wake, path);
}

}  // namespace platform
