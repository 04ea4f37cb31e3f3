#include "historypdf.h"

#include "console/historytablemodel.h"
#include "db/tables/meetstable.h"
#include "printedpages.h"

using namespace Qt::Literals::StringLiterals;

namespace {

// The share of the line each column takes, in HistoryTableModel's order.
constexpr qreal Widths[] = {0.21, 0.11, 0.06, 0.07, 0.07, 0.07, 0.22, 0.19};
static_assert(std::size(Widths) == HistoryTableModel::ColumnCount);

} // namespace

QByteArray HistoryPdf::render(MeetDatabase& db, const QString& title,
                              const QList<ScoreHistoryTable::Entry>& entries, QString* error) {
    MeetsTable meets(db);
    const std::optional<QString> meetName = meets.meetName();
    if (!meetName) {
        *error = meets.lastError();
        return {};
    }
    const PrintedPages::Document document{*meetName, u"Score History"_s,
                                          QDateTime::currentDateTime(), PaperSize::current()};
    return PrintedPages::render(
        document,
        [&](PrintedPages& pages) {
            QList<PrintedColumn> columns;
            for (int column = 0; column < HistoryTableModel::ColumnCount; ++column)
                columns.append({HistoryTableModel::columnName(column),
                                Widths[column] * pages.width(), Qt::AlignLeft});
            const QString table = u"Changes, newest first"_s;
            pages.startPage(title);
            pages.heading(table, columns);
            if (entries.isEmpty())
                pages.line(u"No changes recorded."_s, 9);
            for (const ScoreHistoryTable::Entry& entry : entries) {
                QStringList cells;
                for (int column = 0; column < HistoryTableModel::ColumnCount; ++column)
                    cells.append(HistoryTableModel::cellText(entry, column));
                pages.tableRow(table, columns, cells);
            }
        },
        error);
}
