// Plays the control panel for one applet library: loads it, sends initialise
// and get-count, asks each applet for its new-style record (the old-style one
// when the new one is not filled), opens the first applet as a double-click
// does, then stop and exit.
#pragma once

#include <ostream>
#include <string>

struct HostOptions {
    std::string appletPath;
    bool listOnly = false;   // inquire only: no dialog
};

// The process exit code: 0 when the applet was driven through, 1 when it
// could not be loaded or has no entry.
int RunControlPanel(const HostOptions& options, std::ostream& out, std::ostream& errors);
