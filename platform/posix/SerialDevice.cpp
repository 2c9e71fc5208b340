// The serial device on termios: exclusive open (TIOCEXCL plus an flock), raw
// 8N1 line settings, and reads bounded by the COM port time-out rules through
// poll(). Reads are buffered: one read() takes whatever has arrived, and the
// reader takes it as one burst.
#include "platform/SerialDevice.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

namespace platform {

namespace {

constexpr size_t kReceiveBufferSize = 64 * 1024;

int64_t NowMs()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

speed_t BaudConstant(uint32_t baud)
{
    struct Row {
        uint32_t baud;
        speed_t constant;
    };
    static const Row kRates[] = {
        {1200, B1200},     {2400, B2400},     {4800, B4800},     {9600, B9600},   {19200, B19200},
        {38400, B38400},   {57600, B57600},   {115200, B115200}, {230400, B230400},
    };
    for (const Row& row : kRates) {
        if (row.baud == baud) {
            return row.constant;
        }
    }
    return B0;
}

class PosixSerialDevice final : public SerialDevice {
public:
    PosixSerialDevice(int fd, int wakeRead, int wakeWrite)
        : fd_(fd), wakeRead_(wakeRead), wakeWrite_(wakeWrite), buffer_(kReceiveBufferSize)
    {
    }

    ~PosixSerialDevice() override
    {
        ioctl(fd_, TIOCNXCL);
        flock(fd_, LOCK_UN);
        close(fd_);
        close(wakeRead_);
        close(wakeWrite_);
    }

    bool Configure(const LineSettings& settings) override
    {
        termios tio{};
        if (tcgetattr(fd_, &tio) != 0) {
            return false;
        }
        const speed_t speed = BaudConstant(settings.baud);
        if (speed == B0) {
            errno = EINVAL;
            return false;
        }
        cfmakeraw(&tio);
        tio.c_cflag |= CLOCAL | CREAD;
        tio.c_cflag &= ~(CSIZE | PARENB | PARODD | CSTOPB | CRTSCTS);
        static const tcflag_t kSizes[] = {CS5, CS6, CS7, CS8};
        if (settings.dataBits < 5 || settings.dataBits > 8) {
            errno = EINVAL;
            return false;
        }
        tio.c_cflag |= kSizes[settings.dataBits - 5];
        if (settings.parity == 'E' || settings.parity == 'O') {
            tio.c_cflag |= PARENB | (settings.parity == 'O' ? PARODD : 0);
        }
        if (settings.stopBits == 2) {
            tio.c_cflag |= CSTOPB;
        }
        tio.c_iflag &= ~(IXON | IXOFF | IXANY);
        tio.c_cc[VMIN] = 0;
        tio.c_cc[VTIME] = 0;
        cfsetispeed(&tio, speed);
        cfsetospeed(&tio, speed);
        return tcsetattr(fd_, TCSANOW, &tio) == 0;
    }

    SerialTimeouts GetTimeouts() const override
    {
        std::lock_guard<std::mutex> guard(timeoutsMutex_);
        return timeouts_;
    }

    void SetTimeouts(const SerialTimeouts& timeouts) override
    {
        std::lock_guard<std::mutex> guard(timeoutsMutex_);
        timeouts_ = timeouts;
    }

    IoResult Read(void* out, size_t size, int64_t capMs) override
    {
        return Receive(static_cast<uint8_t*>(out), size, capMs, size);
    }

    IoResult ReadArrived(void* out, size_t size, int64_t capMs) override
    {
        return Receive(static_cast<uint8_t*>(out), size, capMs, std::min<size_t>(size, 1));
    }

