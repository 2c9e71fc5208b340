// One soak run: the simulator as a separate process, the link library polled
// by one thread and recording every unit into a dump file, unplugged units
// restarted as soon as they are back, resident memory sampled each second,
// and at the end every packet accounted for.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "LinkApi.h"
#include "ResidentMemory.h"
#include "SoakOptions.h"
#include "SoakSetup.h"
#include "SoakTally.h"
#include "TraceWatch.h"
#include "platform/Program.h"

class SoakRun {
public:
    SoakRun(SoakOptions options, std::string simulatorFile, std::string libraryFile);
    ~SoakRun();

    // Runs the whole soak; prints progress, the reasons of any failure and the
    // summary line. The exit status: 0 passed, 1 failed, 2 could not run.
    int Run();

private:
    // A unit being unplugged: what the simulator and the library said so far.
    struct Unplug {
        bool unplugged = false;     // the simulator pulled it
        bool lossReported = false;  // the board's port failed in the trace
        bool pluggedIn = false;     // the simulator put it back
        uint32_t lossTick = 0;
    };

    bool Start(std::string& error);
    void Poll();
    // Reads the trace and the simulator's lines; restarts the boards that are back.
    void FollowUnplugs();
    bool UnplugsPending() const;
    void Finish();
    int Report();
    void Fail(const std::string& reason);

    SoakOptions options_;
    std::string simulatorFile_;
    std::string libraryFile_;
    SoakFolder folder_;
    LinkApi api_;
    std::unique_ptr<platform::Program> simulator_;
    size_t simulatorOutputSeen_ = 0;
    std::unique_ptr<TraceWatch> trace_;
    ResidentMemoryLog memory_;
    SoakTally tally_;

    std::thread poller_;
    std::atomic<bool> draining_{false};
    std::atomic<uint64_t> taken_{0};

    std::vector<Unplug> unplugs_;
    uint32_t unplugsTold_ = 0;
    uint32_t restarts_ = 0;
    uint64_t awayTotalMs_ = 0;
    uint32_t awayLongestMs_ = 0;
    uint32_t runSeconds_ = 0;
    uint64_t takenInRun_ = 0;  // events taken while the time ran
    std::vector<std::string> failures_;
};
