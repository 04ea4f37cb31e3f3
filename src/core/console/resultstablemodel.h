#pragma once

#include "resultsfilter.h"
#include "resultsquery.h"

#include <QAbstractTableModel>

class MeetDatabase;

// The results table of one session, read-only: number, name, the four event
// finals and the all-around. Column 0 and the last two columns are kept empty
// for the grid's layout and are hidden by the view.
class ResultsTableModel : public QAbstractTableModel {
    Q_OBJECT

public:
    static constexpr int ColumnCount = 10;

    explicit ResultsTableModel(MeetDatabase& db, QObject* parent = nullptr);

    // Rereads the table. On failure the table is emptied and error() says why.
    bool show(const ResultsFilter& filter);
    QString error() const { return mQuery.error(); }

    // Column widths in twips (1/1440 inch); 0 for the hidden columns.
    static int columnWidthTwips(int column);
    static bool isHiddenColumn(int column);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    ResultsQuery mQuery;
    QList<ResultLine> mLines;
};
