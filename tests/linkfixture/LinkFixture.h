// A test bench for the whole library: simulated units on pseudo-terminals, a
// registry file naming them, a trace log in a temporary directory, and the
// library loaded for the test and unloaded after it.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "Simulator.h"
#include "qxzaqlnk.h"
#include "support/TempDir.h"

class LinkFixture : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Adds a simulated unit (COM<n>) before Start.
    size_t AddUnit(zaqsim::UnitConfig config = {});
    void StartUnits();
    // Writes the registry: "# of COMPorts", CARD1.. with `cards`, the trace level and path.
    void WriteRegistry(const std::vector<std::string>& cards, uint32_t traceLevel = 4);
    // Loads the library (as the process attach does) with the registry as it stands.
    void Load();
    // Starts units named COM1..COMn in the registry and the link; returns QXZAQStartLink's result.
    uint32_t StartLinkWith(size_t units, QXZAQEventCallback callback = nullptr, uint32_t traceLevel = 4);

    std::string TraceText() const;
    std::string TracePath() const { return dir.File("qxzaqlnk.log"); }

    TempDir dir;
    std::unique_ptr<zaqsim::Simulator> sim;
    bool loaded = false;
};
