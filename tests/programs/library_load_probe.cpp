// Loads the shared library (which reads the trace settings and rotates the
// log), writes one trace line per argument through QXZAQSetTraceLevel, and
// ends (which unloads it). Tests run it to see what a new process does.
#include <cstdlib>

#include "qxzaqlnk.h"

int main(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        QXZAQSetTraceLevel(std::atoi(argv[i]));
    }
    return 0;
}
