// The unit's side of a firmware transfer: an XMODEM-CRC receiver. It asks for
// the first block with "C" at intervals, checks each 133-byte frame (SOH, block
// number, its complement, 128 data bytes, CRC-16 high byte first), answers ACK
// or NAK, and ends on EOT. Every wait is bounded: a transfer that makes no
// progress for the give-up time is cancelled. Driven by bytes and a clock only.
#pragma once

#include <cstdint>
#include <string>

#include "UnitConfig.h"
#include "platform/Clock.h"

namespace zaqsim {

// Kept apart from the library's on purpose: the other end must not share the code it checks.
namespace xmodem {
constexpr uint8_t kSoh = 0x01;
constexpr uint8_t kEot = 0x04;
constexpr uint8_t kAck = 0x06;
constexpr uint8_t kNak = 0x15;
constexpr uint8_t kCan = 0x18;
constexpr uint8_t kPoll = 'C';
constexpr size_t kBlockSize = 128;
constexpr size_t kFrameSize = 133;
}  // namespace xmodem

class XmodemReceiver {
public:
    enum class Outcome {
        Running,
        Completed,  // EOT received and acknowledged: image() holds every block
        Cancelled,  // this side cancelled (injection or lost block sequence)
        Aborted,    // the sender cancelled
        GaveUp,     // nothing usable arrived for the give-up time
    };

    struct Timing {
        uint32_t pollMs = 1000;
        uint32_t byteTimeoutMs = 1000;
        uint32_t giveUpMs = 10000;
    };

    XmodemReceiver(const platform::Clock& clock, Timing timing, FirmwareInjections injections);

    // Sends the first "C". Bytes for the sender are appended to `out` by every call.
    void Start(std::string& out);
    void Feed(uint8_t byte, std::string& out);
    // Runs what is due: the next "C", a stalled frame, giving up.
    void Poll(std::string& out);
    // Milliseconds until Poll has something to do; -1 when finished.
    int64_t MsUntilNextDue() const;

    Outcome outcome() const { return outcome_; }
    // The blocks received, in order, with the sender's padding.
    const std::string& image() const { return image_; }
    uint32_t blocksReceived() const { return blocksReceived_; }

private:
    enum class State { WaitingFirst, WaitingBlock, InFrame, Finished };
    enum class Event { Soh, Eot, Can, Other, Data, PollDue, FrameStalled, GiveUp };
    using Handler = void (XmodemReceiver::*)(uint8_t byte, std::string& out);
    struct Transition {
        State state;
        Event event;
        Handler handler;
    };
    static const Transition kTransitions[];

    void Dispatch(Event event, uint8_t byte, std::string& out);
    void SendPoll(uint8_t, std::string& out);
    void BeginFrame(uint8_t byte, std::string& out);
    void CollectFrameByte(uint8_t byte, std::string& out);
    void RefuseStalledFrame(uint8_t, std::string& out);
    void AcceptEndOfTransfer(uint8_t, std::string& out);
    void SenderCancelled(uint8_t, std::string& out);
    void GiveUp(uint8_t, std::string& out);
    void CheckFrame(std::string& out);
    void Finish(Outcome outcome);
    bool Passed(uint32_t due) const;

    const platform::Clock& clock_;
    Timing timing_;
    FirmwareInjections injections_;
    State state_ = State::WaitingFirst;
    Outcome outcome_ = Outcome::Running;
    std::string frame_;
    std::string image_;
    uint8_t expectedBlock_ = 1;
    uint32_t blocksReceived_ = 0;
    bool nakInjected_ = false;
    uint32_t nextPollAt_ = 0;
    uint32_t frameDeadline_ = 0;
    uint32_t giveUpAt_ = 0;
};

}  // namespace zaqsim
