// Feeds events into the viewer's event routine from another thread (as the
// library's callback does) at rising rates, and measures the longest stall of
// the window's event loop and whether every line was listed. Then fills the
// list to its cap and reports the memory it takes.
//
//   bench_zaqview [--seconds S] [--max-lines N]
#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>

#include "EventListModel.h"
#include "MainDialog.h"
#include "platform/ProcessUsage.h"

namespace {

ZAQ16_EVENT SampleEvent(int i)
{
    ZAQ16_EVENT event{};
    event.timeStamp = static_cast<uint32_t>(i);
    event.eventCode = (i % 2 == 0) ? QXEVT_OFFHOOK : QXEVT_LIGHT_ON;
    event.param = static_cast<uint32_t>(i % 40) | QXEVT_LAMP_GREEN;
    event.board = static_cast<uint32_t>(i % 8);
    event.channel = event.board * 16 + 1 + static_cast<uint32_t>(i % 16);
    return event;
}

struct RunResult {
    double offered = 0;    // events per second sent
    qint64 listed = 0;     // lines that reached the list
    qint64 maxStallMs = 0; // longest gap between two 10 ms ticks, minus the tick
    double drainMs = 0;    // after the last event, until the last line was listed
};

// Events paced in 1 ms slices for `seconds`, from a producer thread.
RunResult Run(MainDialog& window, int rate, double seconds, qint64& inserted)
{
    const qint64 before = inserted;
    const int total = static_cast<int>(rate * seconds);
    std::atomic<bool> done{false};
    std::thread producer([&] {
        const auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < total; ++i) {
            const auto due = start + std::chrono::microseconds(static_cast<int64_t>(i * 1e6 / rate));
            std::this_thread::sleep_until(due);
            window.Routine().ShowEvent(SampleEvent(i));
        }
        done = true;
    });

    QElapsedTimer gap;
    gap.start();
    qint64 maxStall = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        maxStall = std::max(maxStall, gap.restart() - 10);
    });
    ticker.start(10);
    QElapsedTimer wall;
    wall.start();
    while (!done) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    producer.join();
    QElapsedTimer drain;
    drain.start();
    while (inserted - before < total && drain.elapsed() < 30000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    RunResult result;
    result.offered = total / (wall.elapsed() / 1000.0);
    result.listed = inserted - before;
    result.maxStallMs = maxStall;
    result.drainMs = static_cast<double>(drain.nsecsElapsed()) / 1e6;
    return result;
}

}  // namespace

int main(int argc, char** argv)
{
    if (qgetenv("DISPLAY").isEmpty() && qgetenv("WAYLAND_DISPLAY").isEmpty()) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    double seconds = 2;
    int maxLines = EventListModel::kDefaultMaxLines;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--seconds") == 0) {
            seconds = std::atof(argv[i + 1]);
        } else if (std::strcmp(argv[i], "--max-lines") == 0) {
            maxLines = std::atoi(argv[i + 1]);
        }
    }
    QApplication app(argc, argv);
    const long baseKiB = platform::ResidentKiB();
    MainDialog window(maxLines);
    window.resize(1100, 800);
    window.show();
    qint64 inserted = 0;
    QObject::connect(&window.Model(), &QAbstractItemModel::rowsInserted,
                     [&](const QModelIndex&, int first, int last) { inserted += last - first + 1; });

    std::printf("%10s %12s %10s %14s %12s\n", "rate/s", "offered/s", "listed", "max stall ms", "drain ms");
    int bestRate = 0;
    for (const int rate : {2000, 5000, 10000, 20000, 40000, 80000, 160000}) {
        window.ClearList();
        const RunResult r = Run(window, rate, seconds, inserted);
        const bool ok = r.listed == static_cast<qint64>(rate * seconds) && r.maxStallMs <= 100;
        std::printf("%10d %12.0f %10lld %14lld %12.1f %s\n", rate, r.offered, static_cast<long long>(r.listed),
                    static_cast<long long>(r.maxStallMs), r.drainMs, ok ? "ok" : "STALLS OR LOSES");
        if (ok) {
            bestRate = rate;
        }
    }
    std::printf("highest rate listed whole with no stall over 100 ms: %d events/s\n", bestRate);

    window.ClearList();
    const long emptyKiB = platform::ResidentKiB();
    int i = 0;
    while (window.Model().rowCount() < window.Model().MaxLines() - window.Model().MaxLines() / 100 ||
           window.Model().DroppedLines() == 0) {
        for (int n = 0; n < 5000; ++n) {
            window.Routine().ShowEvent(SampleEvent(i++));
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    const long fullKiB = platform::ResidentKiB();
    std::printf("memory: %ld KiB before the window, %ld KiB with an empty list, %ld KiB with %d lines at the cap "
                "(%.1f MiB for the list)\n",
                baseKiB, emptyKiB, fullKiB, window.Model().rowCount(), (fullKiB - emptyKiB) / 1024.0);
    return 0;
}
