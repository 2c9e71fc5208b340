// Events per second through SendEvent, in callback mode (a trivial callback)
// and in polling mode (a consumer thread taking events with QXZAQGetEvent), with
// one producer per board as the reader threads are.
//
//   bench_send_event [events per producer] [producers] [trace file]
// With a trace file the trace runs at its default level, where callback mode
// writes one line per event.
#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>
#include <vector>

#include "core/EventDelivery.h"
#include "core/LinkState.h"
#include "base/Trace.h"
#include "qxzaqlnk.h"

namespace {

std::atomic<uint64_t> delivered{0};

uint32_t QXZAQ_CALL Count(ZAQ16_EVENT*)
{
    ++delivered;
    return 0;
}

double Seconds()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

void Produce(uint32_t board, uint64_t count)
{
    ZAQ16_EVENT event{};
    event.eventCode = QXEVT_LIGHT_ON;
    event.board = board;
    event.channel = 1 + 16 * board;
    for (uint64_t i = 0; i < count; ++i) {
        event.param = static_cast<uint32_t>(i & 0xFF);
        SendEvent(&event);
    }
}

double RunProducers(uint32_t producers, uint64_t perProducer)
{
    const double start = Seconds();
    std::vector<std::thread> threads;
    for (uint32_t board = 0; board < producers; ++board) {
        threads.emplace_back(Produce, board, perProducer);
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    return Seconds() - start;
}

}  // namespace

int main(int argc, char** argv)
{
    const uint64_t perProducer = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 200000;
    const uint32_t producers = argc > 2 ? static_cast<uint32_t>(std::atoi(argv[2])) : 4;
    const uint64_t total = perProducer * producers;
    LibraryTrace().SetPath(argc > 3 ? argv[3] : "");
    LibraryTrace().SetLevel(TRACE_INFO);

    Link().eventCallback = Count;
    const double callbackSeconds = RunProducers(producers, perProducer);
    std::printf("callback mode: %llu events in %.3f s = %.0f events/s\n", static_cast<unsigned long long>(total),
                callbackSeconds, delivered.load() / callbackSeconds);

    Link().eventCallback = nullptr;
    CreateEventQueue();
    std::atomic<bool> producing{true};
    uint64_t taken = 0;
    std::thread consumer([&] {
        uint32_t words[6];
        for (;;) {
            if (QXZAQGetEvent(&words[0], &words[1], &words[2], &words[3], &words[4], &words[5]) == 0) {
                ++taken;
            } else if (!producing) {
                break;
            }
        }
    });
    const double start = Seconds();
    RunProducers(producers, perProducer);
    producing = false;
    consumer.join();
    const double pollingSeconds = Seconds() - start;
    std::printf("polling mode: %llu events queued and taken in %.3f s = %.0f events/s\n",
                static_cast<unsigned long long>(total), pollingSeconds, total / pollingSeconds);
    DestroyEventQueue();
    return taken == total ? 0 : 1;
}
