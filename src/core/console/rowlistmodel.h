#pragma once

#include <QAbstractTableModel>
#include <QList>

// A table of rows taken whole from their owner each time it changes, with a
// fixed number of columns: a new count of rows resets the view, the same
// count repaints every cell (and keeps the view's selection and scrolling).
// Rows read afresh for a new question reset the view whatever their count;
// a list that only grows at its top takes its new rows there alone.
template <typename Row>
class RowListModel : public QAbstractTableModel {
public:
    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : int(mRows.size());
    }
    int columnCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : mColumns;
    }

protected:
    RowListModel(int columns, QList<Row> rows, QObject* parent)
        : QAbstractTableModel(parent)
        , mColumns(columns)
        , mRows(std::move(rows)) {}

    void takeRows(QList<Row> rows) {
        if (rows.size() != mRows.size()) {
            beginResetModel();
            mRows = std::move(rows);
            endResetModel();
            return;
        }
        mRows = std::move(rows);
        if (!mRows.isEmpty())
            Q_EMIT dataChanged(index(0, 0), index(int(mRows.size()) - 1, mColumns - 1));
    }

    void resetRows(QList<Row> rows) {
        beginResetModel();
        mRows = std::move(rows);
        endResetModel();
    }

    // New rows before the others: the view keeps its selection and place.
    void prependRows(const QList<Row>& rows) {
        if (rows.isEmpty())
            return;
        beginInsertRows({}, 0, int(rows.size()) - 1);
        // One by one from the last: a list keeps room at its front, so the
        // rows already there are not copied.
        for (auto row = rows.crbegin(); row != rows.crend(); ++row)
            mRows.prepend(*row);
        endInsertRows();
    }

    const QList<Row>& rows() const { return mRows; }

private:
    int mColumns;
    QList<Row> mRows;
};
