#include "platform/ChildProcess.h"

#include <cerrno>
#include <chrono>
#include <thread>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

namespace platform {

ChildProcess StartChildProcess(const std::function<int()>& body)
{
    constexpr int kFailedInChild = 125;
    const pid_t child = fork();
    if (child < 0) {
        return kNoChildProcess;
    }
    if (child == 0) {
        int result = kFailedInChild;
        try {
            result = body();
        } catch (...) {
        }
        // _exit: the parent's atexit handlers and buffered streams are not the child's to run.
        _exit(result & 0xFF);
    }
    return child;
}

int WaitChildProcess(ChildProcess child, uint32_t timeoutMs)
{
    if (child <= 0) {
        return -1;
    }
    const auto pid = static_cast<pid_t>(child);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    int status = 0;
    for (;;) {
        const pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid) {
            return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        }
        if (done < 0 && errno != EINTR) {
            return -1;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

}  // namespace platform
