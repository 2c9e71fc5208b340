// The configuration and status entries: each checks its arguments, finds the
// board's port and has it send one command or query to the unit.
#include <cstring>

#include "core/Entries.h"
#include "core/LinkState.h"
#include "base/Trace.h"
#include "unit/ZAQ16PORT.h"

namespace {

struct OptionEntry {
    const char* function;      // the entry's name, as its trace line gives it
    const char* setFormat;     // the Set entry's trace text
    UnitOption option;
};

const OptionEntry kBus = {"QXZAQSetBusType", "Board : %d _Type %d", UnitOption::Bus};
const OptionEntry kClock = {"QXZAQSetClockType", "Board : %d _Type %d ", UnitOption::Clock};
const OptionEntry kEncoding = {"QXZAQSetEncodingType", "Board : %d _Type %d", UnitOption::Encoding};
const OptionEntry kRdsp = {"QXZAQSetRDSPType", "Board : %d _Type %d", UnitOption::RDSP};
const OptionEntry kSplit = {"QXZAQSetSplitType", "Board : %d _Type %d", UnitOption::Split};
const OptionEntry kStartStopDetect = {"QXZAQSetStartStopDetect", "Board : %d _Type %d", UnitOption::StartStopDetect};
const OptionEntry kStream = {"QXZAQSetStream", "Board : %d _value %d", UnitOption::Stream};
const OptionEntry kSlots = {"QXZAQSetSlots", "Board : %d _value %d", UnitOption::Slots};
const OptionEntry kStartStopMin = {"QXZAQSetStartStopMin", "Board : %d _value %d", UnitOption::StartStopMin};
const OptionEntry kStartStopMax = {"QXZAQSetStartStopMax", "Board : %d _value %d", UnitOption::StartStopMax};
const OptionEntry kVoxOn = {"QXZAQSetVOXStartStopOn", "Board : %d _value %d", UnitOption::StartStopOn};
const OptionEntry kVoxOff = {"QXZAQSetVOXStartStopOff", "Board : %d _value %d", UnitOption::StartStopOff};

uint32_t SetEntry(const OptionEntry& entry, uint32_t board, int32_t value)
{
    Trace(TRACE_TRACE, entry.function, entry.setFormat, static_cast<int>(board), static_cast<int>(value));
    PortRef port = BoardPort(board);
    return port ? port->SetOptionValue(entry.option, value) : ZAQ16_RET_INVALID_PARAM;
}

uint32_t GetEntry(const char* function, UnitOption option, uint32_t board)
{
    Trace(TRACE_TRACE, function, "Board : %d ", static_cast<int>(board));
    PortRef port = BoardPort(board);
    return port ? static_cast<uint32_t>(port->GetOptionValue(option)) : ZAQ16_RET_INVALID_PARAM;
}

}  // namespace

#define QXZAQ_EXPORT uint32_t entry::

