#include "queuegridmodel.h"

#include "queuekey.h"

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

int QueueGridModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid())
        return 0;
    return std::max(1, int(mEntries.size()));
}

int QueueGridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

const QueueEntry* QueueGridModel::entryAt(int row) const {
    if (row < 0 || row >= mEntries.size())
        return nullptr;
    return &mEntries[row];
}

QString QueueGridModel::cellText(const QueueEntry& entry, int column) const {
    switch (column) {
    case KeyColumn:
        return entry.queueTimeNum;
    case NumColumn:
        return entry.num;
    case NameColumn:
        return entry.gymnastName;
    case EventColumn:
        return entry.event;
    case ScoreColumn:
        return entry.score;
    case RecvTimeColumn:
        return entry.queueTime;
    case SecondsColumn:
        return QString::number(entry.displaySeconds);
    case StatusColumn:
        return entry.held           ? QueueEntry::Held
               : entry.underInquiry ? QueueEntry::UnderInquiry
                                    : entry.status;
    case CorrectedColumn:
        return entry.corrected ? u"True"_s : u"False"_s;
    default:
        return {};
    }
}

QVariant QueueGridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.column() >= ColumnCount)
        return {};
    const QueueEntry* entry = entryAt(index.row());
    switch (role) {
    case Qt::DisplayRole:
        return entry ? cellText(*entry, index.column()) : QString();
    case Qt::TextAlignmentRole:
        if (index.column() == NumColumn || index.column() == ScoreColumn ||
            index.column() == StatusColumn)
            return int(Qt::AlignCenter);
        return int(Qt::AlignLeft | Qt::AlignVCenter);
    case CorrectedRole:
        return entry && entry->corrected;
    case HeldRole:
        return entry && entry->held;
    case RowIdRole:
        return entry ? entry->rowId : 0;
    default:
        return {};
    }
}

QVariant QueueGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (section) {
    case NumColumn:
        return u"Num"_s;
    case NameColumn:
        return u"Gymnast Name"_s;
    case EventColumn:
        return u"Event"_s;
    case ScoreColumn:
        return u"Score"_s;
    case RecvTimeColumn:
        return u"Recv Time"_s;
    case StatusColumn:
        return u"Status"_s;
    default:
        return QString();
    }
}

bool QueueGridModel::isHiddenColumn(int column) {
    return column == KeyColumn || column == SecondsColumn || column == CorrectedColumn ||
           column == SpareColumn;
}

int QueueGridModel::columnWidthTwips(int column) {
    switch (column) {
    case NumColumn:
        return 1000;
    case NameColumn:
        return 3800;
    case EventColumn:
        return 2500;
    case ScoreColumn:
        return -1;
    case RecvTimeColumn:
        return 2820;
    case StatusColumn:
        return 1500;
    default:
        return 0;
    }
}

int QueueGridModel::findRow(const QString& num, const QString& event) const {
    for (int row = 0; row < mEntries.size(); ++row) {
        if (mEntries[row].num == num && mEntries[row].event == event)
            return row;
    }
    return -1;
}

int QueueGridModel::rowOf(qint64 rowId) const {
    if (!mRowIds.contains(rowId))
        return -1;
    for (int row = 0; row < mEntries.size(); ++row) {
        if (mEntries[row].rowId == rowId)
            return row;
    }
    return -1;
}

int QueueGridModel::insertionRow(const QString& key) const {
    const auto at = std::upper_bound(
        mEntries.cbegin(), mEntries.cend(), key,
        [](const QString& k, const QueueEntry& entry) { return k < entry.queueTimeNum; });
    return int(at - mEntries.cbegin());
}

void QueueGridModel::insertAt(int row, const QueueEntry& entry) {
    if (mEntries.isEmpty()) {
        // The empty row becomes the score's row.
        mEntries.append(entry);
        mRowIds.insert(entry.rowId);
        Q_EMIT dataChanged(index(0, 0), index(0, ColumnCount - 1));
        return;
    }
    beginInsertRows({}, row, row);
    mEntries.insert(row, entry);
    mRowIds.insert(entry.rowId);
    endInsertRows();
}

void QueueGridModel::showEntry(const QueueEntry& entry) {
    const int existing = entry.rowId != 0 ? rowOf(entry.rowId) : -1;
    if (existing >= 0) {
        // Replaced in place when its queue position does not change: it still
        // sorts after the row before it (an equal time keeps its place) and
        // before the row after it.
        const bool afterThoseBefore =
            existing == 0 || !(entry.queueTimeNum < mEntries[existing - 1].queueTimeNum);
        const bool beforeThoseAfter = existing + 1 == mEntries.size() ||
                                      entry.queueTimeNum < mEntries[existing + 1].queueTimeNum;
        if (afterThoseBefore && beforeThoseAfter) {
            mEntries[existing] = entry;
            Q_EMIT dataChanged(index(existing, 0), index(existing, ColumnCount - 1));
            return;
        }
        removeAt(existing);
    }
    insertAt(insertionRow(entry.queueTimeNum), entry);
}

void QueueGridModel::removeAt(int row) {
    if (row < 0 || row >= mEntries.size())
        return;
    if (mEntries.size() == 1) {
        // The grid keeps one data row: its cells are emptied.
        mEntries.clear();
        mRowIds.clear();
        Q_EMIT dataChanged(index(0, 0), index(0, ColumnCount - 1));
        return;
    }
    beginRemoveRows({}, row, row);
    mRowIds.remove(mEntries[row].rowId);
    if (row < mEntries.size() / 2) {
        // Shown scores leave near the front of a queue that may be long: the
        // few rows before it move down one, and the list drops its first.
        std::move_backward(mEntries.begin(), mEntries.begin() + row, mEntries.begin() + row + 1);
        mEntries.removeFirst();
    } else {
        mEntries.removeAt(row);
    }
    endRemoveRows();
}

void QueueGridModel::removeRowId(qint64 rowId) {
    removeAt(rowOf(rowId));
}

void QueueGridModel::setEntries(QList<QueueEntry> entries) {
    std::stable_sort(entries.begin(), entries.end(), [](const QueueEntry& a, const QueueEntry& b) {
        return a.queueTimeNum < b.queueTimeNum;
    });
    beginResetModel();
    mEntries = std::move(entries);
    mRowIds.clear();
    for (const QueueEntry& entry : std::as_const(mEntries))
        mRowIds.insert(entry.rowId);
    endResetModel();
}
