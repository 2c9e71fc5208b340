// Unplugs the units in turn, one every so often, each for a while, and plugs
// it back in under the same name: a unit vanishing and coming back, as a
// cable pulled and pushed in again. Each step is told as a line of text.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Simulator.h"

namespace zaqsim {

struct UnplugSettings {
    uint32_t everyMs = 0;    // 0: never
    uint32_t awayMs = 2000;  // from the unplug until the unit is back
    uint32_t count = 0;      // unplugs in all; 0: no limit
};

class UnplugSchedule {
public:
    UnplugSchedule(UnplugSettings settings, size_t units, uint32_t startTick);

    // Does what is due at `now`; appends "COM3 unplugged", "COM3 plugged in"
    // (or "COM3 not plugged in: <reason>") to `told`.
    void Step(Simulator& simulator, uint32_t now, std::vector<std::string>& told);

private:
    static bool Passed(uint32_t due, uint32_t now) { return static_cast<int32_t>(now - due) >= 0; }

    UnplugSettings settings_;
    size_t units_;
    uint32_t nextUnplug_;
    uint32_t unplugs_ = 0;
    bool away_ = false;
    size_t unit_ = 0;
    uint32_t backAt_ = 0;
};

}  // namespace zaqsim
