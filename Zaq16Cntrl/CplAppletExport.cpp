// The one entry libZaq16Cntrl.so exports.
#include "CplApplet.h"

extern "C" __attribute__((visibility("default"))) int32_t CPlApplet(void* window, uint32_t message, intptr_t index,
                                                                   intptr_t data)
{
    return RunCplApplet(window, message, index, data);
}
