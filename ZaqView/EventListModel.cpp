#include "EventListModel.h"

#include <algorithm>

EventListModel::EventListModel(int maxLines, QObject* parent)
    : QAbstractListModel(parent), maxLines_(std::max(1, maxLines))
{
}

int EventListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(lines_.size());
}

QVariant EventListModel::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= rowCount()) {
        return {};
    }
    return lines_[static_cast<size_t>(index.row())];
}

void EventListModel::Append(const QStringList& lines)
{
    if (lines.isEmpty()) {
        return;
    }
    // A batch longer than the cap keeps only its own newest lines.
    const qsizetype skipped = std::max<qsizetype>(0, lines.size() - maxLines_);
    const qsizetype kept = lines.size() - skipped;
    const qsizetype overflow = static_cast<qsizetype>(lines_.size()) + kept - maxLines_;
    if (overflow > 0) {
        DropOldest(std::min<qsizetype>(static_cast<qsizetype>(lines_.size()),
                                       std::max<qsizetype>(overflow, maxLines_ / 100)));
    }
    const int first = rowCount();
    beginInsertRows({}, first, first + static_cast<int>(kept) - 1);
    lines_.insert(lines_.end(), lines.begin() + skipped, lines.end());
    endInsertRows();
    if (skipped > 0) {
        dropped_ += skipped;
        emit LinesDropped(dropped_);
    }
}

void EventListModel::NoteDropped(qint64 lines)
{
    if (lines > 0) {
        dropped_ += lines;
        emit LinesDropped(dropped_);
    }
}

void EventListModel::Clear()
{
    beginResetModel();
    lines_.clear();
    dropped_ = 0;
    endResetModel();
    emit LinesDropped(0);
}

void EventListModel::DropOldest(qsizetype count)
{
    if (count <= 0) {
        return;
    }
    beginRemoveRows({}, 0, static_cast<int>(count) - 1);
    lines_.erase(lines_.begin(), lines_.begin() + count);
    endRemoveRows();
    dropped_ += count;
    emit LinesDropped(dropped_);
}
