#include "Publisher.h"

#include <algorithm>
#include <cstdio>

#include "BridgeMessages.h"

namespace {

constexpr uint32_t kIdleWaitMs = 100;
// Events published from the buffer while the callback waits for the lock.
constexpr size_t kBatchEvents = 256;
constexpr uint32_t kResendWaitMs = 5000;
// Changed states go out at most this often: a burst of events costs one
// retained message per channel, and the last one is what counts.
constexpr auto kStateInterval = std::chrono::milliseconds(5);
constexpr auto kNoConnectionNotice = std::chrono::seconds(10);

}  // namespace

Publisher::Publisher(std::string site, EventBuffer& buffer, MqttSession& session)
    : site_(std::move(site)), buffer_(buffer), session_(session)
{
}

Publisher::~Publisher()
{
    stop_ = true;
    buffer_.Wake();
    if (thread_.joinable()) {
        thread_.join();
    }
}

void Publisher::Start()
{
    thread_ = std::thread([this] { Run(); });
}

bool Publisher::Deliver(BridgeEvent&& event)
{
    std::lock_guard<std::mutex> guard(publishLock_);
    // Buffered events go first: the new one may overtake none of them.
    if (buffer_.Size() == 0 && HasRoom()) {
        PublishEvent(event);
        return true;
    }
    return buffer_.Push(std::move(event));
}

bool Publisher::Drained() const
{
    std::lock_guard<std::mutex> guard(publishLock_);
    return session_.Connected() && connectionReady_ == session_.Connections() && buffer_.Size() == 0 &&
           changedStates_.empty() && session_.Unacknowledged() <= 0;
}

size_t Publisher::Finish(uint32_t timeoutMs)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!Drained() && std::chrono::steady_clock::now() < deadline) {
        session_.WaitForChange(20);
    }
    stop_ = true;
    buffer_.Wake();
    if (thread_.joinable()) {
        thread_.join();
    }
    return buffer_.Size();
}

bool Publisher::HasRoom() const
{
    return session_.Connected() && connectionReady_ == session_.Connections() &&
           session_.Unacknowledged() < static_cast<int64_t>(session_.InflightLimit());
}

void Publisher::Run()
{
    auto disconnectedSince = std::chrono::steady_clock::now();
    bool disconnectionReported = false;
    while (!stop_) {
        if (!session_.Connected()) {
            // A broker that stays away, or a TLS handshake that never completes, says nothing by itself.
            if (!disconnectionReported && std::chrono::steady_clock::now() - disconnectedSince > kNoConnectionNotice) {
                std::fprintf(stderr,
                             "zaqbridge: no connection to the broker %s for %lld s (is it running, and are the TLS "
                             "and login settings right?); events are buffered meanwhile\n",
                             session_.Address().c_str(),
                             static_cast<long long>(std::chrono::duration_cast<std::chrono::seconds>(kNoConnectionNotice).count()));
                disconnectionReported = true;
            }
            session_.WaitForChange(kIdleWaitMs);
            continue;
        }
        disconnectedSince = std::chrono::steady_clock::now();
        disconnectionReported = false;
        const uint64_t connection = session_.Connections();
        if (connection != connectionReady_) {
            AwaitResentMessages();
            std::lock_guard<std::mutex> guard(publishLock_);
            PublishOnConnection();
            connectionReady_ = connection;
        }
        ReportDropped();
        PublishBufferedEvents();
        PublishChangedStates();
        if (buffer_.Size() > 0) {
            // Events stay in the bounded buffer until the connection has room for them.
            bool room;
            {
                std::lock_guard<std::mutex> guard(publishLock_);
                room = HasRoom();
            }
            if (!room) {
                session_.WaitForChange(kIdleWaitMs);
            }
            continue;
        }
        uint32_t waitMs = kIdleWaitMs;
        {
            std::lock_guard<std::mutex> guard(publishLock_);
            if (!changedStates_.empty()) {
                const auto due = lastStatesPublished_ + kStateInterval - std::chrono::steady_clock::now();
                waitMs = static_cast<uint32_t>(
                    std::clamp<int64_t>(std::chrono::ceil<std::chrono::milliseconds>(due).count(), 1, kIdleWaitMs));
            }
        }
        buffer_.WaitForEvents(waitMs);
    }
}

void Publisher::AwaitResentMessages()
{
    // What was in flight when the connection broke goes again first (libmosquitto
    // sends it after the connection is made): newer events must not overtake it.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kResendWaitMs);
    while (!stop_ && session_.Connected() && session_.Unacknowledged() > 0 &&
           std::chrono::steady_clock::now() < deadline) {
        session_.WaitForChange(20);
    }
}

void Publisher::PublishOnConnection()
{
    session_.Publish(StatusTopic(site_), "online", true);
    // The broker may have lost its retained messages (a restart without persistence).
    for (const auto& [key, state] : states_.All()) {
        session_.Publish(StateTopic(site_, key.first, key.second), ChannelStateJson(site_, state), true);
    }
    changedStates_.clear();
    session_.Publish(DroppedTopic(site_), std::to_string(reportedDropped_), true);
}

void Publisher::PublishBufferedEvents()
{
    std::lock_guard<std::mutex> guard(publishLock_);
    if (!HasRoom()) {
        return;
    }
    const int64_t room = static_cast<int64_t>(session_.InflightLimit()) - session_.Unacknowledged();
    buffer_.TakeBatch(batch_, std::min<size_t>(static_cast<size_t>(room), kBatchEvents), 0);
    for (const BridgeEvent& event : batch_) {
        PublishEvent(event);
    }
}

void Publisher::PublishEvent(const BridgeEvent& event)
{
    const ZAQ16_EVENT& words = event.event;
    session_.Publish(EventTopic(site_, words.board, words.channel), BridgeEventJson(site_, event), false);
    if (states_.Apply(event) && changedStates_.insert({words.board, words.channel}).second &&
        changedStates_.size() == 1) {
        // The thread publishes the state soon; it may be waiting for events that now come the quick way.
        buffer_.Wake();
    }
}

void Publisher::PublishChangedStates()
{
    const auto now = std::chrono::steady_clock::now();
    std::lock_guard<std::mutex> guard(publishLock_);
    if (changedStates_.empty() || now - lastStatesPublished_ < kStateInterval) {
        return;
    }
    for (const ChannelStates::Key& key : changedStates_) {
        session_.Publish(StateTopic(site_, key.first, key.second), ChannelStateJson(site_, *states_.Find(key)), true);
    }
    changedStates_.clear();
    lastStatesPublished_ = now;
}

void Publisher::ReportDropped()
{
    const uint64_t dropped = buffer_.Dropped();
    if (dropped == reportedDropped_) {
        return;
    }
    std::fprintf(stderr, "zaqbridge: %llu event(s) dropped in all: the buffer was full while the broker was away\n",
                 static_cast<unsigned long long>(dropped));
    reportedDropped_ = dropped;
    session_.Publish(DroppedTopic(site_), std::to_string(dropped), true);
}
