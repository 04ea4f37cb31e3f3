#pragma once

#include "shell/papersize.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

class QPainter;
class QPdfWriter;

// One column of a printed table: its caption, its width in points and how
// its cells sit (numbers go right, names left).
struct PrintedColumn {
    QString caption;
    qreal width = 0;
    Qt::Alignment align = Qt::AlignLeft;
};

// The pages of a printed document (results, start lists, awards, judge
// sheets) as PDF, laid out the same way: on every page the meet's name and
// the document's name, the session, the time of printing and the page number,
// then tables that carry on over as many pages as they need, their captions
// repeated. Black text and grey rules only, so they copy well in black and
// white. Coordinates are points from the page's top left corner.
class PrintedPages {
public:
    static constexpr qreal Margin = 36;
    static constexpr qreal RowHeight = 14;

    struct Document {
        QString meetName;
        QString name; // "Results", "Start List" ...
        QDateTime printedAt;
        PaperSize::Size paper = PaperSize::Size::A4;
    };

    // The PDF whose pages `draw` lays out; empty, with the reason in `error`,
    // when it could not be made.
    static QByteArray render(const Document& document,
                             const std::function<void(PrintedPages&)>& draw,
                             QString* error = nullptr);

    // The width between the margins.
    qreal width() const { return mWidth; }
    // The top of what is drawn next.
    qreal y() const { return mY; }
    void skip(qreal points) { mY += points; }
    // True when `height` more points fit above the bottom margin.
    bool fits(qreal height) const { return mY + height <= mBottom; }
    QPainter& painter() { return mPainter; }

    // A new page headed with `title` (the session), which later pages that a
    // table runs onto carry as well.
    void startPage(const QString& title);
    // A table's heading and captions, on a new page unless they and `rows`
    // rows fit.
    void heading(const QString& title, const QList<PrintedColumn>& columns, int rows = 2);
    // A new page under the same title.
    void newPage() { startPage(mTitle); }
    // A row of a table; on a new page, after the heading marked "(continued)",
    // when it does not fit.
    void tableRow(const QString& title, const QList<PrintedColumn>& columns,
                  const QStringList& cells);
    // A row whose cells from column `firstBox` on are empty boxes, to be
    // filled in by hand.
    void boxRow(const QString& title, const QList<PrintedColumn>& columns, const QStringList& cells,
                qsizetype firstBox, qreal height);
    // One line of text across the page.
    void line(const QString& text, qreal points, bool bold = false);
    // A rule across the page: black from a width of 1 point, else grey.
    void rule(qreal width);

private:
    PrintedPages(QPdfWriter& writer, QPainter& painter, const Document& document);
    void drawHeader();
    void row(const QList<PrintedColumn>& columns, const QStringList& cells, bool bold, qreal height,
             qsizetype firstBox = -1);
    QStringList wrapped(const QString& text, qreal width, int maxLines) const;

    QPdfWriter& mWriter;
    QPainter& mPainter;
    const Document& mDocument;
    QString mTitle;
    qreal mWidth = 0;
    qreal mBottom = 0;
    qreal mY = 0;
    int mPages = 0;
};
