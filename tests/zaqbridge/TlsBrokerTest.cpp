// zaqbridge against a mosquitto broker that only speaks TLS and wants a user
// and password: the events arrive over TLS with the right authority and
// password; a broker certificate from another authority and a wrong password
// are refused with a message that says so.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "MosquittoBroker.h"
#include "MqttSubscriber.h"
#include "platform/ProcessEnvironment.h"
#include "platform/Program.h"
#include "support/TempDir.h"

namespace {

const std::string kDemoDump = ZAQ_SOURCE_DIR "/tools/zaqsim/scenarios/demo.dmp";
const std::string kBridge = ZAQ_BINARY_DIR "/tools/zaqbridge/zaqbridge";
const std::string kOpenssl = "/usr/bin/openssl";
const std::string kPasswd = "/usr/bin/mosquitto_passwd";

bool RunTool(const std::vector<std::string>& argv, std::string& log)
{
    const auto [code, output] = platform::RunProgram(argv, {}, 30000);
    log += output;
    return code == 0;
}

// A certificate authority of its own (`name`.crt, `name`.key) in `directory`.
bool MakeAuthority(const std::string& directory, const std::string& name, std::string& log)
{
    return RunTool({kOpenssl, "req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes",
                "-keyout", directory + "/" + name + ".key", "-out", directory + "/" + name + ".crt", "-days", "2",
                "-subj", "/CN=" + name},
               log);
}

class TlsBrokerTest : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        // Read by the sanitizer of each bridge started from here (when built with it).
        const char* options = std::getenv("LSAN_OPTIONS");
        const std::string suppressions = "suppressions=" ZAQ_SOURCE_DIR "/tests/zaqbridge/openssl-leaks.supp";
        platform::SetEnvironmentVariable("LSAN_OPTIONS",
                                         (options != nullptr ? std::string(options) + ":" : std::string()) + suppressions);
    }

    void SetUp() override
    {
        for (const std::string& program : {kOpenssl, kPasswd}) {
            if (!std::filesystem::exists(program)) {
                GTEST_SKIP() << program << " is not installed (scripts/setup.sh installs it)";
            }
        }
        if (MosquittoBroker::ProgramPath().empty()) {
            GTEST_SKIP() << "mosquitto is not installed (scripts/setup.sh installs it)";
        }
        const std::string d = dir.path().string();
        std::string log;
        // The broker's certificate names both ways of writing this host.
        WriteWholeFile(dir.File("server.ext"), "subjectAltName=DNS:localhost,IP:127.0.0.1\n");
        ASSERT_TRUE(MakeAuthority(d, "test-ca", log) && MakeAuthority(d, "other-ca", log) &&
                    RunTool({kOpenssl, "req", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes",
                         "-keyout", d + "/server.key", "-out", d + "/server.csr", "-subj", "/CN=localhost"},
                        log) &&
                    RunTool({kOpenssl, "x509", "-req", "-in", d + "/server.csr", "-CA", d + "/test-ca.crt", "-CAkey",
                         d + "/test-ca.key", "-CAcreateserial", "-out", d + "/server.crt", "-days", "2", "-extfile",
                         d + "/server.ext"},
                        log) &&
                    RunTool({kPasswd, "-c", "-b", d + "/passwd", "bridge", "s3cret"}, log) &&
                    RunTool({kPasswd, "-b", d + "/passwd", "dashboard", "look"}, log))
            << log;
        // Started by root, mosquitto reads its key as its own user: a throw-away key may be readable.
        std::filesystem::permissions(dir.File("server.key"), std::filesystem::perms::others_read,
                                     std::filesystem::perm_options::add);
        broker = std::make_unique<MosquittoBroker>(d, false,
                                                   "cafile " + d + "/test-ca.crt\ncertfile " + d + "/server.crt\n"
                                                   "keyfile " + d + "/server.key\nallow_anonymous false\n"
                                                   "password_file " + d + "/passwd\n");
        ASSERT_TRUE(broker->Start()) << broker->Output();
        subscriber = std::make_unique<MqttSubscriber>(broker->Port(), "zaq16/#", "", false,
                                                      MqttLogin{dir.File("test-ca.crt"), "dashboard", "look"});
        ASSERT_TRUE(subscriber->WaitSubscribed(10000)) << broker->Output();
    }

    // zaqbridge playing the demo to the broker, its login in a settings file as a site keeps it.
    std::unique_ptr<platform::Program> StartBridge(const std::string& authority, const std::string& password)
    {
        const std::string config = dir.File("zaqbridge.conf");
        WriteWholeFile(config, "site = secure\nhost = 127.0.0.1\nport = " + std::to_string(broker->Port()) +
                                   "\ncafile = " + dir.File(authority) + "\nusername = bridge\npassword = " +
                                   password + "\nreconnect-max = 1\n");
        return platform::Program::Start({kBridge, "--config", config, "--play", kDemoDump, "--time-mode", "0"});
    }

    size_t EventsReceived() { return CountTopicsEndingWith(subscriber->Messages(), "/event"); }

    TempDir dir;
    std::unique_ptr<MosquittoBroker> broker;
    std::unique_ptr<MqttSubscriber> subscriber;
};

