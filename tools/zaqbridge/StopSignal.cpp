#include "StopSignal.h"

#include <cerrno>
#include <csignal>
#include <ctime>

namespace {

sigset_t StopSet()
{
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGINT);
    return set;
}

}  // namespace

void BlockStopSignals()
{
    const sigset_t set = StopSet();
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
}

bool WaitForStopSignal(uint32_t timeoutMs)
{
    const sigset_t set = StopSet();
    timespec timeout{static_cast<time_t>(timeoutMs / 1000), static_cast<long>(timeoutMs % 1000) * 1000000L};
    int result;
    do {
        result = sigtimedwait(&set, nullptr, &timeout);
    } while (result < 0 && errno == EINTR);
    return result > 0;
}
