#include "historytablemodel.h"

#include "db/meetchange.h"
#include "db/meetdatabase.h"

#include <algorithm>
#include <utility>

using namespace Qt::Literals::StringLiterals;

HistoryTableModel::HistoryTableModel(MeetDatabase& db, QObject* parent)
    : RowListModel(ColumnCount, {}, parent)
    , mDb(db) {
    connect(&db.changes(), &MeetChanges::committed, this, &HistoryTableModel::meetChanged);
    mRefresh.setSingleShot(true);
    mRefresh.setInterval(0);
    connect(&mRefresh, &QTimer::timeout, this, [this] {
        if (std::exchange(mReadAll, false))
            show(mFilter);
        else
            readNewEntries();
    });
}

bool HistoryTableModel::show(const ScoreHistoryTable::Filter& filter) {
    mFilter = filter;
    mShowing = true;
    ScoreHistoryTable history(mDb);
    const std::optional<bool> exists = history.exists();
    std::optional<qint64> upTo = 0;
    if (exists && *exists)
        upTo = history.lastSeq();
    std::optional<QList<ScoreHistoryTable::Entry>> found;
    if (exists && upTo)
        found = *exists ? history.entries(filter) : QList<ScoreHistoryTable::Entry>();
    mReadUpTo = upTo.value_or(0);
    QList<ScoreHistoryTable::Entry> entries;
    mError.clear();
    if (found) {
        entries = std::move(*found);
        std::reverse(entries.begin(), entries.end());
    } else {
        mError = history.lastError();
    }
    resetRows(std::move(entries));
    return found.has_value();
}

// New entries are read once the event loop is free (a batch of scores commits
// many at once), so what it shows is what a fresh read shows; only they are
// read, however long the history has grown.
void HistoryTableModel::meetChanged(const MeetChange& change) {
    if (!mShowing || !(change.isWholeMeet() || change.table == ScoreHistoryTable::Name))
        return;
    mReadAll = mReadAll || change.isWholeMeet();
    mRefresh.start();
}

void HistoryTableModel::readNewEntries() {
    ScoreHistoryTable history(mDb);
    const std::optional<qint64> upTo = history.lastSeq();
    std::optional<QList<ScoreHistoryTable::Entry>> added;
    if (upTo)
        added = history.entries(mFilter, mReadUpTo);
    if (!added) {
        // Unreadable now: the next change tries the whole history again.
        mError = history.lastError();
        mReadAll = true;
        return;
    }
    mReadUpTo = *upTo;
    std::reverse(added->begin(), added->end());
    prependRows(*added);
}

QString HistoryTableModel::columnName(int column) {
    // In the order of Column.
    static constexpr const char16_t* Names[ColumnCount] = {u"Time",   u"Kind",  u"Num", u"Event",
                                                           u"Before", u"After", u"Who", u"Note"};
    return column >= 0 && column < ColumnCount ? QString::fromUtf16(Names[column]) : QString();
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

QVariant HistoryTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rows().size())
        return {};
    if (role == Qt::DisplayRole)
        return cellText(rows()[index.row()], index.column());
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
