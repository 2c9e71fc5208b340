// Playback ports: one per unit recorded in a dump file, made by the port
// factory without a COM port; while a playback runs, the display and status
// read-back entries read them instead of the live ports.
#pragma once

#include <cstdint>

// Creates (not yet starting) the playback port of `board`; 1 when made, 0 for
// a PBX type that has no playback port.
int SetupVirtualPort(uint32_t start_channel, uint32_t board, uint32_t pbxType, int32_t timeMode);

// Ends every running playback and waits for its ports.
void StopPlayback();
