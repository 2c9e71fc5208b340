#include "platform/Pty.h"

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace platform {

namespace {

void SetRaw(int fd)
{
    termios settings{};
    if (tcgetattr(fd, &settings) != 0)
        return;
    cfmakeraw(&settings);
    settings.c_cflag |= CLOCAL | CREAD;
    cfsetispeed(&settings, B115200);
    cfsetospeed(&settings, B115200);
    tcsetattr(fd, TCSANOW, &settings);
}

PtyIo Outcome(ssize_t result)
{
    PtyIo io;
    if (result >= 0)
        io.bytes = static_cast<size_t>(result);
    else if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)
        io.wouldBlock = true;
    else
        io.error = static_cast<uint32_t>(errno);
    return io;
}

}  // namespace

std::unique_ptr<PtyPair> PtyPair::Open(uint32_t& error)
{
    int master = -1;
    int slave = -1;
    char name[128] = {};
    if (openpty(&master, &slave, name, nullptr, nullptr) != 0) {
        error = static_cast<uint32_t>(errno);
        return nullptr;
    }
    SetRaw(slave);
    fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
    fcntl(master, F_SETFD, FD_CLOEXEC);
    fcntl(slave, F_SETFD, FD_CLOEXEC);
    error = 0;
    return std::unique_ptr<PtyPair>(new PtyPair(master, slave, name));
}

PtyPair::PtyPair(int master, int slave, std::string slaveName)
    : master_(master), slave_(slave), slaveName_(std::move(slaveName))
{
}

PtyPair::~PtyPair()
{
    Close();
}

PtyIo PtyPair::Read(void* buffer, size_t size)
{
    if (master_ < 0)
        return PtyIo{0, false, EBADF};
    return Outcome(read(master_, buffer, size));
}

PtyIo PtyPair::Write(const void* buffer, size_t size)
{
    if (master_ < 0)
        return PtyIo{0, false, EBADF};
    return Outcome(write(master_, buffer, size));
}

size_t PtyPair::UnreadBytes() const
{
    int unread = 0;
    if (slave_ < 0 || ioctl(slave_, FIONREAD, &unread) != 0 || unread < 0)
        return 0;
    return static_cast<size_t>(unread);
}

void PtyPair::Close()
{
    if (master_ >= 0)
        close(master_);
    if (slave_ >= 0)
        close(slave_);
    master_ = -1;
    slave_ = -1;
}

PtyPoller::Interest::Interest(const PtyPair* pair, bool wantWrite)
    : master(pair != nullptr ? pair->master_ : -1), wantWrite(wantWrite)
{
}

PtyPoller::PtyPoller()
{
    int fds[2];
    if (pipe2(fds, O_NONBLOCK | O_CLOEXEC) == 0) {
        wakeRead_ = fds[0];
        wakeWrite_ = fds[1];
    }
}

PtyPoller::~PtyPoller()
{
    if (wakeRead_ >= 0)
        close(wakeRead_);
    if (wakeWrite_ >= 0)
        close(wakeWrite_);
}

void PtyPoller::Wake()
{
    if (wakeWrite_ >= 0) {
        const char byte = 1;
        // A full pipe already holds a wake-up: nothing is lost.
        [[maybe_unused]] ssize_t written = write(wakeWrite_, &byte, 1);
    }
}

void PtyPoller::Wait(std::span<const Interest> interests, std::vector<Readiness>& ready, int timeoutMs)
{
    std::vector<pollfd> fds;
    std::vector<size_t> owner;
    fds.reserve(interests.size() + 1);
    fds.push_back(pollfd{wakeRead_, POLLIN, 0});
    for (size_t i = 0; i < interests.size(); ++i) {
        const Interest& interest = interests[i];
        if (interest.master < 0)
            continue;
        short events = POLLIN;
        if (interest.wantWrite)
            events |= POLLOUT;
        fds.push_back(pollfd{interest.master, events, 0});
        owner.push_back(i);
    }
    ready.assign(interests.size(), Readiness{});
    if (poll(fds.data(), fds.size(), timeoutMs) <= 0)
        return;
    if (fds[0].revents & POLLIN) {
        char drain[64];
        while (read(wakeRead_, drain, sizeof drain) > 0) {
        }
    }
    for (size_t k = 1; k < fds.size(); ++k) {
        Readiness& r = ready[owner[k - 1]];
        r.readable = (fds[k].revents & POLLIN) != 0;
        r.writable = (fds[k].revents & POLLOUT) != 0;
        r.hungUp = (fds[k].revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
    }
}

}  // namespace platform
