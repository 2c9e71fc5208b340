// A function run in a child process, to act as a second process on shared
// files (tests of the registry file and the trace log).
#pragma once

#include <cstdint>
#include <functional>

namespace platform {

using ChildProcess = int64_t;
constexpr ChildProcess kNoChildProcess = -1;

// Starts `body` in a forked copy of this process, which ends with body's result
// (0 to 255; 125 when it throws). Fork while no other thread holds a lock the
// child needs: best before the caller starts its own threads.
ChildProcess StartChildProcess(const std::function<int()>& body);

// Waits up to `timeoutMs` for the child's result; -1 when it died, did not
// finish in time (it is then killed) or was never started.
int WaitChildProcess(ChildProcess child, uint32_t timeoutMs);

}  // namespace platform
