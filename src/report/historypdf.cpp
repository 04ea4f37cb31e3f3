#include "historypdf.h"

#include "console/historytablemodel.h"

#include <QBuffer>
#include <QLocale>
#include <QPainter>
#include <QPdfWriter>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int Dpi = 72; // page coordinates in points
constexpr qreal Margin = 36;
constexpr qreal RowHeight = 13;
// The share of the line each column takes, in HistoryTableModel's order.
constexpr qreal Widths[] = {0.15, 0.08, 0.05, 0.06, 0.06, 0.06, 0.30, 0.24};

QFont font(qreal points, bool bold = false) {
    QFont f(u"Sans Serif"_s);
    f.setStyleHint(QFont::SansSerif);
    f.setPointSizeF(points);
    f.setBold(bold);
    return f;
}

void drawLine(QPainter& painter, qreal y, qreal width, const QStringList& cells) {
    qreal x = Margin;
    for (int column = 0; column < cells.size(); ++column) {
        const qreal cellWidth = Widths[column] * width;
        const QRectF cell(x, y, cellWidth - 4, RowHeight);
        painter.drawText(
            cell, Qt::AlignLeft | Qt::AlignVCenter,
            painter.fontMetrics().elidedText(cells[column], Qt::ElideRight, int(cell.width())));
        x += cellWidth;
    }
}

} // namespace

QByteArray HistoryPdf::render(const QString& title, const QList<ScoreHistoryTable::Entry>& entries,
                              QString* error) {
    QByteArray document;
    QBuffer buffer(&document);
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setResolution(Dpi);
        writer.setPageSize(QLocale().measurementSystem() == QLocale::ImperialUSSystem
                               ? QPageSize(QPageSize::Letter)
                               : QPageSize(QPageSize::A4));
        writer.setPageOrientation(QPageLayout::Landscape);
        writer.setPageMargins(QMarginsF());
        writer.setTitle(title);
        writer.setCreator(u"Tallvane"_s);
        QPainter painter;
        if (!painter.begin(&writer)) {
            *error = u"The PDF could not be started."_s;
            return {};
        }
        const QRect page = painter.viewport();
        const qreal width = page.width() - 2 * Margin;
        const qreal bottom = page.height() - Margin - RowHeight;
        QStringList header;
        for (int column = 0; column < HistoryTableModel::ColumnCount; ++column)
            header.append(HistoryTableModel::columnName(column));
        qreal y = bottom; // a page starts with the first line
        int pageNumber = 0;
        const auto startPage = [&] {
            if (pageNumber > 0)
                writer.newPage();
            ++pageNumber;
            y = Margin;
            painter.setFont(font(12, true));
            painter.drawText(QRectF(Margin, y, width, 18), Qt::AlignLeft | Qt::AlignVCenter,
                             title +
                                 (pageNumber > 1 ? u" (page %1)"_s.arg(pageNumber) : QString()));
            y += 24;
            painter.setFont(font(8, true));
            drawLine(painter, y, width, header);
            y += RowHeight;
            painter.setFont(font(8));
        };
        startPage();
        if (entries.isEmpty())
            painter.drawText(QRectF(Margin, y, width, RowHeight), Qt::AlignLeft | Qt::AlignVCenter,
                             u"No changes recorded."_s);
        for (const ScoreHistoryTable::Entry& entry : entries) {
            if (y > bottom)
                startPage();
            QStringList cells;
            for (int column = 0; column < HistoryTableModel::ColumnCount; ++column)
                cells.append(HistoryTableModel::cellText(entry, column));
            drawLine(painter, y, width, cells);
            y += RowHeight;
        }
        if (!painter.end()) {
            *error = u"The PDF could not be finished."_s;
            return {};
        }
    }
    return document;
}
