#include "TsharkCalls.h"

#include <sstream>

#include "common/EventNames.h"
#include "platform/Program.h"
#include "qxzaqlnk.h"

namespace interop {

namespace {

constexpr uint32_t kAlerting = 0x01;
constexpr uint32_t kSetup = 0x05;
constexpr uint32_t kConnect = 0x07;
constexpr uint32_t kHoldAcknowledge = 0x28;
constexpr uint32_t kRetrieveAcknowledge = 0x33;
constexpr uint32_t kDisconnect = 0x45;
constexpr uint32_t kRelease = 0x4D;
constexpr uint32_t kReleaseComplete = 0x5A;
constexpr uint32_t kTsharkWaitMs = 60000;

// The fields asked of tshark, in this order.
const char* const kFields[] = {
    "lapd.direction", "q931.call_ref", "q931.message_type", "q931.calling_party_number.digits",
    "q931.called_party_number.digits", "q931.cause_value", "q931.channel.selection",
};
constexpr size_t kFieldCount = std::size(kFields);

std::vector<std::string> Split(const std::string& line, char separator)
{
    std::vector<std::string> parts;
    std::string part;
    std::istringstream in(line);
    while (std::getline(in, part, separator)) {
        parts.push_back(part);
    }
    if (!line.empty() && line.back() == separator) {
        parts.emplace_back();
    }
    return parts;
}

std::optional<uint32_t> Number(const std::string& text, int base)
{
    if (text.empty()) {
        return std::nullopt;
    }
    // A field that occurs twice in a message comes as "a,b": the first counts.
    return static_cast<uint32_t>(std::stoul(text.substr(0, text.find(',')), nullptr, base));
}

}  // namespace

bool ReadWithTshark(const std::string& tshark, const std::string& capture, CallMessages& calls, std::string& error)
{
    std::vector<std::string> command = {tshark, "-r", capture, "-Y", "q931", "-T", "fields", "-E", "separator=/t"};
    for (const char* field : kFields) {
        command.push_back("-e");
        command.push_back(field);
    }
    const auto [code, output] = platform::RunProgram(command, {}, kTsharkWaitMs);
    if (code != 0) {
        error = "tshark ended with " + std::to_string(code) + ":\n" + output;
        return false;
    }
    std::istringstream lines(output);
    std::string line;
    while (std::getline(lines, line)) {
        const std::vector<std::string> fields = Split(line, '\t');
        // tshark's notes on standard error come through too: only its rows count.
        if (fields.size() != kFieldCount || fields[1].empty() || fields[2].empty()) {
            continue;
        }
        Q931Message message;
        message.fromNetwork = fields[0] == "1";
        message.type = *Number(fields[2], 16);
        message.calling = fields[3];
        message.called = fields[4];
        message.cause = Number(fields[5], 10);
        message.bChannel = Number(fields[6], 0);
        calls[*Number(fields[1], 16)].push_back(message);
    }
    if (calls.empty()) {
        error = "tshark found no Q.931 message:\n" + output;
        return false;
    }
    return true;
}

void PrintTo(const ExpectedEvent& event, std::ostream* out)
{
    const char* name = EventName(event.code);
    *out << (name != nullptr ? name : std::to_string(event.code).c_str()) << " cause " << event.cause;
}

ExpectedCall Expect(const std::vector<Q931Message>& messages)
{
    ExpectedCall call;
    bool setupFromNetwork = false;
    bool connected = false;
    bool cleared = false;
    uint32_t cause = 0;
    for (const Q931Message& message : messages) {
        if (message.bChannel && call.bChannel == 0) {
            call.bChannel = *message.bChannel;
        }
        const bool clearing =
            message.type == kDisconnect || message.type == kRelease || message.type == kReleaseComplete;
        if (message.cause && (message.type == kDisconnect || message.type == kRelease ||
                              (message.type == kReleaseComplete && cause == 0))) {
            cause = *message.cause;
        }
        if (message.type == kSetup) {
            setupFromNetwork = message.fromNetwork;
            call.calling = message.calling;
            call.called = message.called;
        } else if (cleared) {
            continue;
        } else if (message.type == kAlerting && !connected) {
            call.events.push_back({QXEVT_CALL_ALERTING, 0});
        } else if (message.type == kConnect && !connected) {
            connected = true;
            call.events.push_back({QXEVT_CALL_CONNECTED, 0});
        } else if (message.type == kHoldAcknowledge && connected) {
            call.events.push_back({QXEVT_CALL_HELD, 0});
        } else if (message.type == kRetrieveAcknowledge && connected) {
            call.events.push_back({QXEVT_CALL_RETRIEVED, 0});
        } else if (clearing) {
            cleared = true;
            if (!connected) {
                call.events.push_back(
                    {message.fromNetwork == setupFromNetwork ? QXEVT_CALL_ABANDONED : QXEVT_CALL_REJECTED, cause});
            }
        }
    }
    if (connected) {
        call.events.push_back({QXEVT_CALL_RELEASED, cause});
    }
    return call;
}

}  // namespace interop
