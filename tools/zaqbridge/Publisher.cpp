#include "Publisher.h"

#include <chrono>
#include <cstdio>
#include <set>

#include "BridgeMessages.h"

namespace {

constexpr uint32_t kIdleWaitMs = 100;
constexpr size_t kBatchEvents = 512;
constexpr uint32_t kResendWaitMs = 5000;

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

bool Publisher::Drained() const
{
    return idle_ && buffer_.Size() == 0 && session_.Unacknowledged() <= 0;
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

void Publisher::Run()
{
    uint64_t connectionsSeen = 0;
    while (!stop_) {
        if (!session_.Connected()) {
            idle_ = false;
            session_.WaitForChange(kIdleWaitMs);
            continue;
        }
        if (session_.Connections() != connectionsSeen) {
            connectionsSeen = session_.Connections();
            AwaitResentMessages();
            PublishOnConnection();
        }
        ReportDropped();
        // Events stay in the bounded buffer until the connection has room for them.
        const int64_t room = static_cast<int64_t>(session_.InflightLimit()) - session_.Unacknowledged();
        if (room <= 0) {
            session_.WaitForChange(kIdleWaitMs);
            continue;
        }
        buffer_.TakeBatch(batch_, std::min<size_t>(static_cast<size_t>(room), kBatchEvents), kIdleWaitMs);
        idle_ = batch_.empty();
        PublishBatch();
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
    session_.Publish(DroppedTopic(site_), std::to_string(reportedDropped_), true);
}

void Publisher::PublishBatch()
{
    std::set<ChannelStates::Key> touched;
    for (const BridgeEvent& event : batch_) {
        const ZAQ16_EVENT& words = event.event;
        session_.Publish(EventTopic(site_, words.board, words.channel), BridgeEventJson(site_, event), false);
        if (states_.Apply(event)) {
            touched.insert({words.board, words.channel});
        }
    }
    // One state message per channel and batch: a burst of events costs one
    // retained message per channel, and the last one is what counts.
    for (const ChannelStates::Key& key : touched) {
        session_.Publish(StateTopic(site_, key.first, key.second), ChannelStateJson(site_, *states_.Find(key)), true);
    }
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
