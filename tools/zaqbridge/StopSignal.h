// SIGTERM and SIGINT as a stop request that the main thread waits for.
#pragma once

#include <cstdint>

// Blocks the two signals in the calling thread and every thread it starts
// afterwards, so that only WaitForStopSignal takes them. Call before any thread.
void BlockStopSignals();
// Waits up to `timeoutMs` for SIGTERM or SIGINT; true when one came.
bool WaitForStopSignal(uint32_t timeoutMs);
