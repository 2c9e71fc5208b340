// zaqbridge end to end, with a mosquitto broker of its own on localhost:
//  1. the broker's ceiling: a bare libmosquitto client publishes QoS 1
//     messages of an event's size as fast as the broker acknowledges them, to
//     the same kind of subscriber; no bridge can go faster through this broker
//     on this machine;
//  2. throughput: the demo recording repeated many times, played by
//     `zaqbridge --play` as fast as the library goes; events per second as the
//     subscriber receives them (first to last), and their share of the ceiling;
//  3. latency: one simulated Definity unit; a hook packet is written to the
//     unit's pseudo-terminal and timed until the subscriber has the event.
//
//   bench_bridge [repetitions] [latency-samples] [zaqbridge program]
// (the last to compare another build of the bridge with this one)
#include <mosquitto.h>

#include <chrono>
#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <mutex>
#include <random>
#include <string>
#include <vector>

#include "RegistryWriter.h"
#include "support/RepeatedDump.h"
#include "Simulator.h"
#include "platform/ProcessEnvironment.h"
#include "platform/Program.h"

namespace {

using Clock = std::chrono::steady_clock;

// Events the bridge takes from one play of the demo recording.
constexpr uint64_t kDemoEvents = 427;

double Ms(Clock::duration duration)
{
    return std::chrono::duration<double, std::milli>(duration).count();
}

class Subscriber {
public:
    Subscriber(int port, const std::string& filter) : filter_(filter)
    {
        client_ = mosquitto_new(nullptr, true, this);
        mosquitto_connect_callback_set(client_, [](mosquitto* client, void* self, int) {
            mosquitto_subscribe(client, nullptr, static_cast<Subscriber*>(self)->filter_.c_str(), 1);
        });
        mosquitto_subscribe_callback_set(client_, [](mosquitto*, void* self, int, int, const int*) {
            auto* subscriber = static_cast<Subscriber*>(self);
            std::lock_guard<std::mutex> guard(subscriber->lock_);
            subscriber->subscribed_ = true;
            subscriber->changed_.notify_all();
        });
        mosquitto_message_callback_set(client_, [](mosquitto*, void* self, const mosquitto_message*) {
            auto* subscriber = static_cast<Subscriber*>(self);
            const Clock::time_point now = Clock::now();
            std::lock_guard<std::mutex> guard(subscriber->lock_);
            if (subscriber->count_++ == 0) {
                subscriber->first_ = now;
            }
            subscriber->last_ = now;
            // Only the awaited message wakes the waiter: a wake-up per message
            // would cost the subscriber more than the message itself.
            if (subscriber->count_ == subscriber->awaited_) {
                subscriber->changed_.notify_all();
            }
        });
        mosquitto_connect(client_, "127.0.0.1", port, 30);
        mosquitto_loop_start(client_);
    }
    ~Subscriber()
    {
        mosquitto_disconnect(client_);
        mosquitto_loop_stop(client_, false);
        mosquitto_destroy(client_);
    }
    bool WaitSubscribed()
    {
        std::unique_lock<std::mutex> guard(lock_);
        return changed_.wait_for(guard, std::chrono::seconds(10), [this] { return subscribed_; });
    }
    // Waits until `count` messages have come (at most `timeout`); the time of the last.
    bool WaitCount(uint64_t count, std::chrono::milliseconds timeout)
    {
        std::unique_lock<std::mutex> guard(lock_);
        awaited_ = count;
        const bool arrived = changed_.wait_for(guard, timeout, [&] { return count_ >= count; });
        awaited_ = 0;
        return arrived;
    }
    uint64_t Count()
    {
        std::lock_guard<std::mutex> guard(lock_);
        return count_;
    }
    Clock::time_point First() { std::lock_guard<std::mutex> guard(lock_); return first_; }
    Clock::time_point Last() { std::lock_guard<std::mutex> guard(lock_); return last_; }

private:
    std::string filter_;
    mosquitto* client_ = nullptr;
    std::mutex lock_;
    std::condition_variable changed_;
    bool subscribed_ = false;
    uint64_t count_ = 0;
    uint64_t awaited_ = 0;
    Clock::time_point first_, last_;
};

// A client that publishes as fast as the broker acknowledges, with as many
// messages in flight as the bridge allows itself.
class BarePublisher {
public:
    explicit BarePublisher(int port)
    {
        client_ = mosquitto_new(nullptr, true, this);
        mosquitto_max_inflight_messages_set(client_, kWindow);
        mosquitto_int_option(client_, MOSQ_OPT_TCP_NODELAY, 1);
        mosquitto_connect_callback_set(client_, [](mosquitto*, void* self, int result) {
            static_cast<BarePublisher*>(self)->Signal([&](BarePublisher& publisher) { publisher.connected_ = result == 0; });
        });
        mosquitto_publish_callback_set(client_, [](mosquitto*, void* self, int) {
            static_cast<BarePublisher*>(self)->Signal([](BarePublisher& publisher) { ++publisher.acknowledged_; });
        });
        mosquitto_connect(client_, "127.0.0.1", port, 30);
        mosquitto_loop_start(client_);
    }
    ~BarePublisher()
    {
        mosquitto_disconnect(client_);
        mosquitto_loop_stop(client_, false);
        mosquitto_destroy(client_);
    }
    // Publishes `count` messages; false when the broker stops acknowledging for 10 s.
    bool Publish(const std::string& topic, const std::string& payload, uint64_t count)
    {
        std::unique_lock<std::mutex> guard(lock_);
        if (!changed_.wait_for(guard, std::chrono::seconds(10), [this] { return connected_; })) {
            return false;
        }
        for (uint64_t sent = 0; sent < count; ++sent) {
            if (!changed_.wait_for(guard, std::chrono::seconds(10), [&] { return sent - acknowledged_ < kWindow; })) {
                return false;
            }
            guard.unlock();
            mosquitto_publish(client_, nullptr, topic.c_str(), static_cast<int>(payload.size()), payload.data(), 1,
                              false);
            guard.lock();
        }
        return changed_.wait_for(guard, std::chrono::seconds(10), [&] { return acknowledged_ >= count; });
    }

private:
    static constexpr unsigned kWindow = 300;

