// The applet's changes to the configuration key: the unit list ("# of
// COMPorts", "CARD1" ...) and the trace settings. Every access opens the key
// (creating it with its defaults when missing) and closes it again, so each
// change is in the registry file when the call returns. Failures are traced
// to the applet's trace file under `caller`.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct TraceSettings {
    std::optional<uint32_t> level;
    std::optional<std::string> path;
};

class CardRegistry {
public:
    enum class AddResult { Added, AlreadyListed, Failed };

    // "CARD1" ... "CARD<n>" of "# of COMPorts" = n, as they stand.
    std::vector<std::string> Cards(const char* caller);
    // Appends `port` as "CARD<n + 1>" unless some card already names that device.
    AddResult AddCard(const std::string& port);
    // Removes the first card naming `port`; the cards after it move down one
    // number and the count drops by one. False when no card names it.
    bool RemoveCard(const std::string& port);

    TraceSettings ReadTraceSettings(const char* caller);
    bool WriteTraceLevel(uint32_t level, const char* caller);
    bool WriteTracePath(const std::string& folder, const char* caller);
};
