// The ISDN pass-through monitor's front end: takes the D-channel frames that
// a unit taps on its basic-rate lines (framer 2k: sent by the CO on line k,
// framer 2k + 1: sent by the CPE) and hands each to the data-link entity of
// its line and TEI. Pure protocol code: the caller supplies the frames, the
// clock (Advance) and where call events go (an EventSink).
#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "base/EventSink.h"
#include "isdn/datalink/ISDNPTDL.h"
#include "isdn/monitor/IsdnMonitor.h"
#include "qxzaqlnk.h"

class ISDNPT {
public:
    // The front end's calls and timers live in `monitor`, which every front
    // end of a link shares and which must outlive them. Call events go to
    // `sink`, which must outlive the front end. They are
    // posted after the ISDN lock is released, so the sink may call the
    // status functions. `firstFramer` is the framer number of the front end's
    // first framer (even): framers firstFramer to firstFramer + framerCount - 1 are
    // served, and lines, interfaces and event channels keep those numbers, so
    // a port of any board reports the system's own channel numbers.
    ISDNPT(isdn::IsdnMonitor& monitor, EventSink& sink, uint32_t firstFramer = 0);
    virtual ~ISDNPT();
    ISDNPT(const ISDNPT&) = delete;
    ISDNPT& operator=(const ISDNPT&) = delete;

    // mode 0: one data link per line (TEI 0); 1: two per line, one per
    // terminal endpoint. framerCount: even, 2 to 32; chanCount: call
    // entities, 1 to 60 (the pool is the monitor's, made by the first start).
    uint32_t Start(uint32_t mode, uint32_t framerCount, uint32_t chanCount);
    // Stops and deletes every data link (and its calls, without events). 0.
    uint32_t Stop();

    // One frame (address, control, information, two check bytes) seen on
    // `framer` (firstFramer and up); time1 and time2 travel with the call's messages.
    uint32_t HDLCFrameRcvd(uint32_t framer, const uint8_t* data, uint32_t length, uint32_t time1, uint32_t time2);

    // One tick (100 ms) of the monitor's protocol timers.
    void Tick();
    // One tick per full 100 ms of `nowMs` (a millisecond clock) since the
    // last counted; several front ends may call it with the same clock.
    void Advance(uint32_t nowMs);

    // The call on `channel` (1-based system channel; its line's B1 or B2).
    uint32_t GetStatusByCh(uint32_t channel, ZAQ16_CALL_STATUS* record);
    // The first call of the monitor with `callRef`.
    uint32_t GetStatusByRef(uint32_t callRef, ZAQ16_CALL_STATUS* record);
    // The counters of the line of `channel` (its first data link's layer 3).
    uint32_t GetStatistics(uint32_t channel, ZAQ16_CALL_STATISTICS* statistics);

    static constexpr uint32_t kMaxDataLinks = 64;
    std::array<std::unique_ptr<ISDNPTDL>, kMaxDataLinks> dataLinks;
    uint32_t mode = 0;
    uint32_t chanCount = 0;
    uint32_t framerCount = 0;
    const uint32_t firstFramer;

private:
    // The index into dataLinks of the framer or line base `framer`;
    // kMaxDataLinks when it lies outside the started framers.
    uint32_t LinkIndex(uint32_t framer) const;
    uint32_t StopLinks();
    // `lineIndex`: the line's place among the front end's lines (0 first).
    uint32_t DeliverToLine(uint32_t lineIndex, isdn::Side side, const uint8_t* data, uint32_t length, uint32_t time1,
                           uint32_t time2);
    uint32_t DeliverBroadcast(ISDNPTDL& first, ISDNPTDL& second, isdn::Side side, const uint8_t* data,
                              uint32_t length, uint32_t time1, uint32_t time2);

    isdn::IsdnMonitor& monitor;
    EventSink& sink;
};
