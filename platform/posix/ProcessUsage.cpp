#include "platform/ProcessUsage.h"

#include <fstream>
#include <string>

namespace platform {

long ResidentKiB()
{
    std::ifstream status("/proc/self/status");
    std::string word;
    while (status >> word) {
        if (word == "VmRSS:") {
            long kib = 0;
            status >> kib;
            return kib;
        }
    }
    return 0;
}

}  // namespace platform