    IoResult Write(const void* data, size_t size) override
    {
        const auto* bytes = static_cast<const uint8_t*>(data);
        SerialTimeouts timeouts = GetTimeouts();
        int64_t total = static_cast<int64_t>(timeouts.writeTotalMultiplier) * static_cast<int64_t>(size) +
                        timeouts.writeTotalConstant;
        if (total <= 0) {
            total = kUnboundedWriteLimitMs;
        }
        const int64_t deadline = NowMs() + total;
        IoResult result;
        while (result.bytes < size) {
            const ssize_t written = write(fd_, bytes + result.bytes, size - result.bytes);
            if (written > 0) {
                result.bytes += static_cast<size_t>(written);
                continue;
            }
            if (written < 0 && errno == EINTR) {
                continue;
            }
            if (written < 0 && errno != EAGAIN) {
                result.error = static_cast<uint32_t>(errno);
                return result;
            }
            const int64_t wait = deadline - NowMs();
            if (wait <= 0) {
                break;
            }
            pollfd fds{fd_, POLLOUT, 0};
            if (poll(&fds, 1, static_cast<int>(wait)) < 0 && errno != EINTR) {
                result.error = static_cast<uint32_t>(errno);
                return result;
            }
            if (fds.revents & (POLLERR | POLLHUP | POLLNVAL)) {
                result.error = EIO;
                return result;
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
        const int which = receive && transmit ? TCIOFLUSH : receive ? TCIFLUSH : TCOFLUSH;
        return (!receive && !transmit) || tcflush(fd_, which) == 0;
    }

    bool ClearError() override
    {
        if (vanished_) {
            return false;
        }
        pollfd fds{fd_, 0, 0};
        if (poll(&fds, 1, 0) < 0) {
            return false;
        }
        return (fds.revents & (POLLHUP | POLLERR | POLLNVAL)) == 0;
    }

    void Interrupt() override
    {
        const char token = 1;
        ssize_t ignored = write(wakeWrite_, &token, 1);
        (void)ignored;
    }

private:
    // A write that the time-outs leave unbounded still gives up after this long.
    static constexpr int64_t kUnboundedWriteLimitMs = 10000;

    // Reads up to `size` bytes; waits (under the time-outs) only while fewer
    // than `wanted` have come. The total time-out counts `wanted` bytes.
    IoResult Receive(uint8_t* bytes, size_t size, int64_t capMs, size_t wanted)
    {
        std::lock_guard<std::mutex> guard(mutex_);
        DropBufferIfPurged();
        IoResult result;
        result.bytes = TakeBuffered(bytes, size);
        if (result.bytes >= wanted) {
            return result;
        }
        const SerialTimeouts timeouts = GetTimeouts();
        int64_t total = static_cast<int64_t>(timeouts.readTotalMultiplier) * static_cast<int64_t>(wanted) +
                        timeouts.readTotalConstant;
        if (capMs >= 0 && capMs < total) {
            total = capMs;
        }
        const int64_t deadline = NowMs() + total;
        bool lastLook = false;
        while (result.bytes < wanted) {
            int64_t wait = deadline - NowMs();
            if (wait <= 0) {
                // A reader kept from running past its deadline (a busy machine)
                // still takes what arrived in time: one look without waiting.
                if (lastLook) {
                    break;
                }
                lastLook = true;
                wait = 0;
            }
            if (result.bytes > 0 && timeouts.readInterval > 0 && wait > timeouts.readInterval) {
                wait = timeouts.readInterval;
            }
            pollfd fds[2] = {{fd_, POLLIN, 0}, {wakeRead_, POLLIN, 0}};
            const int ready = poll(fds, 2, static_cast<int>(wait));
            if (ready < 0) {
                if (errno == EINTR) {
                    continue;
                }
                result.error = static_cast<uint32_t>(errno);
                break;
            }
            if (fds[1].revents & POLLIN) {
                DrainWake();
                break;
            }
            if (ready == 0) {
                if (result.bytes > 0 || lastLook) {
                    break;  // the interval between two bytes has passed
                }
                continue;
            }
            if (fds[0].revents & POLLNVAL) {
                result.error = EBADF;
                break;
            }
            if (fds[0].revents & (POLLIN | POLLHUP | POLLERR)) {
                DropBufferIfPurged();
                const uint32_t error = Fill();
                if (error != 0) {
                    result.error = error;
                    break;
                }
                result.bytes += TakeBuffered(bytes + result.bytes, size - result.bytes);
            }
        }
        return result;
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

    // Reads whatever has arrived into the buffer; 0 or the error code.
    uint32_t Fill()
    {
        if (head_ > 0 && tail_ == buffer_.size()) {
            std::memmove(buffer_.data(), buffer_.data() + head_, tail_ - head_);
            tail_ -= head_;
            head_ = 0;
        }
        if (tail_ == buffer_.size()) {
            return 0;
        }
        const ssize_t got = read(fd_, buffer_.data() + tail_, buffer_.size() - tail_);
        if (got > 0) {
            tail_ += static_cast<size_t>(got);
            return 0;
        }
        if (got < 0 && (errno == EAGAIN || errno == EINTR)) {
            return 0;
        }
        // End of file or EIO: the other end of the line is gone.
        vanished_ = true;
        return got == 0 ? EIO : static_cast<uint32_t>(errno);
    }

    void DrainWake()
    {
        char sink[64];
        while (read(wakeRead_, sink, sizeof sink) > 0) {
        }
    }

    int fd_;
    int wakeRead_;
    int wakeWrite_;
    std::mutex mutex_;                 // the receive buffer and the read in progress
    mutable std::mutex timeoutsMutex_;
    SerialTimeouts timeouts_;
    std::vector<uint8_t> buffer_;
    size_t head_ = 0;
    size_t tail_ = 0;
    std::atomic<bool> vanished_{false};  // set by the reader, looked at by writers
    std::atomic<bool> purgePending_{false};
};

}  // namespace

std::string ResolveSerialPath(const std::string& name)
{
    static const std::string kDevicePrefix = "\\\\.\\";
    std::string port = name.compare(0, kDevicePrefix.size(), kDevicePrefix) == 0 ? name.substr(kDevicePrefix.size())
                                                                                   : name;
    if (!port.empty() && port[0] == '/') {
        return port;
    }
    if (const char* comDir = std::getenv("QXZAQ_COMDIR"); comDir != nullptr && comDir[0] != '\0') {
        return std::string(comDir) + "/" + port;
    }
    if (port.size() > 3 && (port.compare(0, 3, "COM") == 0 || port.compare(0, 3, "com") == 0)) {
        char* end = nullptr;
        const long number = std::strtol(port.c_str() + 3, &end, 10);
        if (end != nullptr && *end == '\0' && number >= 1) {
            return "/dev/ttyS" + std::to_string(number - 1);
        }
    }
    return "/dev/" + port;
}

std::unique_ptr<SerialDevice> OpenSerialDevice(const std::string& name, uint32_t& error)
{
    const std::string path = ResolveSerialPath(name);
    const int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        error = static_cast<uint32_t>(errno);
        return nullptr;
    }
    // Exclusive use: TIOCEXCL keeps other (unprivileged) openers out, the lock
    // keeps out every other instance of the library, root included.
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        error = errno == EWOULDBLOCK ? EBUSY : static_cast<uint32_t>(errno);
        close(fd);
        return nullptr;
    }
    ioctl(fd, TIOCEXCL);
    int wake[2];
    if (pipe2(wake, O_NONBLOCK | O_CLOEXEC) != 0) {
        error = static_cast<uint32_t>(errno);
        ioctl(fd, TIOCNXCL);
        close(fd);
        return nullptr;
    }
    error = 0;
    return std::make_unique<PosixSerialDevice>(fd, wake[0], wake[1]);
}

}  // namespace platform
