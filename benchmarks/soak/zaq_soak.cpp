// The soak: 16 simulated units (zaqsim, a separate process) at full line rate
// for a chosen time against the link library, which one thread polls (the
// polling queue, not the callback) while the library records every unit into
// a dump file. A unit is unplugged and plugged back in once a minute; the soak
// restarts its board when the library reports the loss and the unit is back.
// At the end every packet is accounted for (events and dump records per board
// and channel against what zaqsim says it sent), resident memory must have
// stayed flat and no event may have been lost; one summary line says so.
//
//   zaq_soak [--minutes N | --seconds N] [--units N] [--unplug-every S]
//            [--unplug-away MS] [--speed X] [--keep]
//
// Exit status 0: nothing lost, memory flat; 1: a loss or growth; 2: it could not run.
#include <cstdio>
#include <string>
#include <vector>

#include "SoakOptions.h"
#include "SoakRun.h"

int main(int argc, char** argv)
{
    SoakOptions options;
    std::string error;
    if (!ParseSoakOptions(std::vector<std::string>(argv + 1, argv + argc), options, error)) {
        std::fprintf(stderr, "zaq_soak: %s (see --help)\n", error.c_str());
        return 2;
    }
    if (options.help) {
        std::fputs(SoakHelpText().c_str(), stdout);
        return 0;
    }
    SoakRun run(options, ZAQ_SIMULATOR_FILE, ZAQ_LINK_LIBRARY_FILE);
    return run.Run();
}
