// A simulated unit on a fake clock, driven by bytes.
#pragma once

#include <string>

#include "SimUnit.h"
#include "support/FakeClock.h"

struct UnitHarness {
    explicit UnitHarness(zaqsim::UnitConfig config = {}) : unit(std::move(config), clock) {}

    // Sends a command line (CR added) and returns everything due right after it.
    std::string Command(const std::string& line) { return Bytes(line + "\r"); }
    std::string Bytes(const std::string& bytes)
    {
        unit.Receive(bytes);
        return Output();
    }
    std::string Output()
    {
        unit.Poll();
        return unit.TakeOutput();
    }
    std::string After(uint32_t ms)
    {
        clock.Advance(ms);
        return Output();
    }

    FakeClock clock;
    zaqsim::SimUnit unit;
};
