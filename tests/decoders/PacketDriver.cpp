#include "PacketDriver.h"

#include <iomanip>
#include <ostream>

#include "common/EventNames.h"

std::ostream& operator<<(std::ostream& out, const Posted& event)
{
    const char* name = EventName(event.code);
    out << "{" << (name != nullptr ? name : "?") << " 0x" << std::hex << event.code << ", param 0x" << event.param
        << std::dec << ", channel " << event.channel << "}";
    return out;
}
