#include "MqttSession.h"

#include <mosquitto.h>

#include <chrono>
#include <cstdio>

namespace {

constexpr uint32_t kDisconnectWaitMs = 2000;

}  // namespace

MqttSession::MqttSession(MqttSettings settings) : settings_(std::move(settings)) {}

MqttSession::~MqttSession()
{
    Stop();
    if (client_ != nullptr) {
        mosquitto_destroy(client_);
    }
}

bool MqttSession::Start(std::string& error)
{
    client_ = mosquitto_new(settings_.clientId.c_str(), true, this);
    if (client_ == nullptr) {
        error = "cannot create an MQTT client";
        return false;
    }
    mosquitto_connect_callback_set(client_, &MqttSession::OnConnect);
    mosquitto_disconnect_callback_set(client_, &MqttSession::OnDisconnect);
    mosquitto_publish_callback_set(client_, &MqttSession::OnPublish);
    mosquitto_log_callback_set(client_, &MqttSession::OnLog);
    mosquitto_max_inflight_messages_set(client_, settings_.inflightMessages);
    // Small messages go out at once, not held back for the broker's acknowledgements.
    mosquitto_int_option(client_, MOSQ_OPT_TCP_NODELAY, 1);
    mosquitto_reconnect_delay_set(client_, settings_.reconnectMinSeconds, settings_.reconnectMaxSeconds, true);
    int result = MOSQ_ERR_SUCCESS;
    if (!settings_.willTopic.empty()) {
        result = mosquitto_will_set(client_, settings_.willTopic.c_str(), static_cast<int>(settings_.willPayload.size()),
                                    settings_.willPayload.data(), 1, true);
    }
    if (result == MOSQ_ERR_SUCCESS && !settings_.username.empty()) {
        result = mosquitto_username_pw_set(client_, settings_.username.c_str(),
                                           settings_.password.empty() ? nullptr : settings_.password.c_str());
    }
    if (result == MOSQ_ERR_SUCCESS && (!settings_.caFile.empty() || !settings_.caPath.empty())) {
        auto orNull = [](const std::string& text) { return text.empty() ? nullptr : text.c_str(); };
        result = mosquitto_tls_set(client_, orNull(settings_.caFile), orNull(settings_.caPath),
                                   orNull(settings_.certFile), orNull(settings_.keyFile), nullptr);
        if (result == MOSQ_ERR_SUCCESS && settings_.tlsInsecure) {
            result = mosquitto_tls_insecure_set(client_, true);
        }
    }
    if (result != MOSQ_ERR_SUCCESS) {
        error = std::string("MQTT settings refused: ") + mosquitto_strerror(result);
        return false;
    }
    // A broker that is not there yet is no error: the network thread keeps trying.
    result = mosquitto_connect_async(client_, settings_.host.c_str(), static_cast<int>(settings_.port),
                                     static_cast<int>(settings_.keepaliveSeconds));
    if (result == MOSQ_ERR_TLS) {
        error = "TLS with " + settings_.host + ":" + std::to_string(settings_.port) +
                " failed (is the broker's certificate signed by the given authority and made out to this host"
                " name, and does the port speak TLS?)";
        return false;
    }
    if (result != MOSQ_ERR_SUCCESS && result != MOSQ_ERR_ERRNO) {
        error = std::string("cannot connect to ") + settings_.host + ": " + mosquitto_strerror(result);
        return false;
    }
    result = mosquitto_loop_start(client_);
    if (result != MOSQ_ERR_SUCCESS) {
        error = std::string("cannot start the MQTT thread: ") + mosquitto_strerror(result);
        return false;
    }
    loopRunning_ = true;
    return true;
}

bool MqttSession::Publish(const std::string& topic, const std::string& payload, bool retain)
{
    ++unacknowledged_;
    const int result = mosquitto_publish(client_, nullptr, topic.c_str(), static_cast<int>(payload.size()),
                                         payload.data(), 1, retain);
    // Without a connection libmosquitto keeps the message and sends it on reconnection.
    if (result == MOSQ_ERR_SUCCESS || result == MOSQ_ERR_NO_CONN) {
        return true;
    }
    --unacknowledged_;
    return false;
}

void MqttSession::Stop()
{
    if (!loopRunning_) {
        return;
    }
    mosquitto_disconnect(client_);
    // After a clean disconnection the network thread ends by itself. It may
    // never end on its own (a TLS handshake the broker left half done keeps it
    // waiting on the socket), so it gets a bounded time and is then ended.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kDisconnectWaitMs);
    while (connected_ && std::chrono::steady_clock::now() < deadline) {
        WaitForChange(20);
    }
    mosquitto_loop_stop(client_, true);
    loopRunning_ = false;
    connected_ = false;
}

void MqttSession::WaitForChange(uint32_t timeoutMs)
{
    std::unique_lock<std::mutex> guard(changeLock_);
    const uint64_t seen = changes_;
    change_.wait_for(guard, std::chrono::milliseconds(timeoutMs), [&] { return changes_ != seen; });
}

void MqttSession::Changed()
{
    {
        std::lock_guard<std::mutex> guard(changeLock_);
        ++changes_;
    }
    change_.notify_all();
}

void MqttSession::OnConnect(mosquitto*, void* self, int result)
{
    auto* session = static_cast<MqttSession*>(self);
    if (result == 0) {
        {
            std::lock_guard<std::mutex> guard(session->logLock_);
            session->lastLogged_.clear();
        }
        // Counted first: whoever sees the connection up also sees it is a new one.
        ++session->connections_;
        session->connected_ = true;
        std::fprintf(stderr, "zaqbridge: connected to %s:%u\n", session->settings_.host.c_str(),
                     session->settings_.port);
    } else {
        std::fprintf(stderr, "zaqbridge: the broker refused the connection: %s\n", mosquitto_connack_string(result));
    }
    session->Changed();
}

void MqttSession::OnDisconnect(mosquitto*, void* self, int result)
{
    auto* session = static_cast<MqttSession*>(self);
    const bool wasConnected = session->connected_.exchange(false);
    if (result != 0 && wasConnected) {
        std::fprintf(stderr, "zaqbridge: connection to the broker lost, reconnecting\n");
    }
    session->Changed();
}

void MqttSession::OnPublish(mosquitto*, void* self, int)
{
    auto* session = static_cast<MqttSession*>(self);
    --session->unacknowledged_;
    session->Changed();
}

void MqttSession::OnLog(mosquitto*, void* self, int level, const char* text)
{
    if ((level & MOSQ_LOG_ERR) == 0 || text == nullptr) {
        return;
    }
    auto* session = static_cast<MqttSession*>(self);
    std::lock_guard<std::mutex> guard(session->logLock_);
    // Every reconnection attempt fails alike: say it once until something else happens.
    if (session->lastLogged_ != text) {
        session->lastLogged_ = text;
        std::fprintf(stderr, "zaqbridge: MQTT: %s\n", text);
    }
}
