#include "MosquittoBroker.h"

#include <filesystem>
#include <random>

#include "support/TempDir.h"

std::string MosquittoBroker::ProgramPath()
{
    for (const char* path : {"/usr/sbin/mosquitto", "/usr/bin/mosquitto", "/usr/local/sbin/mosquitto"}) {
        if (std::filesystem::exists(path)) {
            return path;
        }
    }
    return "";
}

MosquittoBroker::MosquittoBroker(std::string directory, bool persistence, std::string listenerSettings)
    : directory_(std::move(directory)), persistence_(persistence), listenerSettings_(std::move(listenerSettings))
{
}

MosquittoBroker::~MosquittoBroker()
{
    Stop();
}

bool MosquittoBroker::Start()
{
    std::random_device seed;
    std::mt19937 random(seed());
    std::uniform_int_distribution<int> ports(20000, 60000);
    for (int attempt = 0; attempt < 20; ++attempt) {
        port_ = ports(random);
        if (Launch()) {
            return true;
        }
    }
    return false;
}

bool MosquittoBroker::Restart()
{
    // The port was just released; another program could take it only by chance.
    for (int attempt = 0; attempt < 20; ++attempt) {
        if (Launch()) {
            return true;
        }
    }
    return false;
}

void MosquittoBroker::Stop()
{
    if (broker_) {
        broker_->Interrupt();
        broker_->Wait(10000);
        broker_.reset();
    }
}

bool MosquittoBroker::Launch()
{
    const std::string config = directory_ + "/mosquitto.conf";
    std::string text = "listener " + std::to_string(port_) + " 127.0.0.1\n" +
                       (listenerSettings_.empty() ? std::string("allow_anonymous true\n") : listenerSettings_) +
                       // No limit of the broker's own on messages in flight or
                       // queued for a subscriber: the tests count every one.
                       "max_inflight_messages 0\n"
                       "max_queued_messages 0\n"
                       "log_type error\nlog_type warning\nlog_type notice\nlog_type information\n";
    if (persistence_) {
        // Started by root, mosquitto drops to its own user: that user must be able to write there.
        const std::filesystem::path store = std::filesystem::path(directory_) / "broker-store";
        std::filesystem::create_directories(store);
        std::filesystem::permissions(store, std::filesystem::perms::all);
        text += "persistence true\npersistence_location " + store.string() + "/\nautosave_interval 0\n";
    }
    WriteWholeFile(config, text);
    broker_ = platform::Program::Start({ProgramPath(), "-c", config});
    if (!broker_) {
        return false;
    }
    if (broker_->WaitForOutput("running", 10000)) {
        return true;
    }
    broker_->Wait(2000);
    broker_.reset();
    return false;
}