    template <typename Change>
    void Signal(Change change)
    {
        std::lock_guard<std::mutex> guard(lock_);
        change(*this);
        changed_.notify_all();
    }

    mosquitto* client_ = nullptr;
    std::mutex lock_;
    std::condition_variable changed_;
    bool connected_ = false;
    uint64_t acknowledged_ = 0;
};

std::unique_ptr<platform::Program> StartBroker(const std::filesystem::path& directory, int& port)
{
    std::mt19937 random(std::random_device{}());
    for (int attempt = 0; attempt < 20; ++attempt) {
        port = std::uniform_int_distribution<int>(20000, 60000)(random);
        const std::string config = (directory / "mosquitto.conf").string();
        std::ofstream(config) << "listener " << port << " 127.0.0.1\nallow_anonymous true\n"
                              << "max_inflight_messages 0\nmax_queued_messages 0\n";
        auto broker = platform::Program::Start({"/usr/sbin/mosquitto", "-c", config});
        if (broker && broker->WaitForOutput("running", 10000)) {
            return broker;
        }
    }
    return nullptr;
}

std::string bridgePath = ZAQ_BINARY_DIR "/tools/zaqbridge/zaqbridge";

const std::string& BridgePath()
{
    return bridgePath;
}

// Messages per second the broker relays from one QoS 1 publisher to one QoS 1
// subscriber (first to last at the subscriber), or 0 when the run failed.
double Ceiling(int port, uint64_t messages)
{
    // The size and shape of a hook event as the bridge publishes it.
    const std::string payload =
        "{\"site\":\"ceiling\",\"seq\":123456,\"board\":0,\"channel\":3,\"event\":\"HOOK\",\"eventCode\":2,"
        "\"timeStamp\":1234567,\"hook\":\"OFFHOOK\",\"data\":[0,0,0,0],\"display\":null}";
    Subscriber subscriber(port, "zaq16/ceiling/+/+/event");
    subscriber.WaitSubscribed();
    BarePublisher publisher(port);
    const bool published = publisher.Publish("zaq16/ceiling/0/3/event", payload, messages);
    subscriber.WaitCount(messages, std::chrono::seconds(30));
    const uint64_t received = subscriber.Count();
    const double spanMs = Ms(subscriber.Last() - subscriber.First());
    if (!published || received < messages || spanMs <= 0) {
        std::printf("ceiling: %llu of %llu messages received\n", static_cast<unsigned long long>(received),
                    static_cast<unsigned long long>(messages));
        return 0;
    }
    const double perSecond = received * 1000.0 / spanMs;
    std::printf("ceiling: %.0f messages/s through the broker from a bare QoS 1 client (%llu messages, %.0f ms)\n",
                perSecond, static_cast<unsigned long long>(received), spanMs);
    return perSecond;
}

void Throughput(const std::filesystem::path& directory, int port, int repetitions, double ceiling)
{
    const std::string dump = (directory / "repeated.dmp").string();
    if (!WriteRepeatedDump(ZAQ_SOURCE_DIR "/tools/zaqsim/scenarios/demo.dmp", dump, repetitions)) {
        std::printf("throughput: the demo recording cannot be read\n");
        return;
    }
    Subscriber subscriber(port, "zaq16/bench/+/+/event");
    subscriber.WaitSubscribed();
    const Clock::time_point start = Clock::now();
    auto bridge = platform::Program::Start({BridgePath(), "--config", "/dev/null", "--site", "bench", "--host",
                                            "127.0.0.1", "--port", std::to_string(port), "--buffer", "1000000",
                                            "--play", dump, "--time-mode", "0"});
    const int code = bridge ? bridge->Wait(600000) : -1;
    const double wallMs = Ms(Clock::now() - start);
    const std::string output = bridge ? bridge->Output() : "";
    const size_t at = output.find("stopped; ");
    const uint64_t taken = at == std::string::npos ? 0 : std::stoull(output.substr(at + 9));
    subscriber.WaitCount(taken, std::chrono::seconds(30));
    const uint64_t received = subscriber.Count();
    const double spanMs = Ms(subscriber.Last() - subscriber.First());
    std::printf("throughput: %llu events taken from the library, %llu received (bridge exit %d)\n",
                static_cast<unsigned long long>(taken), static_cast<unsigned long long>(received), code);
    const double perSecond = spanMs > 0 ? received * 1000.0 / spanMs : 0.0;
    std::printf("throughput: %.0f events/s first to last at the subscriber (%.0f ms); %.0f events/s for the "
                "whole run with start-up (%.0f ms)\n",
                perSecond, spanMs, received * 1000.0 / wallMs, wallMs);
    if (ceiling > 0) {
        std::printf("throughput: %.0f%% of the broker's ceiling\n", perSecond * 100.0 / ceiling);
    }
}

void Latency(const std::filesystem::path& directory, int port, int samples)
{
    zaqsim::SimulatorSettings settings;
    settings.comDirectory = (directory / "com").string();
    settings.speed = 0;
    zaqsim::Simulator sim(settings);
    sim.AddUnit({});
    std::string error;
    if (!sim.Start(error)) {
        std::printf("latency: %s\n", error.c_str());
        return;
    }
    platform::SetEnvironmentVariable("QXZAQ_COMDIR", settings.comDirectory);
    platform::SetEnvironmentVariable("QXZAQ_REGISTRY", (directory / "qxzaq16.reg").string());
    platform::SetEnvironmentVariable("QXZAQ_SYSDIR", directory.string());
    zaqsim::WriteUnitRegistry({"COM1"}, directory.string());
    Subscriber subscriber(port, "zaq16/latency/+/+/event");
    subscriber.WaitSubscribed();
    auto bridge = platform::Program::Start({BridgePath(), "--config", "/dev/null", "--site", "latency", "--host",
                                            "127.0.0.1", "--port", std::to_string(port), "--trace-level", "0"});
    if (!bridge || !sim.WaitForCommand(0, "ENRAW", 15000) || !bridge->WaitForOutput("connected to", 10000)) {
        std::printf("latency: the bridge did not start\n");
        return;
    }
    // Ann's set goes off hook (the event is posted each time: event updates are on).
    const std::vector<uint8_t> offHook = {0xE3, 0x03, 0x80, 0x02, 0x00, 0xCC, 0xE3};
    std::vector<double> latencies;
    for (int i = 0; i < samples; ++i) {
        const uint64_t before = subscriber.Count();
        const Clock::time_point sent = Clock::now();
        sim.QueuePacket(0, 0, 0x48, offHook);
        if (!subscriber.WaitCount(before + 1, std::chrono::seconds(5))) {
            std::printf("latency: sample %d lost\n", i);
            continue;
        }
        latencies.push_back(Ms(subscriber.Last() - sent));
    }
    bridge->Interrupt();
    bridge->Wait(20000);
    if (latencies.empty()) {
        return;
    }
    std::sort(latencies.begin(), latencies.end());
    auto at = [&](double fraction) { return latencies[static_cast<size_t>(fraction * (latencies.size() - 1))]; };
    std::printf("latency (unit packet written -> subscriber, %zu samples): p50 %.2f ms, p99 %.2f ms, max %.2f ms\n",
                latencies.size(), at(0.5), at(0.99), latencies.back());
}

}  // namespace

int main(int argc, char** argv)
{
    const int repetitions = argc > 1 ? std::atoi(argv[1]) : 1000;
    const int samples = argc > 2 ? std::atoi(argv[2]) : 500;
    if (argc > 3) {
        bridgePath = argv[3];
    }
    const std::filesystem::path directory =
        std::filesystem::temp_directory_path() / ("bench_bridge." + std::to_string(Clock::now().time_since_epoch().count()));
    std::filesystem::create_directories(directory);
    mosquitto_lib_init();
    int port = 0;
    {
        auto broker = StartBroker(directory, port);
        if (!broker) {
            std::printf("mosquitto does not start (is it installed?)\n");
            return 1;
        }
        // As many messages as the demo has events, so both runs last about as long.
        const double ceiling = Ceiling(port, static_cast<uint64_t>(repetitions) * kDemoEvents);
        Throughput(directory, port, repetitions, ceiling);
        Latency(directory, port, samples);
        broker->Interrupt();
        broker->Wait(10000);
    }
    mosquitto_lib_cleanup();
    std::filesystem::remove_all(directory);
    return 0;
}
