#include "platform/Program.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>

#include <fcntl.h>
#include <poll.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

namespace platform {

namespace {

int64_t NowMs()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

}  // namespace

std::unique_ptr<Program> Program::Start(const std::vector<std::string>& argv, const Environment& environment)
{
    if (argv.empty()) {
        return nullptr;
    }
    int output[2];
    if (pipe2(output, O_CLOEXEC) != 0) {
        return nullptr;
    }
    std::vector<char*> args;
    for (const std::string& arg : argv) {
        args.push_back(const_cast<char*>(arg.c_str()));
    }
    args.push_back(nullptr);
    const pid_t child = fork();
    if (child < 0) {
        close(output[0]);
        close(output[1]);
        return nullptr;
    }
    if (child == 0) {
        dup2(output[1], STDOUT_FILENO);
        dup2(output[1], STDERR_FILENO);
        for (const auto& [name, value] : environment) {
            setenv(name.c_str(), value.c_str(), 1);
        }
        execv(args[0], args.data());
        _exit(127);
    }
    close(output[1]);
    fcntl(output[0], F_SETFL, O_NONBLOCK);
    return std::unique_ptr<Program>(new Program(child, output[0]));
}

Program::Program(int64_t processId, int outputFd) : processId_(processId), outputFd_(outputFd) {}

Program::~Program()
{
    if (!ended_) {
        kill(static_cast<pid_t>(processId_), SIGKILL);
        Wait(5000);
    }
    close(outputFd_);
}

void Program::Interrupt()
{
    if (!ended_) {
        kill(static_cast<pid_t>(processId_), SIGINT);
    }
}

void Program::Collect(int waitMs)
{
    pollfd fds{outputFd_, POLLIN, 0};
    if (poll(&fds, 1, waitMs) <= 0) {
        return;
    }
    char buffer[4096];
    for (;;) {
        const ssize_t got = read(outputFd_, buffer, sizeof buffer);
        if (got <= 0) {
            return;
        }
        output_.append(buffer, static_cast<size_t>(got));
    }
}

int Program::Wait(uint32_t timeoutMs)
{
    const int64_t deadline = NowMs() + timeoutMs;
    while (!ended_) {
        int status = 0;
        const pid_t done = waitpid(static_cast<pid_t>(processId_), &status, WNOHANG);
        if (done == static_cast<pid_t>(processId_)) {
            ended_ = true;
            exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            break;
        }
        if (done < 0 && errno != EINTR) {
            ended_ = true;
            break;
        }
        if (NowMs() >= deadline) {
            kill(static_cast<pid_t>(processId_), SIGKILL);
            waitpid(static_cast<pid_t>(processId_), &status, 0);
            ended_ = true;
            exitCode_ = -1;
            break;
        }
        Collect(10);
    }
    Collect(0);
    return exitCode_;
}

std::string Program::Output()
{
    Collect(0);
    return output_;
}

bool Program::WaitForOutput(const std::string& text, uint32_t timeoutMs)
{
    const int64_t deadline = NowMs() + timeoutMs;
    for (;;) {
        Collect(10);
        if (output_.find(text) != std::string::npos) {
            return true;
        }
        if (NowMs() >= deadline) {
            return false;
        }
    }
}

std::pair<int, std::string> RunProgram(const std::vector<std::string>& argv,
                                       const Program::Environment& environment, uint32_t timeoutMs)
{
    std::unique_ptr<Program> program = Program::Start(argv, environment);
    if (!program) {
        return {-1, ""};
    }
    const int code = program->Wait(timeoutMs);
    return {code, program->Output()};
}

}  // namespace platform
