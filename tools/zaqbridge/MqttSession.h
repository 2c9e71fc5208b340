// One connection to the MQTT broker through libmosquitto: its own network
// thread, reconnection with a growing wait when the broker goes away, a last
// will, optional TLS and user/password. Publications are QoS 1; the session
// counts those the broker has not yet acknowledged (libmosquitto sends them
// again after a reconnection).
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>

struct mosquitto;

struct MqttSettings {
    std::string host;
    uint32_t port = 1883;
    uint32_t keepaliveSeconds = 30;
    std::string clientId;
    std::string username;
    std::string password;
    std::string caFile;
    std::string caPath;
    std::string certFile;
    std::string keyFile;
    bool tlsInsecure = false;
    uint32_t reconnectMinSeconds = 1;
    uint32_t reconnectMaxSeconds = 30;
    std::string willTopic;
    std::string willPayload;
    // Messages in flight at once (sent, not yet acknowledged). A busy broker
    // acknowledges late, and a short window leaves the bridge waiting;
    // libmosquitto walks its list of messages in flight on every publication
    // and acknowledgement, so a long one costs.
    uint32_t inflightMessages = 300;
};

class MqttSession {
public:
    explicit MqttSession(MqttSettings settings);
    ~MqttSession();
    MqttSession(const MqttSession&) = delete;
    MqttSession& operator=(const MqttSession&) = delete;

    // Sets the session up and starts its network thread, which connects (and
    // keeps reconnecting) on its own; false with `error` for settings
    // libmosquitto refuses.
    bool Start(std::string& error);
    // Hands a QoS 1 message to libmosquitto; false when it refused it
    // (not merely because the broker is away: then it is sent on reconnection).
    bool Publish(const std::string& topic, const std::string& payload, bool retain);
    // Disconnects cleanly (no last will) and ends the network thread, in a bounded time.
    void Stop();

    bool Connected() const { return connected_; }
    // "host:port" of the broker, for messages.
    std::string Address() const { return settings_.host + ":" + std::to_string(settings_.port); }
    uint32_t InflightLimit() const { return settings_.inflightMessages; }
    // Counts the connections made so far, so that a caller sees a reconnection.
    uint64_t Connections() const { return connections_; }
    // QoS 1 messages handed over and not yet acknowledged by the broker.
    int64_t Unacknowledged() const { return unacknowledged_; }
    // Waits up to `timeoutMs` for a connection, a disconnection or an acknowledgement.
    void WaitForChange(uint32_t timeoutMs);

private:
    static void OnConnect(mosquitto*, void* self, int result);
    static void OnDisconnect(mosquitto*, void* self, int result);
    static void OnPublish(mosquitto*, void* self, int messageId);
    // libmosquitto's own errors (a certificate it refuses, a TLS failure) say why a connection fails.
    static void OnLog(mosquitto*, void* self, int level, const char* text);
    void Changed();

    MqttSettings settings_;
    mosquitto* client_ = nullptr;
    bool loopRunning_ = false;
    std::atomic<bool> connected_{false};
    std::atomic<uint64_t> connections_{0};
    std::atomic<int64_t> unacknowledged_{0};
    std::mutex changeLock_;
    std::condition_variable change_;
    uint64_t changes_ = 0;
    std::mutex logLock_;
    std::string lastLogged_;
};
