#include "CallScript.h"

#include <initializer_list>

#include "PriPair.h"

namespace isdntraffic {

namespace {

constexpr uint32_t kAnswerWaitMs = 5000;
constexpr int kB1 = 1;
constexpr int kB2 = 2;
constexpr int kExclusive = 1;
constexpr int kIsdn = 0;
constexpr int kNetworkFirstCallReference = 64;

q931_call* CallOf(const pri_event& event)
{
    switch (event.e) {
    case PRI_EVENT_RING:
        return event.ring.call;
    case PRI_EVENT_RINGING:
        return event.ringing.call;
    case PRI_EVENT_ANSWER:
        return event.answer.call;
    case PRI_EVENT_HANGUP:
    case PRI_EVENT_HANGUP_REQ:
    case PRI_EVENT_HANGUP_ACK:
        return event.hangup.call;
    case PRI_EVENT_PROCEEDING:
    case PRI_EVENT_PROGRESS:
        return event.proceeding.call;
    case PRI_EVENT_HOLD:
        return event.hold.call;
    case PRI_EVENT_HOLD_ACK:
        return event.hold_ack.call;
    case PRI_EVENT_RETRIEVE:
        return event.retrieve.call;
    case PRI_EVENT_RETRIEVE_ACK:
        return event.retrieve_ack.call;
    case PRI_EVENT_CONNECT_ACK:
        return event.connect_ack.call;
    default:
        return nullptr;
    }
}

// The line with the events its two ends reported. The ends answer HOLD,
// RETRIEVE and clearing on their own, as a telephone system would.
class ScriptedLine {
public:
    explicit ScriptedLine(pcap2dmp::PcapWriter& capture)
        : pair_(capture, [this](End end, pri_event* event) { OnEvent(end, *event); })
    {
    }

    struct pri* Ctrl(End end) const { return pair_.Ctrl(end); }
    void Pause(uint32_t milliseconds) { pair_.Pause(milliseconds); }

    q931_call* Setup(End from, int channel, const ScriptedCall& call)
    {
        struct pri* ctrl = Ctrl(from);
        q931_call* placed = pri_new_call(ctrl);
        struct pri_sr* request = pri_sr_new();
        pri_sr_set_channel(request, channel, kExclusive, kIsdn);
        pri_sr_set_bearer(request, PRI_TRANS_CAP_SPEECH, PRI_LAYER_1_ALAW);
        pri_sr_set_called(request, const_cast<char*>(call.called.c_str()), PRI_UNKNOWN, 1);
        pri_sr_set_caller(request, const_cast<char*>(call.caller.c_str()), nullptr, PRI_UNKNOWN,
                          PRES_ALLOWED_USER_NUMBER_NOT_SCREENED);
        pri_setup(ctrl, placed, request);
        pri_sr_free(request);
        return placed;
    }

    // Waits for an event of one of `types` at `end` that came after every
    // event of the steps before, and returns its call; records the failure in
    // `error_` when none came. (A network end of point-to-multipoint reports a
    // call under more than one call pointer: events are told apart by their order.)
    q931_call* Await(End end, std::initializer_list<int> types, const char* what)
    {
        Seen* found = nullptr;
        const bool came = pair_.RunUntil(
            [&] {
                found = Find(end, types);
                return found != nullptr;
            },
            kAnswerWaitMs);
        if (!came) {
            if (error_.empty()) {
                error_ = std::string("no answer from libpri: ") + what;
            }
            return nullptr;
        }
        q931_call* call = found->call;
        awaitedUpTo_ = seen_.size();
        return call;
    }

    // Every frame on its way has been answered: a clearing has run its course
    // (the ends answer DISCONNECT and RELEASE on their own, at once).
    void Settle(const char* what)
    {
        if (!pair_.RunUntil([this] { return pair_.Quiet(); }, kAnswerWaitMs) && error_.empty()) {
            error_ = std::string("the line did not settle: ") + what;
        }
        awaitedUpTo_ = seen_.size();
    }

    const std::string& Error() const { return error_; }

private:
    struct Seen {
        End end;
        int type;
        q931_call* call;
    };

    Seen* Find(End end, std::initializer_list<int> types)
    {
        for (size_t i = awaitedUpTo_; i < seen_.size(); ++i) {
            Seen& seen = seen_[i];
            for (const int type : types) {
                if (seen.end == end && seen.type == type) {
                    return &seen;
                }
            }
        }
        return nullptr;
    }

    void OnEvent(End end, const pri_event& event)
    {
        q931_call* call = CallOf(event);
        seen_.push_back({end, event.e, call});
        struct pri* ctrl = Ctrl(end);
        switch (event.e) {
        case PRI_EVENT_HOLD:
            pri_hold_ack(ctrl, call);
            break;
        case PRI_EVENT_RETRIEVE:
            pri_retrieve_ack(ctrl, call, event.retrieve.channel);
            break;
        case PRI_EVENT_HANGUP_REQ:
        case PRI_EVENT_HANGUP:
            pri_hangup(ctrl, call, event.hangup.cause);
            break;
        default:
            break;
        }
    }

    PriPair pair_;
    std::vector<Seen> seen_;
    size_t awaitedUpTo_ = 0;
    std::string error_;
};

struct CallEnds {
    q931_call* network = nullptr;
    q931_call* user = nullptr;

