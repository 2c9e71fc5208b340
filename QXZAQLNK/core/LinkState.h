// The link's state, one per process: the board table of started ports, the
// playback ports, the application's callback, the event-update switch and
// the ISDN monitor of the BRI ports.
//
// A port found in a table stays alive for as long as its finder holds the
// reference, even when QXZAQStopLink or QXZAQRestart takes it out of the table
// meanwhile; the tables themselves change only under the board-table lock.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "isdn/monitor/IsdnMonitor.h"
#include "qxzaqlnk.h"

class ZAQ16PORT;

using PortRef = std::shared_ptr<ZAQ16PORT>;

struct LinkState {
    // The ISDN monitor every BRI port of the link shares; each port keeps it alive.
    std::shared_ptr<isdn::IsdnMonitor> isdnMonitor = std::make_shared<isdn::IsdnMonitor>();
    std::mutex tableLock;                           // the board-table lock
    PortRef boards[ZAQ16_MAX_BOARDS];
    uint32_t boardTypes[ZAQ16_MAX_BOARDS] = {};     // the PBX type each started unit reported
    std::atomic<uint32_t> boardCount{0};
    PortRef virtualPorts[ZAQ16_MAX_BOARDS];
    // Playback ports that have left their slot and are delivering their end
    // (QXEVT_FINISHED_PLAY): a stop or an unload still waits for them.
    std::vector<PortRef> endingPlaybackPorts;
    std::atomic<int32_t> playbackBoards{0};
    std::atomic<QXZAQEventCallback> eventCallback{nullptr};
    std::atomic<uint8_t> eventUpdates{1};
    bool linkStarted = false;                       // QXZAQStartLink ran and QXZAQStopLink has not
};

LinkState& Link();

// The port of a valid board (below boardCount, port present); null otherwise.
PortRef BoardPort(uint32_t board);
// The port that serves `channel` for the read-back entries: the playback port
// while a playback runs, the board's port otherwise; null when there is none.
PortRef ChannelPort(uint32_t channel);
// The board of a system channel: (channel - 1) / 16 in unsigned arithmetic, so
// channel 0 maps to no board.
uint32_t BoardOfChannel(uint32_t channel);

// Takes every started port out of the table (boardCount becomes 0).
std::vector<PortRef> TakeAllBoards();
// Puts `port` into board slot `board` (null clears it) with the PBX type its unit reported.
void SetBoardPort(uint32_t board, PortRef port, uint32_t pbxType);
// The PBX type the unit of a started board reported (ports or not).
uint32_t BoardType(uint32_t board);

// Stops the reader threads of `ports` (all stop requests first, then the waits),
// closes their devices and lets go of them.
void StopPorts(std::vector<PortRef> ports);