QXZAQ_EXPORT QXZAQSetBusType(uint32_t board, int32_t type) { return SetEntry(kBus, board, type); }
QXZAQ_EXPORT QXZAQGetBusType(uint32_t board) { return GetEntry("QXZAQGetBusType", UnitOption::Bus, board); }
QXZAQ_EXPORT QXZAQSetClockType(uint32_t board, int32_t type) { return SetEntry(kClock, board, type); }
QXZAQ_EXPORT QXZAQGetClockType(uint32_t board) { return GetEntry("QXZAQGetClockType", UnitOption::Clock, board); }
QXZAQ_EXPORT QXZAQSetEncodingType(uint32_t board, int32_t type) { return SetEntry(kEncoding, board, type); }
QXZAQ_EXPORT QXZAQGetEncodingType(uint32_t board)
{
    return GetEntry("QXZAQGetEncodingType", UnitOption::Encoding, board);
}
QXZAQ_EXPORT QXZAQSetRDSPType(uint32_t board, int32_t type) { return SetEntry(kRdsp, board, type); }
QXZAQ_EXPORT QXZAQGetRDSPType(uint32_t board) { return GetEntry("QXZAQGetRDSPType", UnitOption::RDSP, board); }
QXZAQ_EXPORT QXZAQSetSplitType(uint32_t board, int32_t type) { return SetEntry(kSplit, board, type); }
QXZAQ_EXPORT QXZAQGetSplitType(uint32_t board) { return GetEntry("QXZAQGetSplitType", UnitOption::Split, board); }
QXZAQ_EXPORT QXZAQSetStartStopDetect(uint32_t board, int32_t type) { return SetEntry(kStartStopDetect, board, type); }
QXZAQ_EXPORT QXZAQGetStartStopDetect(uint32_t board)
{
    return GetEntry("QXZAQGetStartStopDetect", UnitOption::StartStopDetect, board);
}
QXZAQ_EXPORT QXZAQSetStream(uint32_t board, int32_t value) { return SetEntry(kStream, board, value); }
QXZAQ_EXPORT QXZAQGetStream(uint32_t board) { return GetEntry("QXZAQGetStream", UnitOption::Stream, board); }
QXZAQ_EXPORT QXZAQSetSlots(uint32_t board, int32_t value) { return SetEntry(kSlots, board, value); }
QXZAQ_EXPORT QXZAQGetSlots(uint32_t board) { return GetEntry("QXZAQGetSlots", UnitOption::Slots, board); }
QXZAQ_EXPORT QXZAQSetStartStopMin(uint32_t board, int32_t value) { return SetEntry(kStartStopMin, board, value); }
QXZAQ_EXPORT QXZAQGetStartStopMin(uint32_t board)
{
    return GetEntry("QXZAQGetStartStopMin", UnitOption::StartStopMin, board);
}
QXZAQ_EXPORT QXZAQSetStartStopMax(uint32_t board, int32_t value) { return SetEntry(kStartStopMax, board, value); }
QXZAQ_EXPORT QXZAQGetStartStopMax(uint32_t board)
{
    return GetEntry("QXZAQGetStartStopMax", UnitOption::StartStopMax, board);
}
QXZAQ_EXPORT QXZAQSetVOXStartStopOn(uint32_t board, int32_t value) { return SetEntry(kVoxOn, board, value); }
QXZAQ_EXPORT QXZAQGetVOXStartStopOn(uint32_t board)
{
    return GetEntry("QXZAQGetVOXStartStopOn", UnitOption::StartStopOn, board);
}
QXZAQ_EXPORT QXZAQSetVOXStartStopOff(uint32_t board, int32_t value) { return SetEntry(kVoxOff, board, value); }
QXZAQ_EXPORT QXZAQGetVOXStartStopOff(uint32_t board)
{
    return GetEntry("QXZAQGetVOXStartStopOff", UnitOption::StartStopOff, board);
}

QXZAQ_EXPORT QXZAQSetPBXLevel(uint32_t board, int32_t level)
{
    Trace(TRACE_TRACE, "QXZAQSetPBXLevel", "Board : %d level %d", static_cast<int>(board), static_cast<int>(level));
    PortRef port = BoardPort(board);
    return port ? port->SetPBXLevel(level) : ZAQ16_RET_INVALID_PARAM;
}

QXZAQ_EXPORT QXZAQGetPBXLevel(uint32_t board)
{
    Trace(TRACE_TRACE, "QXZAQGetPBXLevel", "Board : %d ", static_cast<int>(board));
    PortRef port = BoardPort(board);
    if (!port) {
        return ZAQ16_RET_INVALID_PARAM;
    }
    const int32_t level = port->GetPBXLevel();
    if (level == -1) {
        return ZAQ16_NO_ANSWER;
    }
    return level < 0 || level > 255 ? ZAQ16_RET_FAILED : static_cast<uint32_t>(level);
}

QXZAQ_EXPORT QXZAQSetLightMask0(uint32_t board, const char* mask)
{
    PortRef port = BoardPort(board);
    return port ? port->SetLightMask(0, mask) : ZAQ16_RET_INVALID_PARAM;
}

QXZAQ_EXPORT QXZAQGetLightMask0(uint32_t board, char* buffer)
{
    PortRef port = BoardPort(board);
    if (!port || buffer == nullptr) {
        return ZAQ16_RET_INVALID_PARAM;
    }
    return static_cast<uint8_t>(port->GetLightMask(0, buffer));
}

QXZAQ_EXPORT QXZAQSetLightMask1(uint32_t board, const char* mask)
{
    PortRef port = BoardPort(board);
    return port ? port->SetLightMask(1, mask) : ZAQ16_RET_INVALID_PARAM;
}

