// The per-channel one-shot timers of the deferred display event, with their
// trace lines.
#include "decoders/DisplayTimers.h"

#include "base/Trace.h"

DisplayTimers::DisplayTimers(platform::TimerQueue& queue, uint32_t startChannel, const Settings& settings,
                             std::function<void(uint8_t channel)> fired)
    : queue_(queue), startChannel_(startChannel), settings_(settings), fired_(std::move(fired))
{
    timer_.fill(platform::TimerQueue::kNoTimer);
    for (uint8_t channel = 0; channel < kChannels; ++channel) {
        context_[channel] = TimerContext{this, channel};
    }
}

DisplayTimers::~DisplayTimers()
{
    for (uint8_t channel = 0; channel < kChannels; ++channel) {
        Cancel(channel);
    }
}

int DisplayTimers::ChannelNumber(uint8_t channel, Numbering numbering) const
{
    switch (numbering) {
    case Numbering::Local:
        return channel;
    case Numbering::LocalPlusOne:
        return channel + 1;
    case Numbering::Absolute:
        break;
    }
    return static_cast<int>(startChannel_ + channel);
}

void DisplayTimers::Arm(uint8_t channel)
{
    const int delay = static_cast<int>(settings_.delayMs);
    if (timer_[channel] == platform::TimerQueue::kNoTimer) {
        Trace(TRACE_DEBUG, "ProcessCommand", "TIMER CREATED for %d ms for %d", delay,
              ChannelNumber(channel, Numbering::Absolute));
        timer_[channel] = queue_.Create();
    }
    Trace(TRACE_DEBUG, "ProcessCommand", "TIMER SET for %d ms for %d", delay,
          ChannelNumber(channel, settings_.setNumbering));
    queue_.Set(timer_[channel], settings_.delayMs, &DisplayTimers::Completion, &context_[channel]);
}

void DisplayTimers::Cancel(uint8_t channel)
{
    if (timer_[channel] == platform::TimerQueue::kNoTimer) {
        return;
    }
    queue_.Cancel(timer_[channel]);
    queue_.Close(timer_[channel]);
    timer_[channel] = platform::TimerQueue::kNoTimer;
}

bool DisplayTimers::Armed(uint8_t channel) const
{
    return timer_[channel] != platform::TimerQueue::kNoTimer && queue_.IsArmed(timer_[channel]);
}

void DisplayTimers::Completion(void* context)
{
    const TimerContext& fired = *static_cast<TimerContext*>(context);
    DisplayTimers& self = *fired.timers;
    Trace(self.settings_.firedLevel, self.settings_.completionName, "TIMER FIRED after %d ms for %d",
          static_cast<int>(self.settings_.delayMs), self.ChannelNumber(fired.channel, self.settings_.firedNumbering));
    self.Cancel(fired.channel);
    self.fired_(fired.channel);
}
