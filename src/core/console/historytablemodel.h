#pragma once

#include "db/tables/scorehistorytable.h"
#include "rowlistmodel.h"

#include <QTimer>

class MeetDatabase;
struct MeetChange;

// The score history as the operator reads it: the entries of a filter, newest
// first, with when, what, the final before and after, who and why. It follows
// the meet: each new entry that passes the filter appears at the top as soon
// as its change is committed.
class HistoryTableModel : public RowListModel<ScoreHistoryTable::Entry> {
    Q_OBJECT

public:
    enum Column {
        TimeColumn,
        KindColumn,
        NumColumn,
        EventColumn,
        BeforeColumn,
        AfterColumn,
        SourceColumn,
        NoteColumn,
        ColumnCount
    };

    explicit HistoryTableModel(MeetDatabase& db, QObject* parent = nullptr);

    // Rereads the entries of `filter`; false (and the table emptied) when the
    // meet file cannot be read, with error() saying why.
    bool show(const ScoreHistoryTable::Filter& filter);
    QString error() const { return mError; }
    const ScoreHistoryTable::Filter& filter() const { return mFilter; }
    // The entries shown, newest first.
    const QList<ScoreHistoryTable::Entry>& entries() const { return rows(); }

    // The text of a cell, as the table and the printed history show it.
    static QString cellText(const ScoreHistoryTable::Entry& entry, int column);
    static QString columnName(int column);

    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    void meetChanged(const MeetChange& change);
    // Adds the entries made since the last read at the top; the history is
    // only ever appended to, so nothing read before changes.
    void readNewEntries();

    MeetDatabase& mDb;
    ScoreHistoryTable::Filter mFilter;
    QString mError;
    bool mShowing = false;
    bool mReadAll = false; // the whole meet changed, or the last read failed
    qint64 mReadUpTo = 0;  // the newest entry when the history was last read
    QTimer mRefresh;       // one read for the entries of one commit
};
