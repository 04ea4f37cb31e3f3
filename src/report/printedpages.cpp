#include "printedpages.h"

#include <QBuffer>
#include <QLocale>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int Dpi = 72; // page coordinates in points
constexpr int HeaderTitleLines = 2;
constexpr qreal RowPoints = 8;

QFont font(qreal points, bool bold = false) {
    QFont f(u"Sans Serif"_s);
    f.setStyleHint(QFont::SansSerif);
    f.setPointSizeF(points);
    f.setBold(bold);
    return f;
}

bool failWith(QString* error, const QString& text) {
    if (error)
        *error = text;
    return false;
}

} // namespace

QByteArray PrintedPages::render(const Document& document,
                                const std::function<void(PrintedPages&)>& draw, QString* error) {
    QByteArray pdf;
    QBuffer buffer(&pdf);
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setResolution(Dpi);
        writer.setPageSize(QPageSize(document.paper == PaperSize::Size::Letter ? QPageSize::Letter
                                                                               : QPageSize::A4));
        writer.setPageMargins(QMarginsF());
        writer.setTitle(document.meetName + u" - "_s + document.name);
        writer.setCreator(u"Tallvane"_s);
        QPainter painter;
        if (!painter.begin(&writer)) {
            failWith(error, u"The PDF could not be started."_s);
            return {};
        }
        PrintedPages pages(writer, painter, document);
        draw(pages);
        if (!painter.end()) {
            failWith(error, u"The PDF could not be finished."_s);
            return {};
        }
    }
    return pdf;
}

PrintedPages::PrintedPages(QPdfWriter& writer, QPainter& painter, const Document& document)
    : mWriter(writer)
    , mPainter(painter)
    , mDocument(document) {
    const QRect page = painter.viewport();
    mWidth = page.width() - 2 * Margin;
    mBottom = page.height() - Margin - RowHeight;
}

void PrintedPages::startPage(const QString& title) {
    mTitle = title;
    if (mPages++ > 0)
        mWriter.newPage();
    drawHeader();
}

void PrintedPages::drawHeader() {
    mY = Margin;
    mPainter.setPen(Qt::black);
    // The meet's name, and the document's on the right.
    mPainter.setFont(font(14, true));
    const qreal nameWidth = mPainter.fontMetrics().horizontalAdvance(mDocument.name);
    mPainter.drawText(QRectF(Margin, mY, mWidth, 20), Qt::AlignRight, mDocument.name);
    const qreal meetWidth = mWidth - nameWidth - 18;
    mPainter.drawText(
        QRectF(Margin, mY, meetWidth, 20), Qt::AlignLeft,
        mPainter.fontMetrics().elidedText(mDocument.meetName, Qt::ElideRight, int(meetWidth)));
    mY += 20;
    // The session's title keeps clear of the time and page number on its
    // right: a long description wraps onto a second line, and what would
    // not fit there either is cut with an ellipsis.
    mPainter.setFont(font(10));
    const QString stamp = u"Printed "_s +
                          QLocale().toString(mDocument.printedAt, QLocale::ShortFormat) +
                          u"   Page "_s + QString::number(mPages);
    mPainter.drawText(QRectF(Margin, mY, mWidth, 14), Qt::AlignRight, stamp);
    const qreal titleWidth = mWidth - mPainter.fontMetrics().horizontalAdvance(stamp) - 18;
    for (const QString& text : wrapped(mTitle, titleWidth, HeaderTitleLines)) {
        mPainter.drawText(QRectF(Margin, mY, titleWidth, 14), Qt::AlignLeft, text);
        mY += 14;
    }
    mY += 2;
    rule(1.0);
    mY += 8;
}

// `text` in at most `maxLines` lines of `width` points in the painter's
// font, broken between words; the last line is elided when the rest does
// not fit.
QStringList PrintedPages::wrapped(const QString& text, qreal width, int maxLines) const {
    const QFontMetrics metrics = mPainter.fontMetrics();
    QStringList lines;
    QString current;
    const QStringList words = text.split(u' ', Qt::SkipEmptyParts);
    for (qsizetype i = 0; i < words.size(); ++i) {
        const QString longer = current.isEmpty() ? words[i] : current + u' ' + words[i];
        if (current.isEmpty() || metrics.horizontalAdvance(longer) <= width) {
            current = longer;
            continue;
        }
        if (lines.size() == maxLines - 1) {
            current += u' ' + words.mid(i).join(u' ');
            break;
        }
        lines.append(current);
        current = words[i];
    }
    lines.append(metrics.elidedText(current, Qt::ElideRight, int(width)));
    return lines;
}

void PrintedPages::rule(qreal width) {
    mPainter.setPen(QPen(width < 1 ? Qt::gray : Qt::black, width));
    mPainter.drawLine(QPointF(Margin, mY), QPointF(Margin + mWidth, mY));
    mPainter.setPen(Qt::black);
}

void PrintedPages::line(const QString& text, qreal points, bool bold) {
    mPainter.setFont(font(points, bold));
    const qreal height = mPainter.fontMetrics().height() + 4;
    if (!fits(height))
        newPage();
    mPainter.drawText(QRectF(Margin, mY, mWidth, height), Qt::AlignLeft | Qt::AlignBottom,
                      mPainter.fontMetrics().elidedText(text, Qt::ElideRight, int(mWidth)));
    mY += height;
}

void PrintedPages::heading(const QString& title, const QList<PrintedColumn>& columns, int rows) {
    if (!fits(22 + (rows + 1) * RowHeight))
        newPage();
    mPainter.setFont(font(11, true));
    mPainter.drawText(QRectF(Margin, mY, mWidth, 18), Qt::AlignLeft | Qt::AlignBottom, title);
    mY += 20;
    QStringList captions;
    for (const PrintedColumn& column : columns)
        captions.append(column.caption);
    row(columns, captions, true, RowHeight);
    mY -= 1;
    rule(0.75);
    mY += 2;
}

void PrintedPages::tableRow(const QString& title, const QList<PrintedColumn>& columns,
                            const QStringList& cells) {
    if (!fits(RowHeight)) {
        newPage();
        heading(title + u" (continued)"_s, columns);
    }
    row(columns, cells, false, RowHeight);
    rule(0.25);
}

void PrintedPages::boxRow(const QString& title, const QList<PrintedColumn>& columns,
                          const QStringList& cells, qsizetype firstBox, qreal height) {
    if (!fits(height)) {
        newPage();
        heading(title + u" (continued)"_s, columns);
    }
    row(columns, cells, false, height, firstBox);
}

void PrintedPages::row(const QList<PrintedColumn>& columns, const QStringList& cells, bool bold,
                       qreal height, qsizetype firstBox) {
    mPainter.setFont(font(RowPoints, bold));
    qreal x = Margin;
    for (qsizetype i = 0; i < columns.size(); ++i) {
        const QRectF cell(x + 2, mY, columns[i].width - 4, height);
        if (firstBox >= 0 && i >= firstBox) {
            mPainter.setPen(QPen(Qt::black, 0.75));
            mPainter.drawRect(cell.adjusted(0, 2, 0, -2));
            mPainter.setPen(Qt::black);
        } else if (i < cells.size()) {
            const QString shown =
                mPainter.fontMetrics().elidedText(cells[i], Qt::ElideRight, int(cell.width()));
            mPainter.drawText(cell, Qt::AlignVCenter | columns[i].align, shown);
        }
        x += columns[i].width;
    }
    mY += height;
}
