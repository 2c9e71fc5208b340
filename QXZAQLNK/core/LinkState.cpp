#include "core/LinkState.h"

#include "unit/ZAQ16PORT.h"

namespace {
// How long an owner waits for a port's reader thread to end.
constexpr uint32_t kThreadEndWaitMs = 5000;
}  // namespace

LinkState& Link()
{
    static LinkState state;
    return state;
}

uint32_t BoardOfChannel(uint32_t channel)
{
    return (channel - 1u) / ZAQ16_CHANNELS_PER_BOARD;
}

PortRef BoardPort(uint32_t board)
{
    LinkState& link = Link();
    std::lock_guard<std::mutex> guard(link.tableLock);
    if (board >= link.boardCount || board >= ZAQ16_MAX_BOARDS) {
        return nullptr;
    }
    return link.boards[board];
}

PortRef ChannelPort(uint32_t channel)
{
    LinkState& link = Link();
    const uint32_t board = BoardOfChannel(channel);
    std::lock_guard<std::mutex> guard(link.tableLock);
    if (board >= ZAQ16_MAX_BOARDS) {
        return nullptr;
    }
    if (link.playbackBoards > 0) {
        return link.virtualPorts[board];
    }
    return board < link.boardCount ? link.boards[board] : nullptr;
}

std::vector<PortRef> TakeAllBoards()
{
    LinkState& link = Link();
    std::vector<PortRef> ports;
    std::lock_guard<std::mutex> guard(link.tableLock);
    for (uint32_t board = 0; board < link.boardCount && board < ZAQ16_MAX_BOARDS; ++board) {
        if (link.boards[board]) {
            ports.push_back(std::move(link.boards[board]));
        }
    }
    link.boardCount = 0;
    return ports;
}

void SetBoardPort(uint32_t board, PortRef port, uint32_t pbxType)
{
    LinkState& link = Link();
    std::lock_guard<std::mutex> guard(link.tableLock);
    if (board < ZAQ16_MAX_BOARDS) {
        link.boards[board] = std::move(port);
        link.boardTypes[board] = pbxType;
    }
}

uint32_t BoardType(uint32_t board)
{
    LinkState& link = Link();
    std::lock_guard<std::mutex> guard(link.tableLock);
    return board < ZAQ16_MAX_BOARDS ? link.boardTypes[board] : 0;
}

void StopPorts(std::vector<PortRef> ports)
{
    for (const PortRef& port : ports) {
        port->RequestStop();
    }
    for (const PortRef& port : ports) {
        port->StopThread(kThreadEndWaitMs);
        // The device goes now, not with the last reference: a thread still
        // inside an entry keeps the object, and the unit can be opened anew.
        port->Close();
    }
    ports.clear();
}
