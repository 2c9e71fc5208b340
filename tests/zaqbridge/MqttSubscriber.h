// A subscriber for the tests, on libmosquitto: collects every message of its
// topic filter (QoS 1) and reconnects on its own when the broker comes back.
#pragma once

#include <cstdint>
#include <functional>
#include <mutex>
#include <condition_variable>
#include <string>
#include <vector>

struct mosquitto;

struct ReceivedMessage {
    std::string topic;
    std::string payload;
    bool retained = false;
};

// How a subscriber logs in: TLS checked against `caFile` when set, a user and password when set.
struct MqttLogin {
    std::string caFile;
    std::string username;
    std::string password;
};

class MqttSubscriber {
public:
    // `clientId` with `persistentSession`: the broker keeps the subscription and
    // queues messages for it while it is away.
    MqttSubscriber(int port, std::string topicFilter, std::string clientId = "", bool persistentSession = false,
                   const MqttLogin& login = {});
    ~MqttSubscriber();
    MqttSubscriber(const MqttSubscriber&) = delete;
    MqttSubscriber& operator=(const MqttSubscriber&) = delete;

    // Waits until the subscription is in place.
    bool WaitSubscribed(uint32_t timeoutMs);
    std::vector<ReceivedMessage> Messages();
    // Waits up to `timeoutMs` until `done` holds for the messages so far.
    bool WaitFor(const std::function<bool(const std::vector<ReceivedMessage>&)>& done, uint32_t timeoutMs);

private:
    static void OnConnect(mosquitto*, void* self, int result);
    static void OnSubscribe(mosquitto*, void* self, int, int, const int*);
    static void OnMessage(mosquitto*, void* self, const struct mosquitto_message* message);

    std::string filter_;
    mosquitto* client_ = nullptr;
    std::mutex lock_;
    std::condition_variable changed_;
    bool subscribed_ = false;
    std::vector<ReceivedMessage> messages_;
};

// Counts messages whose topic ends with `suffix`.
size_t CountTopicsEndingWith(const std::vector<ReceivedMessage>& messages, const std::string& suffix);
// The number after "\"<name>\":" in a JSON text; -1 when absent.
long long JsonNumber(const std::string& json, const std::string& name);
