// The event entries: taking queued events, the event-update switch, the
// units' D-channel forwarding and the display read-back.
#include <cstdint>

#include "core/Entries.h"
#include "core/EventDelivery.h"
#include "core/LinkState.h"
#include "base/Trace.h"
#include "unit/ZAQ16PORT.h"

uint32_t entry::QXZAQGetEvent(uint32_t* reserved, uint32_t* timeStamp, uint32_t* eventCode,
                                                       uint32_t* param, uint32_t* board, uint32_t* channel)
{
    if (reserved == nullptr || timeStamp == nullptr || eventCode == nullptr || param == nullptr || board == nullptr ||
        channel == nullptr) {
        return ZAQ16_RET_INVALID_PARAM;
    }
    ZAQ16_EVENT event{};
    const uint32_t result = TakeQueuedEvent(event);
    if (result != ZAQ16_RET_SUCCESS) {
        return result;
    }
    *reserved = event.reserved0;
    *timeStamp = event.timeStamp;
    *eventCode = event.eventCode;
    *param = event.param;
    *board = event.board;
    *channel = event.channel;
    return ZAQ16_RET_SUCCESS;
}

namespace {

uint32_t SwitchEventUpdates(uint8_t on)
{
    LinkState& link = Link();
    for (uint32_t board = 0; board < ZAQ16_MAX_BOARDS; ++board) {
        if (PortRef port = BoardPort(board)) {
            port->SetEventUpdates(on != 0);
        }
    }
    link.eventUpdates = on;
    return ZAQ16_RET_SUCCESS;
}

}  // namespace

uint32_t entry::QXZAQEnableEventUpdates(void)
{
    return SwitchEventUpdates(1);
}

uint32_t entry::QXZAQDisableEventUpdates(void)
{
    return SwitchEventUpdates(0);
}

uint32_t entry::QXZAQEnableDChEvents(uint32_t board)
{
    Trace(TRACE_TRACE, "QXZAQEnableDChEvents", "Board %d", static_cast<int>(board));
    PortRef port = BoardPort(board);
    if (!port) {
        return ZAQ16_RET_INVALID_PARAM;
    }
    // Raw output already on: nothing to send. A unit that gives no status at
    // all is not taken as on: it is asked to forward.
    if (port->GetDChannelStatus() > 0) {
        return ZAQ16_RET_SUCCESS;
    }
    const uint32_t result = port->SetOption("ENRAW");
    port->ForgetDChannelStatus();
    return result;
}

uint32_t entry::QXZAQDisableDChEvents(uint32_t board)
{
    Trace(TRACE_TRACE, "QXZAQDisableDChEvents", "Board %d", static_cast<int>(board));
    PortRef port = BoardPort(board);
    if (!port) {
        return ZAQ16_RET_INVALID_PARAM;
    }
    const uint32_t result = port->SetOption("DISRAW");
    port->ForgetDChannelStatus();
    return result;
}

uint32_t entry::QXZAQGetMessage(uint32_t channel, char* buffer, uint32_t size)
{
    Trace(TRACE_TRACE, "QXZAQGetMessage", "channel = %d", static_cast<int>(channel));
    PortRef port = ChannelPort(channel);
    if (!port || buffer == nullptr) {
        return ZAQ16_RET_INVALID_PARAM;
    }
    return port->GetMessage(channel, buffer, size);
}
