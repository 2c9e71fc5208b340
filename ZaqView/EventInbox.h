// Hands what the event routine produced (list lines, display texts for the
// phone panes) from the library's threads to the window's thread. Producers
// only append under a short lock; the first item of a batch asks the window,
// through a queued call, to take the whole batch a little later, so that a
// burst of events costs the window one update, not one per event.
#pragma once

#include <QObject>
#include <QString>
#include <mutex>
#include <vector>

struct PaneText {
    uint32_t board = 0;
    uint32_t pane = 0;  // 1 to 16
    QString text;
};

struct InboxBatch {
    QStringList lines;
    std::vector<PaneText> panes;
    qint64 droppedLines = 0;  // older lines let go while the window was busy
};

class EventInbox : public QObject {
    Q_OBJECT
public:
    // `gatherMs`: how long the window lets a batch gather before taking it.
    // While the window is busy at most `maxLines` lines wait; older ones are
    // let go (the list would drop them anyway), so memory stays bounded.
    explicit EventInbox(int gatherMs = 20, qsizetype maxLines = 100000, QObject* parent = nullptr);

    // Any thread.
    void AddLines(const QStringList& lines);
    void AddPane(PaneText pane);

    // The window's thread: everything gathered so far.
    InboxBatch Take();

signals:
    // Emitted on the window's thread when a batch is ready.
    void BatchReady();

private:
    void Announce(bool wasEmpty);
    Q_INVOKABLE void ScheduleBatch();

    const int gatherMs_;
    const qsizetype maxLines_;
    std::mutex mutex_;
    InboxBatch pending_;
};
