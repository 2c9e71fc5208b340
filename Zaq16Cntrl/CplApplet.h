// The control-panel entry: answers the panel's messages, runs the main dialog
// on a double-click.
#pragma once

#include <cstdint>

int32_t RunCplApplet(void* window, uint32_t message, intptr_t index, intptr_t data);
