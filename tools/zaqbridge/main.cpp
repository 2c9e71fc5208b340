// zaqbridge: starts the link on the registry's units and publishes every event
// and every channel's state to an MQTT broker until SIGTERM (or Ctrl-C), then
// stops the link, publishes what is buffered and "offline".
#include <mosquitto.h>

#include <atomic>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "BridgeMessages.h"
#include "BridgeOptions.h"
#include "EventBuffer.h"
#include "EventDetailsReader.h"
#include "HostName.h"
#include "MqttSession.h"
#include "PlayFile.h"
#include "Publisher.h"
#include "StopSignal.h"
#include "qxzaqlnk.h"

namespace {

constexpr uint32_t kFinishTimeoutMs = 5000;

Publisher* publisher = nullptr;
std::atomic<uint64_t> sequence{0};
std::atomic<uint32_t> finishedPlays{0};
std::atomic<bool> overflowing{false};

// Runs on the ports' reader threads, one call at a time: reads what goes with
// the event and hands it to the publisher; it never waits on the network.
uint32_t QXZAQ_CALL OnEvent(ZAQ16_EVENT* event)
{
    BridgeEvent item;
    item.sequence = ++sequence;
    item.event = *event;
    const EventDetails details = ReadEventDetails(*event, item.call);
    item.event.callRecord = nullptr;
    item.display = details.display;
    item.displayError = details.displayError;
    item.hasCall = details.call != nullptr;
    if (event->eventCode == QXEVT_FINISHED_PLAY) {
        ++finishedPlays;
    }
    if (publisher->Deliver(std::move(item))) {
        overflowing = false;
    } else if (!overflowing.exchange(true)) {
        std::fprintf(stderr, "zaqbridge: the buffer is full: events are dropped until the broker takes them\n");
    }
    return 1;
}

bool LoadOptions(int argc, char** argv, BridgeOptions& options, std::string& error)
{
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    options.site = HostName();
    options.configFile = ConfigFileOf(arguments, options.configFileGiven);
    std::ifstream file(options.configFile);
    if (file) {
        const std::string text{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
        if (!ApplyConfigText(text, options, error)) {
            error = options.configFile + ": " + error;
            return false;
        }
    } else if (options.configFileGiven) {
        error = options.configFile + ": cannot be read";
        return false;
    }
    return ApplyCommandLine(arguments, options, error) && (options.help || CheckBridgeOptions(options, error));
}

MqttSettings SessionSettings(const BridgeOptions& options)
{
    MqttSettings settings;
    settings.host = options.host;
    settings.port = options.port;
    settings.keepaliveSeconds = options.keepaliveSeconds;
    settings.clientId = options.clientId;
    settings.username = options.username;
    settings.password = options.password;
    settings.caFile = options.caFile;
    settings.caPath = options.caPath;
    settings.certFile = options.certFile;
    settings.keyFile = options.keyFile;
    settings.tlsInsecure = options.tlsInsecure;
    settings.reconnectMinSeconds = options.reconnectMinSeconds;
    settings.reconnectMaxSeconds = options.reconnectMaxSeconds;
    settings.willTopic = StatusTopic(options.site);
    settings.willPayload = "offline";
    return settings;
}

// Starts the playback; false (with the reason written) when it cannot start.
bool StartPlayback(const BridgeOptions& options, uint32_t boards, std::unique_ptr<PlayFile>& playFile)
{
    playFile = std::make_unique<PlayFile>(options.playFile, boards);
    for (const std::string& warning : playFile->Warnings()) {
        std::fprintf(stderr, "zaqbridge: %s\n", warning.c_str());
    }
    if (!playFile->Ok()) {
        std::fprintf(stderr, "zaqbridge: %s\n", playFile->Error().c_str());
        return false;
    }
    const uint32_t result = QXZAQPlayDChannelEventsTime(playFile->DumpPath().c_str(), options.timeMode);
    if (result != ZAQ16_RET_SUCCESS) {
        std::fprintf(stderr, "zaqbridge: playing %s failed (0x%08X)\n", options.playFile.c_str(), result);
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    BridgeOptions options;
    std::string error;
    if (!LoadOptions(argc, argv, options, error)) {
        std::fprintf(stderr, "zaqbridge: %s\n%s", error.c_str(), kBridgeUsage);
        return 2;
    }
    if (options.help) {
        std::printf("%s", kBridgeUsage);
        return 0;
    }
    BlockStopSignals();
    mosquitto_lib_init();
    int exitCode = 0;
    {
        EventBuffer events(options.bufferEvents);
        MqttSession session(SessionSettings(options));
        if (!session.Start(error)) {
            std::fprintf(stderr, "zaqbridge: %s\n", error.c_str());
            mosquitto_lib_cleanup();
            return 1;
        }
        Publisher eventPublisher(options.site, events, session);
        eventPublisher.Start();
        publisher = &eventPublisher;

        if (options.traceLevel >= 0) {
            QXZAQSetTraceLevel(options.traceLevel);
        }
        const uint32_t boards = QXZAQStartLink(OnEvent);
        QXZAQEnableEventUpdates();
        const bool playing = !options.playFile.empty();
        std::fprintf(stderr, "zaqbridge: site %s, %u unit(s) started\n", options.site.c_str(), boards);
        for (uint32_t board = 0; board < boards && options.dchannel && !playing; ++board) {
            if (QXZAQEnableDChEvents(board) != ZAQ16_RET_SUCCESS) {
                std::fprintf(stderr, "zaqbridge: board %u: D-channel output could not be switched on\n", board);
            }
        }
        std::unique_ptr<PlayFile> playFile;
        if (playing && !StartPlayback(options, boards, playFile)) {
            exitCode = 1;
        }
        while (exitCode == 0 && !WaitForStopSignal(100)) {
            if (playing && finishedPlays >= playFile->Boards() && eventPublisher.Drained()) {
                break;
            }
        }
        if (playing) {
            QXZAQPlayDChannelEvents(nullptr);
        }
        QXZAQStopLink();
        const size_t unpublished = eventPublisher.Finish(kFinishTimeoutMs);
        if (unpublished > 0) {
            std::fprintf(stderr, "zaqbridge: %zu event(s) not published: the broker did not take them in time\n",
                         unpublished);
        }
        session.Publish(StatusTopic(options.site), "offline", true);
        for (uint32_t waited = 0; session.Connected() && session.Unacknowledged() > 0 && waited < kFinishTimeoutMs;
             waited += 20) {
            session.WaitForChange(20);
        }
        // What libmosquitto holds unacknowledged when the broker is away is lost with the bridge: say so.
        const long long unacknowledged = session.Unacknowledged();
        if (unacknowledged > 0) {
            std::fprintf(stderr,
                         "zaqbridge: %lld message(s) sent but not acknowledged by the broker: they may be lost\n",
                         unacknowledged);
        }
        session.Stop();
        publisher = nullptr;
    }
    mosquitto_lib_cleanup();
    std::fprintf(stderr, "zaqbridge: stopped; %llu event(s) taken from the link\n",
                 static_cast<unsigned long long>(sequence.load()));
    return exitCode;
}
