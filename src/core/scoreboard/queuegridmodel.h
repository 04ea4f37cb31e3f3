#pragma once

#include "queueentry.h"

#include <QAbstractTableModel>
#include <QList>
#include <QSet>

// The queue grid: the waiting scores in queue-key order (ties keep their
// arrival order). An empty queue shows one row of empty cells. CorrectedRole
// and HeldRole tell a corrected and a held score's row (the window paints
// them); a held score's status reads "Held", one under inquiry "Under inquiry".
class QueueGridModel : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Column {
        KeyColumn,
        NumColumn,
        NameColumn,
        EventColumn,
        ScoreColumn,
        RecvTimeColumn,
        SecondsColumn,
        StatusColumn,
        CorrectedColumn,
        SpareColumn,
        ColumnCount
    };
    enum Role { CorrectedRole = Qt::UserRole + 1, RowIdRole, HeldRole };

    using QAbstractTableModel::QAbstractTableModel;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    // Columns the grid keeps but does not show, and the shown widths in twips.
    static bool isHiddenColumn(int column);
    static int columnWidthTwips(int column); // 0 for hidden columns, -1 for the default width

    bool hasScores() const { return !mEntries.isEmpty(); }
    int scoreCount() const { return int(mEntries.size()); }
    const QList<QueueEntry>& entries() const { return mEntries; }
    // The score shown in `row`, or nullptr for the empty row / out of range.
    const QueueEntry* entryAt(int row) const;

    // The first row holding this gymnast's score for this event; -1 when none.
    int findRow(const QString& num, const QString& event) const;
    int rowOf(qint64 rowId) const;

    // Shows a score, or replaces the one with the same row id, at its place in
    // queue order.
    void showEntry(const QueueEntry& entry);
    // Takes one row out; the grid keeps its empty row when the last goes.
    void removeAt(int row);
    void removeRowId(qint64 rowId);
    void setEntries(QList<QueueEntry> entries);

private:
    int insertionRow(const QString& key) const;
    void insertAt(int row, const QueueEntry& entry);
    QString cellText(const QueueEntry& entry, int column) const;

    QList<QueueEntry> mEntries;
    // The rowIds of mEntries: most look-ups are of rows the grid does not
    // hold (a new score), answered here without a walk through the queue.
    QSet<qint64> mRowIds;
};
