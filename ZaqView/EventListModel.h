// The event list: text lines, newest last, at most `MaxLines` of them. When a
// batch would pass the cap the oldest lines go, a hundredth of the cap at
// least at a time, so that dropping stays rare under a steady stream.
#pragma once

#include <QAbstractListModel>
#include <QStringList>
#include <deque>

class EventListModel : public QAbstractListModel {
    Q_OBJECT
public:
    static constexpr int kDefaultMaxLines = 100000;

    explicit EventListModel(int maxLines = kDefaultMaxLines, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

    void Append(const QStringList& lines);
    // Counts lines that were let go before they reached the list.
    void NoteDropped(qint64 lines);
    void Clear();

    int MaxLines() const { return maxLines_; }
    // Lines dropped at the cap since the last Clear.
    qint64 DroppedLines() const { return dropped_; }
    const std::deque<QString>& Lines() const { return lines_; }

signals:
    void LinesDropped(qint64 total);

private:
    void DropOldest(qsizetype count);

    const int maxLines_;
    std::deque<QString> lines_;
    qint64 dropped_ = 0;
};
