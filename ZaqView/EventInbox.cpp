#include "EventInbox.h"

#include <QMetaObject>
#include <QTimer>

EventInbox::EventInbox(int gatherMs, QObject* parent) : QObject(parent), gatherMs_(gatherMs) {}

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
