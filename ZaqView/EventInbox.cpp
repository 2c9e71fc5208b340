#include "EventInbox.h"

#include <QMetaObject>
#include <QTimer>
#include <algorithm>

EventInbox::EventInbox(int gatherMs, qsizetype maxLines, QObject* parent)
    : QObject(parent), gatherMs_(gatherMs), maxLines_(std::max<qsizetype>(1, maxLines))
{
}

void EventInbox::AddLines(const QStringList& lines)
{
    if (lines.isEmpty()) {
        return;
    }
    bool wasEmpty;
    {
        std::lock_guard lock(mutex_);
        wasEmpty = pending_.lines.isEmpty() && pending_.panes.empty();
        pending_.lines.append(lines);
        // Trimmed in steps of the cap, so a stalled window costs one move per cap's worth of lines.
        if (pending_.lines.size() >= 2 * maxLines_) {
            const qsizetype excess = pending_.lines.size() - maxLines_;
            pending_.lines.remove(0, excess);
            pending_.droppedLines += excess;
        }
    }
    Announce(wasEmpty);
}

void EventInbox::AddPane(PaneText pane)
{
    bool wasEmpty;
    {
        std::lock_guard lock(mutex_);
        wasEmpty = pending_.lines.isEmpty() && pending_.panes.empty();
        pending_.panes.push_back(std::move(pane));
    }
    Announce(wasEmpty);
}

InboxBatch EventInbox::Take()
{
    std::lock_guard lock(mutex_);
    return std::exchange(pending_, InboxBatch{});
}

void EventInbox::Announce(bool wasEmpty)
{
    if (wasEmpty) {
        QMetaObject::invokeMethod(this, "ScheduleBatch", Qt::QueuedConnection);
    }
}

void EventInbox::ScheduleBatch()
{
    QTimer::singleShot(gatherMs_, this, &EventInbox::BatchReady);
}
