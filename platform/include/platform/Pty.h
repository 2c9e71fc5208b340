// Pseudo-terminal pairs for the unit simulator: the simulator plays the unit on
// the master side; the library opens the slave side as if it were a COM port.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace platform {

struct PtyIo {
    size_t bytes = 0;
    bool wouldBlock = false;  // nothing could be moved now; try again after a wait
    uint32_t error = 0;       // 0, or the system's error code
};

// One pty pair in raw mode. The simulator keeps its own descriptor of the slave
// open for the pair's whole life, so the master never sees a hang-up when the
// library closes the slave, and what is written meanwhile waits for the next open.
// The simulator never reads that slave descriptor.
class PtyPair {
public:
    // Null on failure, with `error` set to the system's error code.
    static std::unique_ptr<PtyPair> Open(uint32_t& error);
    ~PtyPair();
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    // The slave device, for example "/dev/pts/5".
    const std::string& SlaveName() const { return slaveName_; }
    bool IsOpen() const { return master_ >= 0; }

    // Never block.
    PtyIo Read(void* buffer, size_t size);
    PtyIo Write(const void* buffer, size_t size);
    // Bytes written to the master that no one has read from the slave yet
    // (what a reader would lose if the pair closed now); 0 when closed.
    size_t UnreadBytes() const;

    // Closes both of the simulator's descriptors: the library's reads on the
    // slave then fail, as when a unit is unplugged.
    void Close();

private:
    PtyPair(int master, int slave, std::string slaveName);
    friend class PtyPoller;

    int master_ = -1;
    int slave_ = -1;
    std::string slaveName_;
};

// Waits on the masters of several pairs at once, with a wake-up that any
// thread may trigger.
class PtyPoller {
public:
    // Takes the pair's descriptor when it is made, so that the pair may be
    // closed or destroyed by another thread while Wait runs.
    struct Interest {
        Interest(const PtyPair* pair, bool wantWrite);
        int master = -1;  // -1 (a closed or null pair): skipped
        bool wantWrite = false;
    };
    struct Readiness {
        bool readable = false;
        bool writable = false;
        bool hungUp = false;
    };

    PtyPoller();
    ~PtyPoller();
    PtyPoller(const PtyPoller&) = delete;
    PtyPoller& operator=(const PtyPoller&) = delete;

    bool IsValid() const { return wakeRead_ >= 0; }

    // Waits up to `timeoutMs` (0: just look) until one of the pairs is ready,
    // Wake() is called, or the time passes. `ready` gets one entry per interest.
    void Wait(std::span<const Interest> interests, std::vector<Readiness>& ready, int timeoutMs);
    void Wake();

private:
    int wakeRead_ = -1;
    int wakeWrite_ = -1;
};

}  // namespace platform
