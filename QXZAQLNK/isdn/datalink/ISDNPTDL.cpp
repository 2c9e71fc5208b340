#include "isdn/datalink/ISDNPTDL.h"

#include <cstring>

#include "isdn/monitor/IsdnMonitor.h"

using isdn::In;
using isdn::Side;
using isdn::States;
using enum isdn::DataLinkState;

namespace {

enum class FrameType { I, RR, RNR, REJ, SABME, UA, DISC, DM, FRMR, UI, Unknown };

struct ControlByte {
    uint8_t value;
    FrameType type;
};

// Supervisory and unnumbered control bytes (with and without the P/F bit).
constexpr ControlByte kControlBytes[] = {
    {0x01, FrameType::RR},    {0x05, FrameType::RNR},   {0x09, FrameType::REJ},  {0x6F, FrameType::SABME},
    {0x7F, FrameType::SABME}, {0x63, FrameType::UA},    {0x73, FrameType::UA},   {0x43, FrameType::DISC},
    {0x53, FrameType::DISC},  {0x0F, FrameType::DM},    {0x1F, FrameType::DM},   {0x87, FrameType::FRMR},
    {0x97, FrameType::FRMR},  {0x03, FrameType::UI},
};

FrameType Classify(uint8_t control)
{
    if ((control & 0x01) == 0) {
        return FrameType::I;
    }
    for (const ControlByte& entry : kControlBytes) {
        if (entry.value == control) {
            return entry.type;
        }
    }
    return FrameType::Unknown;
}

struct Frame {
    const uint8_t* data;
    uint32_t length;
    FrameType type;
    uint32_t ns;  // I frames
    uint32_t nr;  // I and supervisory frames
    uint32_t pf;
};

Frame Decode(const uint8_t* data, uint32_t length)
{
    Frame frame{data, length, Classify(data[2]), 0, 0, 0};
    switch (frame.type) {
    case FrameType::I:
    case FrameType::RR:
    case FrameType::RNR:
    case FrameType::REJ:
        frame.ns = data[2] >> 1;
        frame.nr = data[3] >> 1;
        frame.pf = data[3] & 0x01;
        break;
    default:
        frame.pf = (data[2] >> 4) & 0x01;
        break;
    }
    return frame;
}

uint32_t NextSequence(uint32_t number)
{
    return (number + 1) % 128;
}

// The members and constants of one direction of the link, so that each
// handler is written once for frames from either side.
struct SideFields {
    Side side;
    int32_t ISDNPTDL::*timer;
    uint32_t ISDNPTDL::*sabmeCount;
    uint32_t ISDNPTDL::*discCount;
    uint32_t ISDNPTDL::*nextNs;
    uint32_t ISDNPTDL::*lastNr;
    uint32_t ISDNPTDL::*pf;
    uint8_t ISDNPTDL::*busy;
    uint8_t ISDNPTDL::*rrSeen;
    uint32_t establishingState;  // entered by this side's SABME
    uint32_t releasingState;     // entered by this side's DISC
    uint32_t (ISDNPTL3::*layer3Input)(const uint8_t*, uint32_t, uint32_t, uint32_t);
    isdn::TimerCallback timerExpiry;
};

const SideFields kCpe{Side::CPE,
                      &ISDNPTDL::cpeTimer,
                      &ISDNPTDL::cpeSabmeCount,
                      &ISDNPTDL::cpeDiscCount,
                      &ISDNPTDL::cpeNextNs,
                      &ISDNPTDL::cpeLastNr,
                      &ISDNPTDL::cpePF,
                      &ISDNPTDL::cpeBusy,
                      &ISDNPTDL::cpeRrSeen,
                      isdn::kLinkCpeEstablishing,
                      isdn::kLinkCpeReleasing,
                      &ISDNPTL3::CPEL3Msg,
                      ISDNPTDL::CpeTimerExpired};

const SideFields kCo{Side::CO,
                     &ISDNPTDL::coTimer,
                     &ISDNPTDL::coSabmeCount,
                     &ISDNPTDL::coDiscCount,
                     &ISDNPTDL::coNextNs,
                     &ISDNPTDL::coLastNr,
                     &ISDNPTDL::coPF,
                     &ISDNPTDL::coBusy,
                     &ISDNPTDL::coRrSeen,
                     isdn::kLinkCoEstablishing,
                     isdn::kLinkCoReleasing,
                     &ISDNPTL3::COL3Msg,
                     ISDNPTDL::CoTimerExpired};

constexpr uint32_t kRetransmissionTicks = 10;
// The third SABME or DISC of an attempt starts the sender's timer.
constexpr uint32_t kRepeatsBeforeTimer = 3;

constexpr uint32_t kAnyState = States({kLinkInactive, kLinkTeiAssigned, kLinkCpeEstablishing, kLinkCoEstablishing,
                                       kLinkEstablished, kLinkCpeReleasing, kLinkCoReleasing, kLinkNoTei});
constexpr uint32_t kNotEstablished =
    States({kLinkInactive, kLinkTeiAssigned, kLinkCpeEstablishing, kLinkCoEstablishing});

uint32_t Layer3(ISDNPTDL& link, const SideFields& own, const uint8_t* message, uint32_t length)
{
    return ((*link.layer3).*own.layer3Input)(message, length, link.time1, link.time2);
}

void CountRepeat(ISDNPTDL& link, const SideFields& own, uint32_t ISDNPTDL::*count)
{
    if (++(link.*count) == kRepeatsBeforeTimer) {
        link.monitor.Timers().Rearm(link.*own.timer, kRetransmissionTicks, own.timerExpiry, &link);
        link.*count = 0;
    }
}

void StopTimer(ISDNPTDL& link, const SideFields& side)
{
    link.monitor.Timers().CancelAndClear(link.*side.timer);
}

using Handler = uint32_t (*)(ISDNPTDL& link, const SideFields& own, const SideFields& peer, const Frame& frame);

uint32_t SabmeStarts(ISDNPTDL& link, const SideFields& own, const SideFields&, const Frame&)
{
    link.linkState = own.establishingState;
    ++(link.*own.sabmeCount);
    return isdn::kOk;
}

uint32_t SabmeRepeated(ISDNPTDL& link, const SideFields& own, const SideFields&, const Frame&)
{
    CountRepeat(link, own, own.sabmeCount);
    return isdn::kOk;
}

uint32_t SabmeReestablishes(ISDNPTDL& link, const SideFields& own, const SideFields& peer, const Frame& frame)
{
    SabmeStarts(link, own, peer, frame);
    link.layer3->DL_Released();
    return isdn::kOk;
}

uint32_t UaEstablishes(ISDNPTDL& link, const SideFields& own, const SideFields& peer, const Frame& frame)
{
    link.*peer.sabmeCount = 0;
    link.*own.pf = frame.pf;
    if (frame.pf) {
        link.linkState = isdn::kLinkEstablished;
        link.cpeNextNs = link.coNextNs = link.cpeLastNr = link.coLastNr = 0;
        StopTimer(link, peer);
        link.layer3->DL_Established();
    }
    return isdn::kOk;
}

template <bool TellLayer3>
uint32_t UaReleases(ISDNPTDL& link, const SideFields& own, const SideFields& peer, const Frame& frame)
{
    link.*peer.discCount = 0;
    link.*own.pf = frame.pf;
    if (frame.pf) {
        link.linkState = isdn::kLinkTeiAssigned;
        StopTimer(link, peer);
        if (TellLayer3) {
            link.layer3->DL_Released();
        }
    }
    return isdn::kOk;
}

uint32_t DiscStarts(ISDNPTDL& link, const SideFields& own, const SideFields&, const Frame&)
{
    link.linkState = own.releasingState;
    ++(link.*own.discCount);
    link.layer3->DL_Released();
    return isdn::kOk;
}

uint32_t DiscRepeated(ISDNPTDL& link, const SideFields& own, const SideFields&, const Frame&)
{
    CountRepeat(link, own, own.discCount);
    return isdn::kOk;
}

// DM answering the peer's SABME (`count` = its SABMEs) or DISC (its DISCs).
template <uint32_t ISDNPTDL::*SideFields::*Count>
uint32_t DmEndsAttempt(ISDNPTDL& link, const SideFields& own, const SideFields& peer, const Frame& frame)
{
    link.*own.pf = frame.pf;
    if (frame.pf) {
        link.*(peer.*Count) = 0;
        StopTimer(link, peer);
        link.linkState = isdn::kLinkTeiAssigned;
        link.layer3->DL_Released();
    }
    return isdn::kOk;
}

// An I frame while the link is not known to be established: it is (the
// monitor may have started while the link was in use).
uint32_t IEstablishes(ISDNPTDL& link, const SideFields& own, const SideFields& peer, const Frame& frame)
{
    link.*own.nextNs = NextSequence(frame.ns);
    link.*own.lastNr = frame.nr;
    link.*peer.nextNs = frame.nr;
    link.*own.pf = frame.pf;
    link.layer3->DL_Established();
    const uint32_t result = Layer3(link, own, frame.data, frame.length);
    link.linkState = isdn::kLinkEstablished;
    return result;
}

// An I frame out of sequence is processed all the same: the monitor may
// have missed a frame, the ends have not.
uint32_t IEstablished(ISDNPTDL& link, const SideFields& own, const SideFields& peer, const Frame& frame)
{
    link.*own.nextNs = NextSequence(frame.ns);
    link.*own.lastNr = frame.nr;
    link.*own.pf = frame.pf;
    if (link.*peer.busy) {
        return isdn::kOk;  // the receiver said it is busy: the frame will come again
    }
    return Layer3(link, own, frame.data, frame.length);
}

uint32_t ReceiveReady(ISDNPTDL& link, const SideFields& own, const SideFields& peer, const Frame& frame)
{
    link.*own.lastNr = frame.nr;
    link.*own.pf = frame.pf;
    link.*own.busy = 0;
    if (link.linkState < isdn::kLinkEstablished) {
        link.*own.rrSeen = 1;
        if (link.*peer.rrSeen) {
            link.*peer.nextNs = frame.nr;
            link.*own.nextNs = link.*peer.lastNr;
            link.linkState = isdn::kLinkEstablished;
            link.layer3->DL_Established();
            link.*own.rrSeen = link.*peer.rrSeen = 0;
        }
    }
    return isdn::kOk;
}

template <uint8_t Busy>
uint32_t NotReadyOrReject(ISDNPTDL& link, const SideFields& own, const SideFields&, const Frame& frame)
{
    link.*own.lastNr = frame.nr;
    link.*own.busy = Busy;
    link.*own.pf = frame.pf;
    return isdn::kOk;
}

void RemoveTei(ISDNPTDL& link)
{
    if (link.linkState == isdn::kLinkEstablished) {
        link.layer3->DL_Released();
    }
    StopTimer(link, kCpe);
    StopTimer(link, kCo);
    link.tei = 0;
    link.pendingRi = 0;
    // Free again for the next TEI that appears on the line.
    link.linkState = isdn::kLinkNoTei;
}

uint32_t TeiManagement(ISDNPTDL& link, const SideFields& own, const Frame& frame)
{
    isdn::TeiManagementMessage message;
    if (!isdn::ParseTeiManagement(frame.data, frame.length, message)) {
        return isdn::kElementTooShort;
    }
    if (own.side == Side::CPE) {
        if (message.type == isdn::kTeiIdentityRequest) {
            link.pendingRi = message.ri;
        } else if (message.type == isdn::kTeiCheckResponse && message.ri == link.pendingRi) {
            link.tei = message.ai;
        }
    } else if (message.type == isdn::kTeiIdentityAssigned && message.ri == link.pendingRi) {
        link.linkState = isdn::kLinkTeiAssigned;
        link.tei = message.ai;
    } else if (message.type == isdn::kTeiIdentityRemove) {
        RemoveTei(link);
    }
    return isdn::kOk;
}

constexpr uint32_t kUiFillerBytes = 1;

uint32_t UnnumberedInformation(ISDNPTDL& link, const SideFields& own, const SideFields&, const Frame& frame)
{
    if ((frame.data[0] >> 2) == isdn::kSapiTeiManagement) {
        return TeiManagement(link, own, frame);
    }
    // One filler byte in front puts the layer-3 message at byte 4, as in an I frame.
    uint8_t message[isdn::kMaxFrameLength + kUiFillerBytes];
    message[0] = 0;
    std::memcpy(message + kUiFillerBytes, frame.data, frame.length);
    return Layer3(link, own, message, frame.length + kUiFillerBytes);
}

struct HandlerEntry {
    Side side;
    FrameType type;
    uint32_t states;
    Handler handler;
};

// Frame types in states without an entry change nothing (FRMR never does).
constexpr HandlerEntry kHandlers[] = {
    {Side::CPE, FrameType::SABME, States({kLinkTeiAssigned}), SabmeStarts},
    {Side::CPE, FrameType::SABME, States({kLinkCpeEstablishing}), SabmeRepeated},
    {Side::CPE, FrameType::SABME, States({kLinkEstablished}), SabmeReestablishes},
    {Side::CPE, FrameType::UA, States({kLinkCoEstablishing}), UaEstablishes},
    {Side::CPE, FrameType::UA, States({kLinkEstablished, kLinkCpeReleasing, kLinkCoReleasing}), UaReleases<false>},
    {Side::CPE, FrameType::DISC, States({kLinkEstablished}), DiscStarts},
    {Side::CPE, FrameType::DISC, States({kLinkCpeReleasing}), DiscRepeated},
    {Side::CPE, FrameType::DM, States({kLinkCoEstablishing}), DmEndsAttempt<&SideFields::sabmeCount>},
    {Side::CPE, FrameType::DM, States({kLinkCoReleasing}), DmEndsAttempt<&SideFields::discCount>},
    {Side::CPE, FrameType::I, kNotEstablished, IEstablishes},
    {Side::CPE, FrameType::I, States({kLinkEstablished}), IEstablished},
    {Side::CPE, FrameType::RR, kAnyState, ReceiveReady},
    {Side::CPE, FrameType::RNR, States({kLinkEstablished}), NotReadyOrReject<1>},
    {Side::CPE, FrameType::REJ, States({kLinkEstablished}), NotReadyOrReject<0>},
    {Side::CPE, FrameType::UI, kAnyState, UnnumberedInformation},

    {Side::CO, FrameType::SABME, States({kLinkTeiAssigned}), SabmeStarts},
    {Side::CO, FrameType::SABME, States({kLinkCoEstablishing}), SabmeRepeated},
    {Side::CO, FrameType::SABME, States({kLinkEstablished}), SabmeReestablishes},
    {Side::CO, FrameType::UA, States({kLinkCpeEstablishing}), UaEstablishes},
    {Side::CO, FrameType::UA, States({kLinkCoEstablishing, kLinkEstablished, kLinkCpeReleasing}), UaReleases<true>},
    {Side::CO, FrameType::DISC, States({kLinkCoEstablishing, kLinkEstablished}), DiscStarts},
    {Side::CO, FrameType::DISC, States({kLinkCpeReleasing, kLinkCoReleasing}), DiscRepeated},
    {Side::CO, FrameType::DM, States({kLinkCpeEstablishing}), DmEndsAttempt<&SideFields::sabmeCount>},
    {Side::CO, FrameType::DM, States({kLinkCpeReleasing}), DmEndsAttempt<&SideFields::discCount>},
    {Side::CO, FrameType::I, kNotEstablished, IEstablishes},
    {Side::CO, FrameType::I, States({kLinkEstablished}), IEstablished},
    {Side::CO, FrameType::RR, kAnyState, ReceiveReady},
    {Side::CO, FrameType::RNR, States({kLinkCoEstablishing, kLinkEstablished}), NotReadyOrReject<1>},
    {Side::CO, FrameType::REJ, States({kLinkEstablished}), NotReadyOrReject<0>},
    {Side::CO, FrameType::UI, kAnyState, UnnumberedInformation},
};

// Commands (SABME, DISC, I) carry C/R 0 from the CPE and 1 from the CO;
// responses (UA, DM, FRMR) the reverse. RR, RNR, REJ and UI are not checked.
bool CommandResponseBitMatches(Side side, FrameType type, uint8_t addressByte)
{
    const uint8_t commandResponse = (addressByte >> 1) & 0x01;
    const uint8_t commandBit = side == Side::CPE ? 0 : 1;
    switch (type) {
    case FrameType::SABME:
    case FrameType::DISC:
    case FrameType::I:
        return commandResponse == commandBit;
    case FrameType::UA:
    case FrameType::DM:
    case FrameType::FRMR:
        return commandResponse != commandBit;
    default:
        return true;
    }
}

// A timer expires in the establishment or release state of its side: the
// attempt is over and the link is released.
uint32_t TimerExpired(void* argument, const SideFields& own, uint32_t releaseStates)
{
    if (argument == nullptr) {
        return isdn::kMissingPointer;
    }
    ISDNPTDL& link = *static_cast<ISDNPTDL*>(argument);
    link.*own.timer = -1;
    if (In(link.linkState, releaseStates)) {
        link.*own.discCount = 0;
    } else if (link.linkState != own.establishingState) {
        return isdn::kOk;
    }
    link.linkState = isdn::kLinkTeiAssigned;
    return isdn::kOk;
}

}  // namespace

