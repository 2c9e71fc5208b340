// The call-control entries of the ISDN monitor: the status of the call on a
// channel or with a call reference, and a line's call statistics. Each checks
// its arguments, makes sure the board runs the ISDN monitor and copies from
// that board's front end (under the ISDN lock, so a record never shows a
// call halfway through a message).
#include "core/LinkState.h"
#include "core/Trace.h"
#include "isdn/BRI.h"

namespace {

// The ISDN front end of `port` when its board runs the ISDN monitor, else
// null. The unit is asked for its PBX type again; when it does not answer,
// the type the port was created for decides.
ISDNPT* IsdnFrontEnd(const PortRef& port)
{
    if (!port) {
        return nullptr;
    }
    int32_t pbxType = port->GetPBXType();
    if (pbxType == -1) {
        pbxType = static_cast<int32_t>(port->createdPbxType);
    }
    BRI* bri = dynamic_cast<BRI*>(port.get());
    if (pbxType != static_cast<int32_t>(ZAQ16_PBX_BRID) || bri == nullptr) {
        return nullptr;
    }
    return bri->isdnFrontEnd.get();
}

// The channel is one of the started boards' (1 to 16 x boards).
bool ChannelOfTheBoards(uint32_t channel)
{
    return channel != 0 && channel <= Link().boardCount * ZAQ16_CHANNELS_PER_BOARD;
}

}  // namespace

#define QXZAQ_EXPORT extern "C" QXZAQ_API uint32_t QXZAQ_CALL

QXZAQ_EXPORT QXZAQ_CC_GetStatusByCh(uint32_t channel, void* record, uint32_t* size)
{
    Trace(TRACE_TRACE, "QXZAQ_CC_GetStatusByCh", "Channel : %d ", static_cast<int>(channel));
    if (record == nullptr || size == nullptr || !ChannelOfTheBoards(channel)) {
        return ZAQ16_RET_INVALID_PARAM;
    }
    const PortRef port = BoardPort(BoardOfChannel(channel));
    ISDNPT* frontEnd = IsdnFrontEnd(port);
    if (frontEnd == nullptr) {
        return ZAQ16_RET_INVALID_PARAM;
    }
    *size = sizeof(ZAQ16_CALL_STATUS);
    return frontEnd->GetStatusByCh(channel, static_cast<ZAQ16_CALL_STATUS*>(record));
}

QXZAQ_EXPORT QXZAQ_CC_GetStatusByRef(uint32_t board, uint32_t callRef, void* record, uint32_t* size)
{
    Trace(TRACE_TRACE, "QXZAQ_CC_GetStatusByRef", "Board : %d CallRef %d ", static_cast<int>(board),
          static_cast<int>(callRef));
    if (record == nullptr || size == nullptr || callRef == 0) {
        return ZAQ16_RET_INVALID_PARAM;
    }
    const PortRef port = BoardPort(board);
    ISDNPT* frontEnd = IsdnFrontEnd(port);
    if (frontEnd == nullptr) {
        return ZAQ16_RET_INVALID_PARAM;
    }
    *size = sizeof(ZAQ16_CALL_STATUS);
    return frontEnd->GetStatusByRef(callRef, static_cast<ZAQ16_CALL_STATUS*>(record));
}

QXZAQ_EXPORT QXZAQ_CC_GetStatistics(uint32_t board, uint16_t channel, void* statistics, uint32_t* size)
{
    Trace(TRACE_TRACE, "QXZAQ_CC_GetStatistics", "Board : %d Channel %d ", static_cast<int>(board),
          static_cast<int>(channel));
    // Only the board's own channels: its front end sees no other board's frames.
    if (statistics == nullptr || size == nullptr || !ChannelOfTheBoards(channel) || BoardOfChannel(channel) != board) {
        return ZAQ16_RET_INVALID_PARAM;
    }
    const PortRef port = BoardPort(board);
    ISDNPT* frontEnd = IsdnFrontEnd(port);
    if (frontEnd == nullptr) {
        return ZAQ16_RET_INVALID_PARAM;
    }
    *size = sizeof(ZAQ16_CALL_STATISTICS);
    return frontEnd->GetStatistics(channel, static_cast<ZAQ16_CALL_STATISTICS*>(statistics));
}
