#pragma once

#include "console/resultsfilter.h"
#include "console/rowlistmodel.h"
#include "gymnastresult.h"

class MeetDatabase;

// The results table of one session, read-only: number, name, the four event
// finals and the all-around, read from the session's results as the web pages
// and printed results have them, narrowed and ordered by the filter. Column 0
// and the last two columns are kept empty for the grid's layout and are hidden
// by the view.
class ResultsTableModel : public RowListModel<GymnastResult> {
    Q_OBJECT

public:
    static constexpr int ColumnCount = 10;

    explicit ResultsTableModel(MeetDatabase& db, QObject* parent = nullptr);

    // Rereads the table. On failure (the meet file cannot be read, the age
    // division is gone or needs a meet start date the meet lacks) the table is
    // emptied and error() says why.
    bool show(const ResultsFilter& filter);
    QString error() const { return mError; }

    // Column widths in twips (1/1440 inch); 0 for the hidden columns.
    static int columnWidthTwips(int column);
    static bool isHiddenColumn(int column);

    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    bool read(const ResultsFilter& filter, QList<GymnastResult>& lines);

    MeetDatabase& mDb;
    QString mError;
};
