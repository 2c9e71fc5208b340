// Running another program: its output captured, an interrupt (Ctrl-C) that
// can be sent to it, and a bounded wait for its end. Tests and tools use it to
// drive the project's programs.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace platform {

class Program {
public:
    using Environment = std::vector<std::pair<std::string, std::string>>;

    // Starts argv[0] (a path) with the arguments, this process's environment plus
    // `environment`, standard output and error captured together. Null on failure.
    static std::unique_ptr<Program> Start(const std::vector<std::string>& argv, const Environment& environment = {});
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    // Sends the interrupt signal (as Ctrl-C does).
    void Interrupt();
    // Waits up to `timeoutMs` for the end; the exit code, or -1 when it did not
    // end in time (it is then killed) or died of a signal.
    int Wait(uint32_t timeoutMs);
    // Everything the program has written so far.
    std::string Output();
    // Waits up to `timeoutMs` for `text` to appear in the output.
    bool WaitForOutput(const std::string& text, uint32_t timeoutMs);

private:
    Program(int64_t processId, int outputFd);
    void Collect(int waitMs);

    int64_t processId_;
    int outputFd_;
    bool ended_ = false;
    int exitCode_ = -1;
    std::string output_;
};

// Runs a program to its end (at most `timeoutMs`) and returns its exit code and output.
std::pair<int, std::string> RunProgram(const std::vector<std::string>& argv,
                                       const Program::Environment& environment, uint32_t timeoutMs);

}  // namespace platform