TEST_F(TlsBrokerTest, EventsReachASubscriberOverTlsWithTheRightAuthorityAndPassword)
{
    auto bridge = StartBridge("test-ca.crt", "s3cret");
    ASSERT_TRUE(bridge);
    ASSERT_EQ(bridge->Wait(60000), 0) << bridge->Output();
    const std::string output = bridge->Output();
    const size_t at = output.find("stopped; ");
    ASSERT_NE(at, std::string::npos) << output;
    const size_t taken = std::stoul(output.substr(at + 9));
    ASSERT_GT(taken, 0u);
    EXPECT_TRUE(subscriber->WaitFor([&](const auto& all) { return CountTopicsEndingWith(all, "/event") >= taken; },
                                    10000))
        << EventsReceived() << " of " << taken;
    EXPECT_TRUE(subscriber->WaitFor(
        [](const auto& all) { return !all.empty() && all.back().topic == "zaq16/secure/status" && all.back().payload == "offline"; },
        10000));
    EXPECT_GT(CountTopicsEndingWith(subscriber->Messages(), "/state"), 0u);
}

TEST_F(TlsBrokerTest, ABrokerCertificateOfAnotherAuthorityIsRefused)
{
    auto bridge = StartBridge("other-ca.crt", "s3cret");
    ASSERT_TRUE(bridge);
    // The handshake is refused either inside the first connect (the bridge
    // ends at start) or a moment later on the network thread (the bridge
    // says it has no connection and keeps trying until it is stopped),
    // depending on how fast the broker answers.
    ASSERT_TRUE(bridge->WaitForOutput("certificate verify failed", 30000)) << bridge->Output();
    const std::string port = std::to_string(broker->Port());
    const std::string atStart = "TLS with 127.0.0.1:" + port + " failed";
    const std::string later = "no connection to the broker 127.0.0.1:" + port;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (bridge->Output().find(atStart) == std::string::npos && bridge->Output().find(later) == std::string::npos &&
           std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    if (bridge->Output().find(atStart) != std::string::npos) {
        EXPECT_EQ(bridge->Wait(15000), 1) << bridge->Output();
    } else {
        ASSERT_NE(bridge->Output().find(later), std::string::npos) << bridge->Output();
        bridge->Interrupt();
        EXPECT_EQ(bridge->Wait(15000), 0) << bridge->Output();
    }
    EXPECT_EQ(EventsReceived(), 0u);
}

TEST_F(TlsBrokerTest, ACertificateOfAnotherAuthorityMetOnlyAtAReconnectionIsReportedAndSigtermStillStops)
{
    // The broker is away when the bridge starts, so the refused handshake happens on its network thread.
    const int port = broker->Port();
    broker->Stop();
    auto bridge = StartBridge("other-ca.crt", "s3cret");
    ASSERT_TRUE(bridge);
    ASSERT_TRUE(bridge->WaitForOutput("unit(s) started", 15000)) << bridge->Output();
    ASSERT_TRUE(broker->Restart()) << broker->Output();
    ASSERT_EQ(broker->Port(), port);
    ASSERT_TRUE(bridge->WaitForOutput("no connection to the broker 127.0.0.1:" + std::to_string(port), 30000))
        << bridge->Output();
    bridge->Interrupt();
    // 5 s for the buffered events, 2 s for the network thread: the half-done
    // handshake must not keep it until the broker gives up on it (20 s and more).
    EXPECT_EQ(bridge->Wait(15000), 0) << bridge->Output();
    EXPECT_NE(bridge->Output().find("event(s) not published"), std::string::npos) << bridge->Output();
    EXPECT_EQ(EventsReceived(), 0u);
}

TEST_F(TlsBrokerTest, AWrongPasswordIsRefusedAndTheBridgeStillStopsOnRequest)
{
    auto bridge = StartBridge("test-ca.crt", "guess");
    ASSERT_TRUE(bridge);
    ASSERT_TRUE(bridge->WaitForOutput("the broker refused the connection", 15000)) << bridge->Output();
    EXPECT_NE(bridge->Output().find("not authorised"), std::string::npos) << bridge->Output();
    bridge->Interrupt();
    // The played events wait a bounded time for a broker that never takes them, then are counted.
    EXPECT_EQ(bridge->Wait(30000), 0) << bridge->Output();
    EXPECT_NE(bridge->Output().find("event(s) not published"), std::string::npos) << bridge->Output();
    EXPECT_EQ(EventsReceived(), 0u);
}

}  // namespace
