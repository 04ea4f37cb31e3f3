#pragma once

#include <QAbstractTableModel>
#include <QList>

// A table of rows taken whole from their owner each time it changes, with a
// fixed number of columns: a new count of rows resets the view, the same
// count repaints every cell (and keeps the view's selection and scrolling).
// Rows read afresh for a new question reset the view whatever their count.
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

    const QList<Row>& rows() const { return mRows; }

private:
    int mColumns;
    QList<Row> mRows;
};
