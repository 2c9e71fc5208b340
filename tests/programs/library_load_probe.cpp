// Loads the shared library (which reads the trace settings and rotates the
// log), then for each argument: a number writes one trace line through
// QXZAQSetTraceLevel; "start" starts the link (the registry's units);
// "play=FILE" starts a playback at 50 ms per record. It then ends without
// stopping anything, so the unload has to. Tests run it to see what a new
// process does.
#include <cstdlib>
#include <cstring>

#include "qxzaqlnk.h"

int main(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "start") == 0) {
            QXZAQStartLink(nullptr);
        } else if (std::strncmp(argv[i], "play=", 5) == 0) {
            if (QXZAQPlayDChannelEventsTime(argv[i] + 5, 50) != ZAQ16_RET_SUCCESS) {
                return 3;
            }
        } else {
            QXZAQSetTraceLevel(std::atoi(argv[i]));
        }
    }
    return 0;
}
