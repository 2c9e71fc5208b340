#include "isdn/frontend/ISDNPT.h"

#include "isdn/monitor/IsdnSession.h"

using isdn::Side;

namespace {

uint32_t Deliver(ISDNPTDL& link, Side side, const uint8_t* data, uint32_t length, uint32_t time1, uint32_t time2)
{
    return side == Side::CPE ? link.CPEFrameRcvd(data, length, time1, time2)
                             : link.COFrameRcvd(data, length, time1, time2);
}

bool HoldsTei(const ISDNPTDL& link, uint8_t tei)
{
    return link.linkState != isdn::kLinkNoTei && link.tei == tei;
}

bool IsFree(const ISDNPTDL& link)
{
    return link.linkState == isdn::kLinkNoTei;
}

}  // namespace

// Framers pair up into lines from an even number on: an odd first framer is taken down to even.
ISDNPT::ISDNPT(isdn::IsdnMonitor& monitor, EventSink& sink, uint32_t firstFramer)
    : firstFramer(firstFramer & ~1u), monitor(monitor), sink(sink)
{
}

uint32_t ISDNPT::LinkIndex(uint32_t framer) const
{
    const uint32_t local = framer - firstFramer;
    return framer >= firstFramer && local < framerCount ? local : kMaxDataLinks;
}

ISDNPT::~ISDNPT()
{
    Stop();
}

uint32_t ISDNPT::Start(uint32_t newMode, uint32_t newFramerCount, uint32_t newChanCount)
{
    if (newFramerCount == 0 || newFramerCount % 2 != 0 || newFramerCount > isdn::kMaxFramers) {
        return isdn::kBadFramerCount;
    }
    if (newChanCount == 0 || newChanCount > isdn::kMaxCallEntities) {
        return isdn::kBadChanCount;
    }
    if (newMode > 1) {
        return isdn::kBadMode;
    }
    isdn::IsdnSession session(monitor, nullptr);
    StopLinks();
    mode = newMode;
    framerCount = newFramerCount;
    chanCount = newChanCount;
    const uint32_t linkCount = mode != 0 ? framerCount : framerCount / 2;
    const uint32_t firstIndex = mode != 0 ? firstFramer : firstFramer / 2;
    uint32_t result = isdn::kOk;
    for (uint32_t i = 0; i < linkCount; ++i) {
        dataLinks[i] = std::make_unique<ISDNPTDL>(monitor);
        result = dataLinks[i]->Start(firstIndex + i, chanCount, mode);
    }
    return result;
}

uint32_t ISDNPT::Stop()
{
    isdn::IsdnSession session(monitor, nullptr);
    return StopLinks();
}

uint32_t ISDNPT::StopLinks()
{
    for (auto& link : dataLinks) {
        if (link) {
            link->Stop();
            link.reset();
        }
    }
    framerCount = 0;
    return isdn::kOk;
}

uint32_t ISDNPT::HDLCFrameRcvd(uint32_t framer, const uint8_t* data, uint32_t length, uint32_t time1, uint32_t time2)
{
    isdn::IsdnSession session(monitor, &sink);
    const uint32_t local = LinkIndex(framer);
    if (local == kMaxDataLinks) {
        return isdn::kBadFramer;
    }
    if (data == nullptr) {
        return isdn::kMissingPointer;
    }
    if (length == 0) {
        return isdn::kEmptyFrame;
    }
    return DeliverToLine(local / 2, (framer & 1) != 0 ? Side::CPE : Side::CO, data, length, time1, time2);
}

uint32_t ISDNPT::DeliverToLine(uint32_t lineIndex, Side side, const uint8_t* data, uint32_t length, uint32_t time1,
                               uint32_t time2)
{
    if (mode == 0) {
        return Deliver(*dataLinks[lineIndex], side, data, length, time1, time2);
    }
    // The SAPI picks the data link, so it is checked first (the first byte is
    // always there); the TEI is read only from a frame of a possible length.
    const uint8_t sapi = data[0] >> 2;
    if (sapi != isdn::kSapiCallControl && sapi != isdn::kSapiTeiManagement) {
        return isdn::kBadAddress;
    }
    if (length > isdn::kMaxFrameLength) {
        return isdn::kFrameTooLong;
    }
    if (length < isdn::kMinFrameLength) {
        return isdn::kFrameTooShort;
    }
    const uint8_t tei = data[1] >> 1;
    ISDNPTDL& first = *dataLinks[2 * lineIndex];
    ISDNPTDL& second = *dataLinks[2 * lineIndex + 1];
    if (tei == isdn::kBroadcastTei) {
        return DeliverBroadcast(first, second, side, data, length, time1, time2);
    }
    for (ISDNPTDL* link : {&first, &second}) {
        if (HoldsTei(*link, tei)) {
            return Deliver(*link, side, data, length, time1, time2);
        }
    }
    for (ISDNPTDL* link : {&first, &second}) {
        if (IsFree(*link)) {
            // Only a frame that passes the link's checks may take a free entity.
            const uint32_t checked = link->CheckFrame(side, data, length);
            if (checked != isdn::kOk) {
                return checked;
            }
            link->ClaimTei(tei);
            return Deliver(*link, side, data, length, time1, time2);
        }
    }
    return isdn::kBadAddress;
}

// A broadcast frame reaches both entities of the line, except the TEI
// messages that concern one terminal: an identity assigned (or checked) goes
// to the entity holding that TEI, else to the first free one; a removal to
// the entity holding the TEI (to both when it removes every TEI).
uint32_t ISDNPT::DeliverBroadcast(ISDNPTDL& first, ISDNPTDL& second, Side side, const uint8_t* data,
                                  uint32_t length, uint32_t time1, uint32_t time2)
{
    isdn::TeiManagementMessage message;
    if (isdn::ParseTeiManagement(data, length, message)) {
        const bool assigns = message.type == isdn::kTeiIdentityAssigned || message.type == isdn::kTeiCheckResponse;
        const bool removesOne = message.type == isdn::kTeiIdentityRemove && message.ai != isdn::kBroadcastTei;
        if (assigns || removesOne) {
            ISDNPTDL* target = HoldsTei(first, message.ai) ? &first : HoldsTei(second, message.ai) ? &second : nullptr;
            if (target == nullptr && assigns) {
                target = IsFree(first) ? &first : IsFree(second) ? &second : nullptr;
            }
            if (target == nullptr) {
                return assigns ? isdn::kBadAddress : isdn::kOk;
            }
            return Deliver(*target, side, data, length, time1, time2);
        }
    }
    Deliver(first, side, data, length, time1, time2);
    return Deliver(second, side, data, length, time1, time2);
}

void ISDNPT::Tick()
{
    isdn::IsdnSession session(monitor, &sink);
    monitor.Timers().Tick();
}

void ISDNPT::Advance(uint32_t nowMs)
{
    isdn::IsdnSession session(monitor, &sink);
    monitor.Timers().Advance(nowMs);
}
