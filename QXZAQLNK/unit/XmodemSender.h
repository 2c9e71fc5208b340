// The sending side of a firmware transfer: XMODEM with CRC-16 as a transition
// table ((state, event) -> handler), driven by the receiver's bytes and a
// clock only. Bytes for the receiver are appended to `out` by every call; the
// owner writes them and says when a write failed.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/Clock.h"

class XmodemSender {
public:
    enum class Outcome {
        Running,
        Delivered,  // EOT sent and acknowledged, or the receiver's final line began
        Failed,     // cancelled by the receiver, a write failed, or no answer came
    };

    struct Limits {
        // A block left unanswered this long is sent again. A refused block
        // (NAK) is sent again at once, as often as the receiver asks. After
        // EOT the receiver's final answer may take as long as the upload allows.
        uint32_t answerWaitMs = 10000;
        // Unanswered resends of one block before the sender cancels.
        uint32_t maxRetries = 10;
    };

    using TraceFunction = void (*)(int32_t level, const char* function, const char* format, ...);
    // Called with 0 when the receiver is ready, each new multiple of 10, and 100 at the end.
    using ProgressFunction = std::function<void(uint32_t percent)>;

    XmodemSender(std::vector<uint8_t> image, const platform::Clock& clock, Limits limits, TraceFunction trace,
                 ProgressFunction progress);

    // One byte of the receiver's. False when the byte is not the transfer's:
    // the receiver's final text line has begun (the transfer is then over).
    bool Feed(uint8_t byte, std::string& out);
    // Runs what the clock has made due: an unanswered block sent again, or giving up.
    void Poll(std::string& out);
    // What the last call appended could not be written: the transfer fails.
    void WriteFailed();

    Outcome outcome() const { return outcome_; }
    // The number of the block last sent (wraps from 255 to 0).
    uint8_t blockNumber() const { return blockNumber_; }

private:
    enum class State { WaitingForReceiver, ReceiverAskedOnce, BlockSent, EndSent, Finished };
    enum class Event { CrcRequest, Ack, Nak, Can, Other, AnswerOverdue, WriteFailed };
    using Handler = void (XmodemSender::*)(std::string& out);
    struct Transition {
        State state;
        Event event;
        Handler handler;
    };
    static const Transition kTransitions[];

    static Event EventOf(uint8_t byte);
    void Dispatch(Event event, std::string& out);

    void CountRequest(std::string& out);
    void ForgetRequest(std::string& out);
    void StartTransfer(std::string& out);
    void BlockAcknowledged(std::string& out);
    void BlockRefused(std::string& out);
    void ResendUnanswered(std::string& out);
    void EndRefused(std::string& out);
    void EndAcknowledged(std::string& out);
    void FinalLineBegins(std::string& out);
    void CancelledWaiting(std::string& out);
    void CancelledInTransfer(std::string& out);
    void Fail(std::string& out);

    // Sends the block at `blockStart_`, or EOT when the image has ended there.
    void SendBlockOrEnd(std::string& out);
    void SendEnd(std::string& out);
    void AwaitAnswer(State state);
    void Finish(Outcome outcome);

    std::vector<uint8_t> image_;
    const platform::Clock& clock_;
    Limits limits_;
    TraceFunction trace_;
    ProgressFunction progress_;

    State state_ = State::WaitingForReceiver;
    Outcome outcome_ = Outcome::Running;
    bool byteTaken_ = true;
    uint8_t blockNumber_ = 1;
    size_t blockStart_ = 0;
    uint32_t lastReported_ = 0;
    uint32_t retries_ = 0;
    uint32_t answerDue_ = 0;
};
