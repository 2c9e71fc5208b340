// The call-control entries of the ISDN monitor: the status of the call on a
// channel or with a call reference, and a line's call statistics. Each checks
// its arguments, makes sure the board runs the ISDN monitor and copies from
// that board's front end (under the ISDN lock, so a record never shows a
// call halfway through a message).
#include "core/Entries.h"
#include "core/LinkState.h"
#include "base/Trace.h"
#include "isdn/port/BRI.h"
#include "unit/ZAQ16PORT.h"

namespace {

// A board's port (kept alive while its front end is in use) and its ISDN
// front end; no front end when the board does not run the ISDN monitor.
struct IsdnBoard {
    PortRef port;
    ISDNPT* frontEnd = nullptr;
};

// The unit is asked for its PBX type again; when it does not answer, the
// type the port was created for decides.
IsdnBoard IsdnBoardOf(uint32_t board)
{
    IsdnBoard isdn{BoardPort(board)};
    if (!isdn.port) {
        return isdn;
    }
    int32_t pbxType = isdn.port->GetPBXType();
    if (pbxType == -1) {
        pbxType = static_cast<int32_t>(isdn.port->createdPbxType);
    }
    BRI* bri = dynamic_cast<BRI*>(isdn.port->GetDecoder());
    if (pbxType == static_cast<int32_t>(ZAQ16_PBX_BRID) && bri != nullptr) {
        isdn.frontEnd = bri->isdnFrontEnd.get();
    }
    return isdn;
}

// The channel is one of the started boards' (1 to 16 x boards).
bool ChannelOfTheBoards(uint32_t channel)
{
    return channel != 0 && channel <= Link().boardCount * ZAQ16_CHANNELS_PER_BOARD;
}

}  // namespace

#define QXZAQ_EXPORT uint32_t entry::

QXZAQ_EXPORT QXZAQ_CC_GetStatusByCh(uint32_t channel, void* record, uint32_t* size)
{
    Trace(TRACE_TRACE, "QXZAQ_CC_GetStatusByCh", "Channel : %d ", static_cast<int>(channel));
    if (record == nullptr || size == nullptr || !ChannelOfTheBoards(channel)) {
        return ZAQ16_RET_INVALID_PARAM;
    }
    const IsdnBoard isdn = IsdnBoardOf(BoardOfChannel(channel));
    if (isdn.frontEnd == nullptr) {
        return ZAQ16_RET_INVALID_PARAM;
    }
    *size = sizeof(ZAQ16_CALL_STATUS);
    return isdn.frontEnd->GetStatusByCh(channel, static_cast<ZAQ16_CALL_STATUS*>(record));
}

QXZAQ_EXPORT QXZAQ_CC_GetStatusByRef(uint32_t board, uint32_t callRef, void* record, uint32_t* size)
{
    Trace(TRACE_TRACE, "QXZAQ_CC_GetStatusByRef", "Board : %d CallRef %d ", static_cast<int>(board),
          static_cast<int>(callRef));
    if (record == nullptr || size == nullptr || callRef == 0) {
        return ZAQ16_RET_INVALID_PARAM;
    }
    const IsdnBoard isdn = IsdnBoardOf(board);
    if (isdn.frontEnd == nullptr) {
        return ZAQ16_RET_INVALID_PARAM;
    }
    *size = sizeof(ZAQ16_CALL_STATUS);
    return isdn.frontEnd->GetStatusByRef(callRef, static_cast<ZAQ16_CALL_STATUS*>(record));
}

QXZAQ_EXPORT QXZAQ_CC_GetStatistics(uint32_t board, uint16_t channel, void* statistics, uint32_t* size)
{
    Trace(TRACE_TRACE, "QXZAQ_CC_GetStatistics", "Board : %d Channel %d ", static_cast<int>(board),
          static_cast<int>(channel));
    // Only the board's own channels: its front end sees no other board's frames.
    if (statistics == nullptr || size == nullptr || !ChannelOfTheBoards(channel) || BoardOfChannel(channel) != board) {
        return ZAQ16_RET_INVALID_PARAM;
    }
    const IsdnBoard isdn = IsdnBoardOf(board);
    if (isdn.frontEnd == nullptr) {
        return ZAQ16_RET_INVALID_PARAM;
    }
    *size = sizeof(ZAQ16_CALL_STATISTICS);
    return isdn.frontEnd->GetStatistics(channel, static_cast<ZAQ16_CALL_STATISTICS*>(statistics));
}
