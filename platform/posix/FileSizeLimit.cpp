#include "platform/FileSizeLimit.h"

#include <csignal>

#include <sys/resource.h>

namespace platform {

FileSizeLimit::FileSizeLimit(uint64_t bytes)
{
    rlimit limit{};
    if (getrlimit(RLIMIT_FSIZE, &limit) != 0) {
        return;
    }
    oldLimit_ = limit.rlim_cur;
    // Past the limit the system sends SIGXFSZ, which would end the process;
    // ignored, the write fails with EFBIG instead.
    oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
    limit.rlim_cur = bytes;
    applied_ = setrlimit(RLIMIT_FSIZE, &limit) == 0;
    if (!applied_) {
        std::signal(SIGXFSZ, oldHandler_);
    }
}

FileSizeLimit::~FileSizeLimit()
{
    if (!applied_) {
        return;
    }
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = oldLimit_;
    setrlimit(RLIMIT_FSIZE, &limit);
    std::signal(SIGXFSZ, oldHandler_);
}

}  // namespace platform
