// The Windows serial device on a COM port whose other end is a simulated unit
// (tests/windows/wine-test.sh maps it): the bounds of every read and write,
// the wake-up of a blocked read, a write beside a blocked read, a purge and a
// second open.
//
//   wine_serial_test.exe COM5
//
// Prints one "ok" / "not ok" line per check; the exit code is the number of
// failed checks. Time bounds are generous: they catch a wait that runs to its
// end or hangs, not a slow machine.
#include <atomic>
#include <cstdio>
#include <string>
#include <thread>

#include "platform/Clock.h"
#include "platform/SerialDevice.h"

namespace {

int failures = 0;

void Check(bool passed, const std::string& what)
{
    std::printf("%s - %s\n", passed ? "ok" : "not ok", what.c_str());
    std::fflush(stdout);
    if (!passed) {
        ++failures;
    }
}

// The port's time-outs as the library sets them.
platform::SerialTimeouts UnitTimeouts()
{
    platform::SerialTimeouts timeouts;
    timeouts.readInterval = 100;
    timeouts.readTotalMultiplier = 50;
    timeouts.readTotalConstant = 250;
    timeouts.writeTotalMultiplier = 50;
    return timeouts;
}

uint32_t Elapsed(uint32_t since)
{
    return platform::TickCount() - since;
}

void Send(platform::SerialDevice& port, const std::string& text)
{
    port.Write(text.data(), text.size());
}

// Reads one answer line (up to its LF) within `limitMs`.
std::string ReadLine(platform::SerialDevice& port, uint32_t limitMs)
{
    std::string line;
    const uint32_t start = platform::TickCount();
    while (Elapsed(start) < limitMs) {
        char byte = 0;
        const platform::IoResult result = port.Read(&byte, 1, -1);
        if (result.error != 0) {
            break;
        }
        if (result.bytes == 1) {
            if (byte == '\n') {
                break;
            }
            if (byte != '\r') {
                line += byte;
            }
        }
    }
    return line;
}

void CheckReadBounds(platform::SerialDevice& port)
{
    char byte = 0;
    // The purge after opening woke the next read, as it wakes the reader's.
    uint32_t start = platform::TickCount();
    platform::IoResult result = port.Read(&byte, 1, -1);
    Check(result.bytes == 0 && Elapsed(start) < 250, "the first read after a purge returns at once");

    start = platform::TickCount();
    result = port.Read(&byte, 1, -1);
    const uint32_t idle = Elapsed(start);
    Check(result.bytes == 0 && result.error == 0 && idle >= 200 && idle < 2000,
          "an idle one-byte read returns nothing, no error, after about 300 ms (" + std::to_string(idle) + " ms)");

    start = platform::TickCount();
    result = port.Read(&byte, 1, 30);
    Check(result.bytes == 0 && Elapsed(start) < 250, "a read capped at 30 ms returns before the port's time-out");

    start = platform::TickCount();
    result = port.Read(&byte, 1, 0);
    Check(result.bytes == 0 && Elapsed(start) < 100, "a read capped at 0 ms only looks");
}

void CheckWakeUp(platform::SerialDevice& port)
{
    platform::SerialTimeouts slow = UnitTimeouts();
    slow.readTotalConstant = 20000;
    port.SetTimeouts(slow);
    char byte = 0;
    std::atomic<uint32_t> took{0};
    const uint32_t start = platform::TickCount();
    std::thread reader([&] {
        port.Read(&byte, 1, -1);
        took = Elapsed(start);
    });
    platform::SleepMs(200);
    port.Interrupt();
    reader.join();
    Check(took < 5000, "Interrupt ends a blocked read at once (" + std::to_string(took.load()) + " ms of 20000)");

    port.Interrupt();
    const uint32_t again = platform::TickCount();
    port.Read(&byte, 1, -1);
    Check(Elapsed(again) < 5000, "an Interrupt before the read ends the next read");
    port.SetTimeouts(UnitTimeouts());
}

// The reader thread sits in a read while commands are written: the write
// must not wait for the read, and the answer must reach that read.
void CheckWriteBesideRead(platform::SerialDevice& port)
{
    platform::SerialTimeouts slow = UnitTimeouts();
    slow.readTotalConstant = 5000;
    port.SetTimeouts(slow);
    std::string answer;
    std::thread reader([&] { answer = ReadLine(port, 8000); });
    platform::SleepMs(200);
    const uint32_t start = platform::TickCount();
    const std::string command = "SET PBX\r";
    const platform::IoResult written = port.Write(command.data(), command.size());
    const uint32_t took = Elapsed(start);
    reader.join();
    Check(written.bytes == command.size() && written.error == 0 && took < 1000,
          "a write beside a blocked read goes out at once (" + std::to_string(took) + " ms)");
    Check(answer == "PBX=Definity2D", "the blocked read receives the answer: " + answer);
    port.SetTimeouts(UnitTimeouts());
}

void CheckPurge(platform::SerialDevice& port)
{
    Send(port, "DISPLAY VERSIONS\r");
    platform::SleepMs(300);
    Check(port.Purge(true, true), "purge of both queues");
    char byte = 0;
    port.Read(&byte, 1, 0);  // takes the purge's wake-up
    const platform::IoResult result = port.Read(&byte, 1, -1);
    Check(result.bytes == 0, "the answer that arrived before the purge is gone");
    Send(port, "SET PBX\r");
    Check(ReadLine(port, 3000) == "PBX=Definity2D", "the next answer arrives whole after the purge");
    Check(port.ClearError(), "the error query finds the port well");
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: wine_serial_test.exe COMn\n");
        return 2;
    }
    uint32_t error = 0;
    std::unique_ptr<platform::SerialDevice> port = platform::OpenSerialDevice(argv[1], error);
    Check(port != nullptr, std::string("open ") + argv[1] + " (error " + std::to_string(error) + ")");
    if (!port) {
        return failures;
    }
    uint32_t secondError = 0;
    Check(platform::OpenSerialDevice(std::string("\\\\.\\") + argv[1], secondError) == nullptr && secondError == 5,
          "a second open of the port is refused with error 5");
    platform::LineSettings settings;
    settings.baud = 115200;
    Check(port->Configure(settings), "115200 8N1, no flow control");
    platform::LineSettings wrong;
    wrong.baud = 115200;
    wrong.dataBits = 9;
    Check(!port->Configure(wrong), "9 data bits are refused");
    port->SetTimeouts(UnitTimeouts());
    port->Purge(true, true);

    CheckReadBounds(*port);
    CheckWakeUp(*port);
    CheckWriteBesideRead(*port);
    CheckPurge(*port);

    port.reset();
    std::unique_ptr<platform::SerialDevice> reopened = platform::OpenSerialDevice(argv[1], error);
    Check(reopened != nullptr, "the port opens again once closed");
    return failures;
}
