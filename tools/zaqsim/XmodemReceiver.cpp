#include "XmodemReceiver.h"

#include <span>

#include "Crc16.h"

namespace zaqsim {

using namespace xmodem;

const XmodemReceiver::Transition XmodemReceiver::kTransitions[] = {
    {State::WaitingFirst, Event::PollDue, &XmodemReceiver::SendPoll},
    {State::WaitingFirst, Event::Soh, &XmodemReceiver::BeginFrame},
    {State::WaitingFirst, Event::Eot, &XmodemReceiver::AcceptEndOfTransfer},
    {State::WaitingFirst, Event::Can, &XmodemReceiver::SenderCancelled},
    {State::WaitingFirst, Event::GiveUp, &XmodemReceiver::GiveUp},
    {State::WaitingBlock, Event::Soh, &XmodemReceiver::BeginFrame},
    {State::WaitingBlock, Event::Eot, &XmodemReceiver::AcceptEndOfTransfer},
    {State::WaitingBlock, Event::Can, &XmodemReceiver::SenderCancelled},
    {State::WaitingBlock, Event::GiveUp, &XmodemReceiver::GiveUp},
    {State::InFrame, Event::Data, &XmodemReceiver::CollectFrameByte},
    {State::InFrame, Event::FrameStalled, &XmodemReceiver::RefuseStalledFrame},
    {State::InFrame, Event::GiveUp, &XmodemReceiver::GiveUp},
};

XmodemReceiver::XmodemReceiver(const platform::Clock& clock, Timing timing, FirmwareInjections injections)
    : clock_(clock), timing_(timing), injections_(injections)
{
}

void XmodemReceiver::Start(std::string& out)
{
    giveUpAt_ = clock_.Now() + timing_.giveUpMs;
    SendPoll(0, out);
}

void XmodemReceiver::Feed(uint8_t byte, std::string& out)
{
    Event event = Event::Other;
    if (state_ == State::InFrame)
        event = Event::Data;
    else if (byte == kSoh)
        event = Event::Soh;
    else if (byte == kEot)
        event = Event::Eot;
    else if (byte == kCan)
        event = Event::Can;
    Dispatch(event, byte, out);
}

void XmodemReceiver::Poll(std::string& out)
{
    if (state_ == State::Finished)
        return;
    if (Passed(giveUpAt_))
        Dispatch(Event::GiveUp, 0, out);
    else if (state_ == State::WaitingFirst && Passed(nextPollAt_))
        Dispatch(Event::PollDue, 0, out);
    else if (state_ == State::InFrame && Passed(frameDeadline_))
        Dispatch(Event::FrameStalled, 0, out);
}

int64_t XmodemReceiver::MsUntilNextDue() const
{
    if (state_ == State::Finished)
        return -1;
    uint32_t due = giveUpAt_;
    auto earlier = [this](uint32_t a, uint32_t b) {
        const uint32_t now = clock_.Now();
        return static_cast<int32_t>(a - now) < static_cast<int32_t>(b - now) ? a : b;
    };
    if (state_ == State::WaitingFirst)
        due = earlier(due, nextPollAt_);
    if (state_ == State::InFrame)
        due = earlier(due, frameDeadline_);
    const int32_t remaining = static_cast<int32_t>(due - clock_.Now());
    return remaining < 0 ? 0 : remaining;
}

void XmodemReceiver::Dispatch(Event event, uint8_t byte, std::string& out)
{
    for (const Transition& transition : kTransitions) {
        if (transition.state == state_ && transition.event == event) {
            (this->*transition.handler)(byte, out);
            return;
        }
    }
}

void XmodemReceiver::SendPoll(uint8_t, std::string& out)
{
    out.push_back(static_cast<char>(kPoll));
    nextPollAt_ = clock_.Now() + timing_.pollMs;
}

void XmodemReceiver::BeginFrame(uint8_t byte, std::string& out)
{
    frame_.assign(1, static_cast<char>(byte));
    frameDeadline_ = clock_.Now() + timing_.byteTimeoutMs;
    state_ = State::InFrame;
}

void XmodemReceiver::CollectFrameByte(uint8_t byte, std::string& out)
{
    frame_.push_back(static_cast<char>(byte));
    frameDeadline_ = clock_.Now() + timing_.byteTimeoutMs;
    if (frame_.size() == kFrameSize)
        CheckFrame(out);
}

void XmodemReceiver::RefuseStalledFrame(uint8_t, std::string& out)
{
    frame_.clear();
    state_ = State::WaitingBlock;
    out.push_back(static_cast<char>(kNak));
}

void XmodemReceiver::CheckFrame(std::string& out)
{
    const auto* bytes = reinterpret_cast<const uint8_t*>(frame_.data());
    const uint8_t block = bytes[1];
    const std::span<const uint8_t> data(bytes + 3, kBlockSize);
    const uint16_t sentCrc = static_cast<uint16_t>((bytes[131] << 8) | bytes[132]);
    state_ = State::WaitingBlock;
    giveUpAt_ = clock_.Now() + timing_.giveUpMs;

    if (static_cast<uint8_t>(block + bytes[2]) != 0xFF || Crc16Xmodem(data) != sentCrc) {
        out.push_back(static_cast<char>(kNak));
        return;
    }
    if (block == expectedBlock_) {
        const uint32_t ordinal = blocksReceived_ + 1;
        if (ordinal == injections_.nakBlock && !nakInjected_) {
            nakInjected_ = true;
            out.push_back(static_cast<char>(kNak));
            return;
        }
        if (ordinal == injections_.cancelBlock) {
            out.push_back(static_cast<char>(kCan));
            Finish(Outcome::Cancelled);
            return;
        }
        image_.append(reinterpret_cast<const char*>(data.data()), data.size());
        blocksReceived_ = ordinal;
        ++expectedBlock_;
        out.push_back(static_cast<char>(kAck));
        return;
    }
    if (blocksReceived_ > 0 && block == static_cast<uint8_t>(expectedBlock_ - 1)) {
        // The sender missed our ACK and sent the block again: acknowledge, keep one copy.
        out.push_back(static_cast<char>(kAck));
        return;
    }
    // A block out of sequence: the two sides have lost each other.
    out.push_back(static_cast<char>(kCan));
    Finish(Outcome::Cancelled);
}

void XmodemReceiver::AcceptEndOfTransfer(uint8_t, std::string& out)
{
    out.push_back(static_cast<char>(kAck));
    Finish(Outcome::Completed);
}

void XmodemReceiver::SenderCancelled(uint8_t, std::string&)
{
    Finish(Outcome::Aborted);
}

void XmodemReceiver::GiveUp(uint8_t, std::string& out)
{
    // One CAN only: the library leaves its transfer on the first, and would take
    // any further one as the start of its next text line.
    out.push_back(static_cast<char>(kCan));
    Finish(Outcome::GaveUp);
}

void XmodemReceiver::Finish(Outcome outcome)
{
    state_ = State::Finished;
    outcome_ = outcome;
    frame_.clear();
}

bool XmodemReceiver::Passed(uint32_t due) const
{
    return static_cast<int32_t>(clock_.Now() - due) >= 0;
}

}  // namespace zaqsim
