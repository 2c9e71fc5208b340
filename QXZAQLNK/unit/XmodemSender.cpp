// The XMODEM-CRC sender of a firmware image: its transition table and handlers.
#include "unit/XmodemSender.h"

#include <algorithm>

#include "common/TraceWriter.h"
#include "common/XmodemFormat.h"

namespace {

constexpr const char* kTraceFunction = "ZAQ16PORT";

}  // namespace

const XmodemSender::Transition XmodemSender::kTransitions[] = {
    {State::WaitingForReceiver, Event::CrcRequest, &XmodemSender::CountRequest},
    {State::WaitingForReceiver, Event::Can, &XmodemSender::CancelledWaiting},
    {State::ReceiverAskedOnce, Event::CrcRequest, &XmodemSender::StartTransfer},
    {State::ReceiverAskedOnce, Event::Can, &XmodemSender::CancelledWaiting},
    {State::ReceiverAskedOnce, Event::Ack, &XmodemSender::ForgetRequest},
    {State::ReceiverAskedOnce, Event::Nak, &XmodemSender::ForgetRequest},
    {State::ReceiverAskedOnce, Event::Other, &XmodemSender::ForgetRequest},
    {State::BlockSent, Event::Ack, &XmodemSender::BlockAcknowledged},
    {State::BlockSent, Event::Nak, &XmodemSender::BlockRefused},
    {State::BlockSent, Event::Can, &XmodemSender::CancelledInTransfer},
    {State::BlockSent, Event::AnswerOverdue, &XmodemSender::ResendUnanswered},
    {State::BlockSent, Event::WriteFailed, &XmodemSender::Fail},
    {State::EndSent, Event::Ack, &XmodemSender::EndAcknowledged},
    {State::EndSent, Event::Nak, &XmodemSender::EndRefused},
    {State::EndSent, Event::Can, &XmodemSender::CancelledInTransfer},
    {State::EndSent, Event::CrcRequest, &XmodemSender::FinalLineBegins},
    {State::EndSent, Event::Other, &XmodemSender::FinalLineBegins},
    {State::EndSent, Event::WriteFailed, &XmodemSender::Fail},
};

XmodemSender::XmodemSender(std::vector<uint8_t> image, const platform::Clock& clock, Limits limits,
                           TraceFunction trace, ProgressFunction progress)
    : image_(std::move(image)), clock_(clock), limits_(limits), trace_(trace), progress_(std::move(progress))
{
}

XmodemSender::Event XmodemSender::EventOf(uint8_t byte)
{
    switch (byte) {
    case xmodem::kCrcRequest:
        return Event::CrcRequest;
    case xmodem::kAck:
        return Event::Ack;
    case xmodem::kNak:
        return Event::Nak;
    case xmodem::kCan:
        return Event::Can;
    default:
        return Event::Other;
    }
}

bool XmodemSender::Feed(uint8_t byte, std::string& out)
{
    byteTaken_ = true;
    Dispatch(EventOf(byte), out);
    return byteTaken_;
}

void XmodemSender::Poll(std::string& out)
{
    if (static_cast<int32_t>(clock_.Now() - answerDue_) >= 0) {
        Dispatch(Event::AnswerOverdue, out);
    }
}

void XmodemSender::WriteFailed()
{
    std::string none;
    Dispatch(Event::WriteFailed, none);
}

void XmodemSender::Dispatch(Event event, std::string& out)
{
    const auto row = std::find_if(std::begin(kTransitions), std::end(kTransitions),
                                  [this, event](const Transition& t) { return t.state == state_ && t.event == event; });
    // A byte no row names is ignored.
    if (row != std::end(kTransitions)) {
        (this->*row->handler)(out);
    }
}

void XmodemSender::CountRequest(std::string&)
{
    state_ = State::ReceiverAskedOnce;
}

void XmodemSender::ForgetRequest(std::string&)
{
    state_ = State::WaitingForReceiver;
}

void XmodemSender::StartTransfer(std::string& out)
{
    // Two "C" in a row: the receiver is ready.
    blockNumber_ = 1;
    blockStart_ = 0;
    lastReported_ = 0;
    progress_(0);
    SendBlockOrEnd(out);
}

void XmodemSender::BlockAcknowledged(std::string& out)
{
    trace_(TRACE_DEBUG, kTraceFunction, "ACK %d\n", blockNumber_);
    const uint32_t percent = image_.empty() ? 0 : static_cast<uint32_t>(blockStart_ * 100 / image_.size());
    if (percent % 10 == 0 && percent > lastReported_) {
        progress_(percent);
        lastReported_ = percent;
    }
    ++blockNumber_;
    blockStart_ = std::min(blockStart_ + xmodem::kBlockSize, image_.size());
    retries_ = 0;
    // The end is found by position, so an image of whole blocks also ends with 100 %.
    if (blockStart_ >= image_.size()) {
        SendEnd(out);
        progress_(100);
    } else {
        SendBlockOrEnd(out);
    }
}

void XmodemSender::BlockRefused(std::string& out)
{
    trace_(TRACE_WARNING, kTraceFunction, "XMODEM NAK %d\n", blockNumber_);
    SendBlockOrEnd(out);
}

void XmodemSender::ResendUnanswered(std::string& out)
{
    if (++retries_ > limits_.maxRetries) {
        trace_(TRACE_WARNING, kTraceFunction, "XMODEM NO ANSWER %d\n", blockNumber_);
        // Two CAN, as receivers expect of a sender that cancels.
        out.push_back(static_cast<char>(xmodem::kCan));
        out.push_back(static_cast<char>(xmodem::kCan));
        Finish(Outcome::Failed);
        return;
    }
    SendBlockOrEnd(out);
}

void XmodemSender::EndRefused(std::string& out)
{
    SendEnd(out);
}

void XmodemSender::EndAcknowledged(std::string&)
{
    Finish(Outcome::Delivered);
}

void XmodemSender::FinalLineBegins(std::string&)
{
    // A receiver that does not acknowledge EOT: this byte begins its final answer.
    byteTaken_ = false;
    Finish(Outcome::Delivered);
}

void XmodemSender::CancelledWaiting(std::string&)
{
    Finish(Outcome::Failed);
}

void XmodemSender::CancelledInTransfer(std::string&)
{
    trace_(TRACE_WARNING, kTraceFunction, "XMODEM CANCEL %d\n", blockNumber_);
    Finish(Outcome::Failed);
}

void XmodemSender::Fail(std::string&)
{
    Finish(Outcome::Failed);
}

void XmodemSender::SendBlockOrEnd(std::string& out)
{
    trace_(TRACE_DEBUG, kTraceFunction, "Sending packet %d\n", blockNumber_);
    const size_t size = std::min(xmodem::kBlockSize, image_.size() - blockStart_);
    if (size == 0) {
        SendEnd(out);
        return;
    }
    const auto frame = xmodem::BuildFrame(blockNumber_, image_.data() + blockStart_, size);
    out.append(reinterpret_cast<const char*>(frame.data()), frame.size());
    AwaitAnswer(State::BlockSent);
}

void XmodemSender::SendEnd(std::string& out)
{
    out.push_back(static_cast<char>(xmodem::kEot));
    AwaitAnswer(State::EndSent);
}

void XmodemSender::AwaitAnswer(State state)
{
    state_ = state;
    answerDue_ = clock_.Now() + limits_.answerWaitMs;
}

void XmodemSender::Finish(Outcome outcome)
{
    state_ = State::Finished;
    outcome_ = outcome;
}
