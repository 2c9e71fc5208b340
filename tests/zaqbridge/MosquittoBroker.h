// A mosquitto broker of the test's own on a free localhost port, with its
// configuration and persistence in the test's directory; it can be stopped
// and started again on the same port.
#pragma once

#include <memory>
#include <string>

#include "platform/Program.h"

class MosquittoBroker {
public:
    // The broker program; empty when mosquitto is not installed.
    static std::string ProgramPath();

    // `persistence`: sessions, queued and retained messages survive a restart.
    // `listenerSettings`: lines for the listener (TLS, password file) in place
    // of anonymous access.
    MosquittoBroker(std::string directory, bool persistence, std::string listenerSettings = "");
    ~MosquittoBroker();

    // Starts on a free port (a random one, tried again when taken); false when it does not run.
    bool Start();
    // Ends the broker as an administrator would (it saves its persistence file).
    void Stop();
    // Starts again on the same port.
    bool Restart();

    int Port() const { return port_; }
    std::string Output() { return broker_ ? broker_->Output() : ""; }

private:
    bool Launch();

    std::string directory_;
    bool persistence_;
    std::string listenerSettings_;
    int port_ = 0;
    std::unique_ptr<platform::Program> broker_;
};
