// The settings of zaqbridge: the configuration file's "name = value" lines,
// then the command line's "--name value", which wins.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct BridgeOptions {
    std::string site;                 // site: the topic level after "zaq16/"
    std::string host = "localhost";   // host: the MQTT broker
    uint32_t port = 1883;             // port
    uint32_t keepaliveSeconds = 30;   // keepalive
    std::string clientId;             // client-id (default "zaqbridge-<site>")
    std::string username;             // username
    std::string password;             // password
    std::string caFile;               // cafile: TLS with this certificate authority
    std::string caPath;               // capath: TLS with the authorities of this directory
    std::string certFile;             // certfile: the bridge's own certificate (with keyfile)
    std::string keyFile;              // keyfile
    bool tlsInsecure = false;         // tls-insecure: do not check the broker's host name
    uint32_t bufferEvents = 10000;    // buffer: events kept while the broker is away
    uint32_t reconnectMinSeconds = 1; // reconnect-min: first wait before reconnecting
    uint32_t reconnectMaxSeconds = 30;// reconnect-max: longest wait between attempts
    bool dchannel = true;             // dchannel: switch the units' D-channel output on
    int traceLevel = -1;              // trace-level
    std::string playFile;             // play: a dump file or capture instead of the units
    int32_t timeMode = -1;            // time-mode: playback timing
    std::string configFile = "/etc/qxzaq16/zaqbridge.conf";
    bool configFileGiven = false;     // --config: a missing file is then an error
    bool help = false;

    bool UsesTls() const { return !caFile.empty() || !caPath.empty(); }
};

// The command line's --config (or the default path), without reading it.
std::string ConfigFileOf(const std::vector<std::string>& arguments, bool& given);

// Applies a configuration file's text to `options`; false (with `error`
// naming the line) for a line it cannot use.
bool ApplyConfigText(const std::string& text, BridgeOptions& options, std::string& error);

// Applies the command line to `options`; false with `error` set.
bool ApplyCommandLine(const std::vector<std::string>& arguments, BridgeOptions& options, std::string& error);

// Checks what the options must be together (a site name fit for a topic
// level, a key with a certificate); false with `error` set.
bool CheckBridgeOptions(BridgeOptions& options, std::string& error);

extern const char* const kBridgeUsage;