bool isdn::ParseTeiManagement(const uint8_t* frame, uint32_t length, TeiManagementMessage& message)
{
    // Address, control, management entity, Ri (2), type, Ai, check bytes.
    constexpr uint32_t kManagementFrameLength = 8 + kFcsLength;
    if (frame == nullptr || length < kManagementFrameLength || (frame[0] >> 2) != kSapiTeiManagement ||
        Classify(frame[2]) != FrameType::UI) {
        return false;
    }
    message.ri = static_cast<uint16_t>((frame[4] << 8) | frame[5]);
    message.type = frame[6];
    message.ai = frame[7] >> 1;
    return true;
}

ISDNPTDL::ISDNPTDL(isdn::IsdnMonitor& monitor) : monitor(monitor) {}

ISDNPTDL::~ISDNPTDL()
{
    Stop();
}

uint32_t ISDNPTDL::Start(uint32_t newIndex, uint32_t chanCount, uint32_t newMode)
{
    Stop();
    index = newIndex;
    mode = newMode;
    linkState = newMode != 0 ? isdn::kLinkNoTei : isdn::kLinkInactive;
    tei = 0;
    pendingRi = 0;
    time1 = time2 = 0;
    cpeSabmeCount = coSabmeCount = cpeDiscCount = coDiscCount = 0;
    cpeNextNs = coNextNs = cpeLastNr = coLastNr = cpePF = coPF = 0;
    cpeBusy = coBusy = cpeRrSeen = coRrSeen = 0;
    layer3 = std::make_unique<ISDNPTL3>(monitor);
    return layer3->Start(newIndex, chanCount, newMode);
}

