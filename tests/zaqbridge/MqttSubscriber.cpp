#include "MqttSubscriber.h"

#include <mosquitto.h>

#include <chrono>

MqttSubscriber::MqttSubscriber(int port, std::string topicFilter, std::string clientId, bool persistentSession,
                               const MqttLogin& login)
    : filter_(std::move(topicFilter))
{
    mosquitto_lib_init();
    client_ = mosquitto_new(clientId.empty() ? nullptr : clientId.c_str(), !persistentSession, this);
    mosquitto_connect_callback_set(client_, &MqttSubscriber::OnConnect);
    mosquitto_subscribe_callback_set(client_, &MqttSubscriber::OnSubscribe);
    mosquitto_message_callback_set(client_, &MqttSubscriber::OnMessage);
    mosquitto_reconnect_delay_set(client_, 1, 1, false);
    if (!login.caFile.empty()) {
        mosquitto_tls_set(client_, login.caFile.c_str(), nullptr, nullptr, nullptr, nullptr);
    }
    if (!login.username.empty()) {
        mosquitto_username_pw_set(client_, login.username.c_str(), login.password.c_str());
    }
    mosquitto_connect_async(client_, "127.0.0.1", port, 30);
    mosquitto_loop_start(client_);
}

MqttSubscriber::~MqttSubscriber()
{
    mosquitto_disconnect(client_);
    mosquitto_loop_stop(client_, false);
    mosquitto_destroy(client_);
    mosquitto_lib_cleanup();
}

bool MqttSubscriber::WaitSubscribed(uint32_t timeoutMs)
{
    std::unique_lock<std::mutex> guard(lock_);
    return changed_.wait_for(guard, std::chrono::milliseconds(timeoutMs), [this] { return subscribed_; });
}

std::vector<ReceivedMessage> MqttSubscriber::Messages()
{
    std::lock_guard<std::mutex> guard(lock_);
    return messages_;
}

bool MqttSubscriber::WaitFor(const std::function<bool(const std::vector<ReceivedMessage>&)>& done, uint32_t timeoutMs)
{
    std::unique_lock<std::mutex> guard(lock_);
    return changed_.wait_for(guard, std::chrono::milliseconds(timeoutMs), [&] { return done(messages_); });
}

void MqttSubscriber::OnConnect(mosquitto* client, void* self, int result)
{
    if (result == 0) {
        mosquitto_subscribe(client, nullptr, static_cast<MqttSubscriber*>(self)->filter_.c_str(), 1);
    }
}

void MqttSubscriber::OnSubscribe(mosquitto*, void* self, int, int, const int*)
{
    auto* subscriber = static_cast<MqttSubscriber*>(self);
    {
        std::lock_guard<std::mutex> guard(subscriber->lock_);
        subscriber->subscribed_ = true;
    }
    subscriber->changed_.notify_all();
}

void MqttSubscriber::OnMessage(mosquitto*, void* self, const mosquitto_message* message)
{
    auto* subscriber = static_cast<MqttSubscriber*>(self);
    ReceivedMessage received;
    received.topic = message->topic;
    received.payload.assign(static_cast<const char*>(message->payload), static_cast<size_t>(message->payloadlen));
    received.retained = message->retain;
    {
        std::lock_guard<std::mutex> guard(subscriber->lock_);
        subscriber->messages_.push_back(std::move(received));
    }
    subscriber->changed_.notify_all();
}

size_t CountTopicsEndingWith(const std::vector<ReceivedMessage>& messages, const std::string& suffix)
{
    size_t count = 0;
    for (const ReceivedMessage& message : messages) {
        if (message.topic.size() >= suffix.size() &&
            message.topic.compare(message.topic.size() - suffix.size(), suffix.size(), suffix) == 0) {
            ++count;
        }
    }
    return count;
}

long long JsonNumber(const std::string& json, const std::string& name)
{
    const std::string key = "\"" + name + "\":";
    const size_t at = json.find(key);
    if (at == std::string::npos) {
        return -1;
    }
    return std::stoll(json.substr(at + key.size()));
}
