#include "historytablemodel.h"

#include "db/meetchange.h"
#include "db/meetdatabase.h"

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

HistoryTableModel::HistoryTableModel(MeetDatabase& db, QObject* parent)
    : QAbstractTableModel(parent)
    , mDb(db) {
    connect(&db.changes(), &MeetChanges::committed, this, &HistoryTableModel::meetChanged);
    mRefresh.setSingleShot(true);
    mRefresh.setInterval(0);
    connect(&mRefresh, &QTimer::timeout, this, [this] { show(mFilter); });
}

bool HistoryTableModel::show(const ScoreHistoryTable::Filter& filter) {
    mFilter = filter;
    mShowing = true;
    ScoreHistoryTable history(mDb);
    const std::optional<bool> exists = history.exists();
    std::optional<QList<ScoreHistoryTable::Entry>> found;
    if (exists)
        found = *exists ? history.entries(filter) : QList<ScoreHistoryTable::Entry>();
    beginResetModel();
    mEntries.clear();
    mError.clear();
    if (found) {
        mEntries = std::move(*found);
        std::reverse(mEntries.begin(), mEntries.end());
    } else {
        mError = history.lastError();
    }
    endResetModel();
    return found.has_value();
}

// New entries: the filter is asked again once the event loop is free (a batch
// of scores commits many at once), so what it shows is what a fresh read shows.
void HistoryTableModel::meetChanged(const MeetChange& change) {
    if (mShowing && (change.isWholeMeet() || change.table == ScoreHistoryTable::Name))
        mRefresh.start();
}

QString HistoryTableModel::columnName(int column) {
    switch (column) {
    case TimeColumn:
        return u"Time"_s;
    case KindColumn:
        return u"Kind"_s;
    case NumColumn:
        return u"Num"_s;
    case EventColumn:
        return u"Event"_s;
    case BeforeColumn:
        return u"Before"_s;
    case AfterColumn:
        return u"After"_s;
    case SourceColumn:
        return u"Who"_s;
    case NoteColumn:
        return u"Note"_s;
    default:
        return {};
    }
}

QString HistoryTableModel::cellText(const ScoreHistoryTable::Entry& entry, int column) {
    const auto final = [](const QVariant& value) {
        return value.isNull() ? QString() : QString::number(value.toDouble(), 'f', 3);
    };
    switch (column) {
    case TimeColumn:
        return entry.time;
    case KindColumn:
        return entry.kind;
    case NumColumn:
        return entry.num;
    case EventColumn:
        return entry.event;
    case BeforeColumn:
        return final(entry.before);
    case AfterColumn:
        return final(entry.after);
    case SourceColumn:
        return entry.source;
    case NoteColumn:
        return entry.note;
    default:
        return {};
    }
}

int HistoryTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(mEntries.size());
}

int HistoryTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant HistoryTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= mEntries.size())
        return {};
    if (role == Qt::DisplayRole)
        return cellText(mEntries[index.row()], index.column());
    if (role == Qt::TextAlignmentRole &&
        (index.column() == BeforeColumn || index.column() == AfterColumn ||
         index.column() == NumColumn))
        return int(Qt::AlignCenter);
    return {};
}

QVariant HistoryTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    return columnName(section);
}