    q931_call* Of(End end) const { return end == End::Network ? network : user; }
};

End Peer(End end)
{
    return end == End::Network ? End::User : End::Network;
}

// `from` places a call on `channel`; the other end rings (the network says
// first that it proceeds) and the caller hears it ring.
CallEnds Offer(ScriptedLine& line, End from, int channel, const ScriptedCall& call)
{
    const End called = Peer(from);
    CallEnds ends;
    q931_call* placed = line.Setup(from, channel, call);
    q931_call* offered = line.Await(called, {PRI_EVENT_RING}, "SETUP");
    (from == End::User ? ends.user : ends.network) = placed;
    (from == End::User ? ends.network : ends.user) = offered;
    if (called == End::Network) {
        pri_proceeding(line.Ctrl(called), offered, channel, 0);
    }
    // The network's ALERTING says that its tones are in band.
    pri_acknowledge(line.Ctrl(called), offered, channel, called == End::Network ? 1 : 0);
    line.Await(from, {PRI_EVENT_RINGING}, "ALERTING");
    return ends;
}

// An offered call, answered after it has rung for `ringMs`.
CallEnds Answered(ScriptedLine& line, End from, int channel, const ScriptedCall& call, uint32_t ringMs)
{
    const CallEnds ends = Offer(line, from, channel, call);
    line.Pause(ringMs);
    pri_answer(line.Ctrl(Peer(from)), ends.Of(Peer(from)), channel, kIsdn);
    line.Await(from, {PRI_EVENT_ANSWER}, "CONNECT");
    return ends;
}

void Clear(ScriptedLine& line, End by, const CallEnds& ends, int cause, const char* what)
{
    pri_hangup(line.Ctrl(by), ends.Of(by), cause);
    line.Settle(what);
}

// An offered call that one end clears while it rings.
void ClearedWhileRinging(ScriptedLine& line, End from, int channel, const ScriptedCall& call, End by, int cause,
                         const char* what)
{
    const CallEnds ends = Offer(line, from, channel, call);
    line.Pause(2500);
    Clear(line, by, ends, cause, what);
}

// Both ends number their calls from 1. A passive monitor drops the flag that
// tells whose reference it is, so two calls up at once with the same number
// would look like one: the network's numbers start further up.
void SeparateCallReferences(ScriptedLine& line)
{
    for (int i = 0; i < kNetworkFirstCallReference - 1; ++i) {
        pri_destroycall(line.Ctrl(End::Network), pri_new_call(line.Ctrl(End::Network)));
    }
}

}  // namespace

bool WriteCallScript(pcap2dmp::PcapWriter& capture, std::vector<ScriptedCall>& calls, std::string& error)
{
    ScriptedLine line(capture);
    SeparateCallReferences(line);
    calls = {
        {"outgoing, answered, held and retrieved, cleared by the caller", "2001", "5551000"},
        {"incoming while the first is up, answered, cleared by the network", "5552000", "2002"},
        {"incoming, refused by the user while ringing", "5553000", "2003"},
        {"outgoing to an unallocated number, refused by the network", "2004", "5559999"},
        {"outgoing, abandoned while ringing", "2005", "5554000"},
        {"incoming, abandoned while ringing", "5555000", "2006"},
    };

    // Two calls at once, one on each B-channel; the first is held and retrieved.
    const CallEnds first = Answered(line, End::User, kB1, calls[0], 2000);
    line.Pause(1000);
    const CallEnds second = Answered(line, End::Network, kB2, calls[1], 1500);
    line.Pause(3000);
    pri_hold(line.Ctrl(End::User), first.user);
    line.Await(End::User, {PRI_EVENT_HOLD_ACK}, "HOLD ACKNOWLEDGE");
    line.Pause(2500);
    pri_retrieve(line.Ctrl(End::User), first.user, kB1);
    line.Await(End::User, {PRI_EVENT_RETRIEVE_ACK}, "RETRIEVE ACKNOWLEDGE");
    line.Pause(4000);
    Clear(line, End::User, first, PRI_CAUSE_NORMAL_CLEARING, "clearing of the held and retrieved call");
    line.Pause(2000);
    Clear(line, End::Network, second, PRI_CAUSE_NORMAL_CLEARING, "clearing of the incoming call");
    line.Pause(2000);

    // Refused by the called side. (A terminal that refuses a point-to-multipoint
    // offer at once stays silent in libpri: this one rings first.)
    ClearedWhileRinging(line, End::Network, kB1, calls[2], End::User, PRI_CAUSE_CALL_REJECTED,
                        "refusal of an incoming call");
    line.Pause(1500);
    CallEnds unallocated;
    unallocated.user = line.Setup(End::User, kB2, calls[3]);
    unallocated.network = line.Await(End::Network, {PRI_EVENT_RING}, "SETUP to an unallocated number");
    Clear(line, End::Network, unallocated, PRI_CAUSE_UNALLOCATED, "refusal of an outgoing call");
    line.Pause(1500);

    // Given up by the caller while the other side rings.
    ClearedWhileRinging(line, End::User, kB1, calls[4], End::User, PRI_CAUSE_NORMAL_CLEARING,
                        "abandon of an outgoing call");
    line.Pause(1500);
    ClearedWhileRinging(line, End::Network, kB2, calls[5], End::Network, PRI_CAUSE_NORMAL_CLEARING,
                        "abandon of an incoming call");

    error = line.Error();
    return error.empty();
}

}  // namespace isdntraffic