QXZAQ_EXPORT QXZAQGetLightMask1(uint32_t board, char* buffer)
{
    PortRef port = BoardPort(board);
    if (!port || buffer == nullptr) {
        return ZAQ16_RET_INVALID_PARAM;
    }
    return static_cast<uint8_t>(port->GetLightMask(1, buffer));
}

QXZAQ_EXPORT QXZAQGetSerialNumber(uint32_t board, uint32_t* serial)
{
    PortRef port = BoardPort(board);
    if (!port || serial == nullptr) {
        return ZAQ16_RET_INVALID_PARAM;
    }
    return port->GetSerialNumber(serial);
}

QXZAQ_EXPORT QXZAQGetDChannelStatus(uint32_t board)
{
    PortRef port = BoardPort(board);
    return port ? static_cast<uint32_t>(port->GetDChannelStatus()) : ZAQ16_RET_INVALID_PARAM;
}

QXZAQ_EXPORT QXZAQGetPhoneLevels(uint32_t board, uint8_t* levels)
{
    PortRef port = BoardPort(board);
    if (!port || levels == nullptr) {
        Trace(TRACE_ERROR, "QXZAQGetPhoneLevels", "Invalid board number:%d", static_cast<int>(board));
        return ZAQ16_RET_INVALID_PARAM;
    }
    const uint32_t result = port->GetPhoneLevels(levels);
    if (result == ZAQ16_RET_TIMEOUT) {
        Trace(TRACE_INFO, "QXZAQGetPhoneLevels", "RETURNED TIMEOUT");
        return result;
    }
    Trace(TRACE_INFO, "QXZAQGetPhoneLevels", " %d %d %d %d %d %d %d %d %d %d %d %d %d %d %d %d", levels[0],
          levels[1], levels[2], levels[3], levels[4], levels[5], levels[6], levels[7], levels[8], levels[9],
          levels[10], levels[11], levels[12], levels[13], levels[14], levels[15]);
    return result;
}

QXZAQ_EXPORT QXZAQCheckErrors(uint32_t board, uint32_t* counters)
{
    PortRef port = BoardPort(board);
    if (!port) {
        return ZAQ16_RET_INVALID_PARAM;
    }
    uint8_t tables[64] = {};
    const uint32_t result = port->CheckErrors(counters != nullptr ? tables : nullptr);
    if (result == ZAQ16_RET_SUCCESS && counters != nullptr) {
        std::memcpy(counters, tables, sizeof tables);
    }
    return result;
}

QXZAQ_EXPORT QXZAQClearErrors(uint32_t board)
{
    return QXZAQCheckErrors(board, nullptr);
}

QXZAQ_EXPORT QXZAQGetPBXDate_Time(uint32_t board, uint32_t* year, uint32_t* month, uint32_t* day, uint32_t* hour,
                                  uint32_t* minute, uint32_t* second)
{
    if (year == nullptr || month == nullptr || day == nullptr || hour == nullptr || minute == nullptr ||
        second == nullptr) {
        return ZAQ16_RET_INVALID_PARAM;
    }
    PortRef port = BoardPort(board);
    if (!port) {
        return ZAQ16_RET_INVALID_PARAM;
    }
    int32_t time[9] = {};
    const uint32_t result = port->GetPBXDateTime(time);
    if (result != ZAQ16_RET_SUCCESS) {
        return result;
    }
    *second = static_cast<uint32_t>(time[0]);
    *minute = static_cast<uint32_t>(time[1]);
    *hour = static_cast<uint32_t>(time[2]);
    *day = static_cast<uint32_t>(time[3]);
    *month = static_cast<uint32_t>(time[4]);
    *year = static_cast<uint32_t>(time[5]);
    return ZAQ16_RET_SUCCESS;
}

QXZAQ_EXPORT QXZAQGetPhoneStatus(uint32_t channel, ZAQ16_PHONE_STATUS* status)
{
    if (status == nullptr) {
        return ZAQ16_RET_INVALID_PARAM;
    }
    LinkState& link = Link();
    const uint32_t servedBoards = link.playbackBoards > 0 ? ZAQ16_MAX_BOARDS : link.boardCount.load();
    if (channel == 0 || channel > servedBoards * ZAQ16_CHANNELS_PER_BOARD) {
        return ZAQ16_RET_BAD_CHANNEL;
    }
    PortRef port = ChannelPort(channel);
    return port ? port->GetPhoneStatus(channel, status) : ZAQ16_RET_INVALID_PARAM;
}