void ISDNPTDL::Stop()
{
    // A timer left armed would later run on a deleted link.
    StopTimer(*this, kCpe);
    StopTimer(*this, kCo);
    if (layer3) {
        layer3->Stop();
        layer3.reset();
    }
}

uint32_t ISDNPTDL::CPEFrameRcvd(const uint8_t* frame, uint32_t length, uint32_t frameTime1, uint32_t frameTime2)
{
    return FrameRcvd(Side::CPE, frame, length, frameTime1, frameTime2);
}

uint32_t ISDNPTDL::COFrameRcvd(const uint8_t* frame, uint32_t length, uint32_t frameTime1, uint32_t frameTime2)
{
    return FrameRcvd(Side::CO, frame, length, frameTime1, frameTime2);
}

uint32_t ISDNPTDL::CheckFrame(Side side, const uint8_t* frame, uint32_t length) const
{
    if (frame == nullptr) {
        return isdn::kMissingPointer;
    }
    if (length > isdn::kMaxFrameLength) {
        return isdn::kFrameTooLong;
    }
    if (length < isdn::kMinFrameLength) {
        return isdn::kFrameTooShort;
    }
    if (mode == 0) {
        if (frame[0] >= 4 || frame[1] >= 2) {
            return isdn::kBadAddress;
        }
    } else {
        const uint8_t sapi = frame[0] >> 2;
        if ((frame[0] & 0x01) != 0 || (sapi != isdn::kSapiCallControl && sapi != isdn::kSapiTeiManagement)) {
            return isdn::kBadAddress;
        }
    }
    if (!CommandResponseBitMatches(side, Classify(frame[2]), frame[0])) {
        return isdn::kBadCommandResponse;
    }
    return isdn::kOk;
}

