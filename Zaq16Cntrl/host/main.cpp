// zaq16cntrl: opens the ZAQ16 control-panel applet (libZaq16Cntrl.so) as the
// control panel would.
#include <cstring>
#include <iostream>
#include <string>

#include "ControlPanelHost.h"
#include "platform/SharedLibrary.h"

namespace {

constexpr const char* kAppletFile = "libZaq16Cntrl.so";

void Usage(std::ostream& out)
{
    out << "usage: zaq16cntrl [--list] [--applet FILE]\n"
           "  Opens the ZAQ16 control panel.\n"
           "  --list         print the applet's name and description only\n"
           "  --applet FILE  the applet library (default: " << kAppletFile
        << " next to this program, else from the library path)\n";
}

// The applet next to this program when it is there, else its bare name for the loader's search.
std::string DefaultApplet()
{
    const std::string self = platform::ProgramFile();
    const size_t slash = self.find_last_of('/');
    if (slash != std::string::npos) {
        const std::string beside = self.substr(0, slash + 1) + kAppletFile;
        if (FILE* file = std::fopen(beside.c_str(), "rb")) {
            std::fclose(file);
            return beside;
        }
    }
    return kAppletFile;
}

}  // namespace

int main(int argc, char** argv)
{
    HostOptions options;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--list") == 0) {
            options.listOnly = true;
        } else if (std::strcmp(argv[i], "--applet") == 0 && i + 1 < argc) {
            options.appletPath = argv[++i];
        } else if (std::strcmp(argv[i], "--help") == 0) {
            Usage(std::cout);
            return 0;
        } else {
            Usage(std::cerr);
            return 2;
        }
    }
    if (options.appletPath.empty()) {
        options.appletPath = DefaultApplet();
    }
    return RunControlPanel(options, std::cout, std::cerr);
}
