// What this process uses of the machine, for the leak loop, the soak and the
// benchmarks (no Windows backend: the DLL does not need it).
#pragma once

namespace platform {

// Resident memory in KiB; 0 when it cannot be read.
long ResidentKiB();

}  // namespace platform