void ISDNPTDL::ClaimTei(uint8_t newTei)
{
    tei = newTei;
    linkState = isdn::kLinkTeiAssigned;
}

uint32_t ISDNPTDL::FrameRcvd(Side side, const uint8_t* frame, uint32_t length, uint32_t frameTime1,
                             uint32_t frameTime2)
{
    const uint32_t checked = CheckFrame(side, frame, length);
    if (checked != isdn::kOk || !layer3) {
        return checked != isdn::kOk ? checked : isdn::kMissingPointer;
    }
    time1 = frameTime1;
    time2 = frameTime2;
    const Frame decoded = Decode(frame, length);
    const SideFields& own = side == Side::CPE ? kCpe : kCo;
    const SideFields& peer = side == Side::CPE ? kCo : kCpe;
    for (const HandlerEntry& entry : kHandlers) {
        if (entry.side == side && entry.type == decoded.type && ((entry.states >> linkState) & 1u)) {
            return entry.handler(*this, own, peer, decoded);
        }
    }
    return isdn::kOk;
}

uint32_t ISDNPTDL::CpeTimerExpired(void* link)
{
    return TimerExpired(link, kCpe, States({isdn::kLinkCpeReleasing}));
}

uint32_t ISDNPTDL::CoTimerExpired(void* link)
{
    return TimerExpired(link, kCo, States({isdn::kLinkCpeReleasing, isdn::kLinkCoReleasing}));
}
