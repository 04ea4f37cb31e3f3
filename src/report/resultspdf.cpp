#include "resultspdf.h"

#include "printedresults.h"

#include <QBuffer>
#include <QLocale>
#include <QPainter>
#include <QPdfWriter>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int Dpi = 72; // page coordinates in points
constexpr qreal Margin = 36;
constexpr qreal RowHeight = 14;
constexpr qreal ScoreWidth = 54;
constexpr qreal AllAroundWidth = 64;
constexpr qreal PlaceWidth = 32;
constexpr qreal NumWidth = 32;
constexpr qreal GymWidth = 82;
constexpr qreal RowPoints = 8;
constexpr int HeaderTitleLines = 2;

QFont font(qreal points, bool bold = false) {
    QFont f(u"Sans Serif"_s);
    f.setStyleHint(QFont::SansSerif);
    f.setPointSizeF(points);
    f.setBold(bold);
    return f;
}

QString placeText(const std::optional<int>& place) {
    return place ? QString::number(*place) : QString();
}

QString scoreWithPlace(const std::optional<double>& score, const std::optional<int>& place) {
    if (!score)
        return QString();
    const QString text = PrintedResults::scoreText(score);
    return place ? text + u" ("_s + QString::number(*place) + u')' : text;
}

// Lays rows out page after page, with the page's heading on each.
class ResultsPages {
public:
    ResultsPages(QPdfWriter& writer, QPainter& painter, const PrintedResults& printed)
        : mWriter(writer)
        , mPainter(painter)
        , mPrinted(printed) {
        const QRect page = painter.viewport();
        mWidth = page.width() - 2 * Margin;
        mBottom = page.height() - Margin - RowHeight;
    }

    void printSession(const PrintedResults::Session& session) {
        mSession = &session;
        newPage();
        for (const QString& level : session.levels) {
            for (const SessionResults::Group& group : session.results->groups()) {
                if (group.level == level)
                    printGroup(group);
            }
            printTeams(level, session.results->teams(level, mPrinted.countingScores));
        }
        printInquiries(session.inquiries);
    }

private:
    qreal nameWidth() const {
        return mWidth - PlaceWidth - NumWidth - GymWidth - ResultColumns::AllAround * ScoreWidth -
               AllAroundWidth;
    }

    void newPage() {
        if (mPages++ > 0)
            mWriter.newPage();
        mY = Margin;
        mPainter.setPen(Qt::black);
        mPainter.setFont(font(14, true));
        mPainter.drawText(
            QRectF(Margin, mY, mWidth, 20), Qt::AlignLeft,
            mPainter.fontMetrics().elidedText(mPrinted.meetName, Qt::ElideRight, int(mWidth)));
        mY += 20;
        // The session's title keeps clear of the time and page number on its
        // right: a long description wraps onto a second line, and what would
        // not fit there either is cut with an ellipsis.
        mPainter.setFont(font(10));
        const QString stamp = u"Printed "_s +
                              QLocale().toString(mPrinted.printedAt, QLocale::ShortFormat) +
                              u"   Page "_s + QString::number(mPages);
        mPainter.drawText(QRectF(Margin, mY, mWidth, 14), Qt::AlignRight, stamp);
        const qreal titleWidth = mWidth - mPainter.fontMetrics().horizontalAdvance(stamp) - 18;
        for (const QString& line :
             wrapped(PrintedResults::sessionTitle(*mSession), titleWidth, HeaderTitleLines)) {
            mPainter.drawText(QRectF(Margin, mY, titleWidth, 14), Qt::AlignLeft, line);
            mY += 14;
        }
        mY += 2;
        rule(1.0);
        mY += 8;
    }

    // `text` in at most `maxLines` lines of `width` points in the painter's
    // font, broken between words; the last line is elided when the rest does
    // not fit.
    QStringList wrapped(const QString& text, qreal width, int maxLines) const {
        const QFontMetrics metrics = mPainter.fontMetrics();
        QStringList lines;
        QString line;
        const QStringList words = text.split(u' ', Qt::SkipEmptyParts);
        for (qsizetype i = 0; i < words.size(); ++i) {
            const QString longer = line.isEmpty() ? words[i] : line + u' ' + words[i];
            if (line.isEmpty() || metrics.horizontalAdvance(longer) <= width) {
                line = longer;
                continue;
            }
            if (lines.size() == maxLines - 1) {
                line += u' ' + words.mid(i).join(u' ');
                break;
            }
            lines.append(line);
            line = words[i];
        }
        lines.append(metrics.elidedText(line, Qt::ElideRight, int(width)));
        return lines;
    }

    void rule(qreal width) {
        mPainter.setPen(QPen(width < 1 ? Qt::gray : Qt::black, width));
        mPainter.drawLine(QPointF(Margin, mY), QPointF(Margin + mWidth, mY));
        mPainter.setPen(Qt::black);
    }

    // A heading and column captions, on a new page unless they and two rows fit.
    void heading(const QString& title, const QStringList& captions, const QList<qreal>& widths) {
        if (mY + 22 + 3 * RowHeight > mBottom)
            newPage();
        mPainter.setFont(font(11, true));
        mPainter.drawText(QRectF(Margin, mY, mWidth, 18), Qt::AlignLeft | Qt::AlignBottom, title);
        mY += 20;
        row(captions, widths, true);
        mY -= 1;
        rule(0.75);
        mY += 2;
    }

    void row(const QStringList& cells, const QList<qreal>& widths, bool bold = false) {
        mPainter.setFont(font(RowPoints, bold));
        qreal x = Margin;
        for (qsizetype i = 0; i < cells.size(); ++i) {
            // The name and the gym (every cell of a table of texts); numbers go right.
            const bool text = mAllText || i == 2 || i == 3;
            const QRectF cell(x + 2, mY, widths[i] - 4, RowHeight);
            const QString shown =
                mPainter.fontMetrics().elidedText(cells[i], Qt::ElideRight, int(cell.width()));
            mPainter.drawText(cell, Qt::AlignVCenter | (text ? Qt::AlignLeft : Qt::AlignRight),
                              shown);
            x += widths[i];
        }
        mY += RowHeight;
    }

    // A row of a table, after a new page and the table's captions when it does not fit.
    void tableRow(const QString& title, const QStringList& captions, const QList<qreal>& widths,
                  const QStringList& cells) {
        if (mY + RowHeight > mBottom) {
            newPage();
            heading(title + u" (continued)"_s, captions, widths);
        }
        row(cells, widths);
        rule(0.25);
    }

    QList<qreal> widths(qreal name) const {
        QList<qreal> list{PlaceWidth, NumWidth, name, GymWidth};
        for (int column = 0; column < ResultColumns::AllAround; ++column)
            list.append(ScoreWidth);
        list.append(AllAroundWidth);
        return list;
    }

    QStringList captions(const QString& num, const QString& name, const QString& gym) const {
        QStringList list{u"Place"_s, num, name, gym};
        for (int column = 0; column < ResultColumns::Count; ++column)
            list.append(ResultColumns::name(column));
        return list;
    }

    void printGroup(const SessionResults::Group& group) {
        const QString title = PrintedResults::groupTitle(group);
        const QStringList heads = captions(u"Num"_s, u"Gymnast"_s, u"Gym"_s);
        const QList<qreal> columns = widths(nameWidth());
        heading(title, heads, columns);
        for (const GymnastResult& gymnast : group.gymnasts) {
            QStringList cells{placeText(gymnast.places[ResultColumns::AllAround]), gymnast.num,
                              gymnast.name(), gymnast.gym};
            for (int column = 0; column < ResultColumns::Count; ++column)
                cells.append(scoreWithPlace(gymnast.scores[column], gymnast.places[column]));
            tableRow(title, heads, columns, cells);
        }
        mY += 10;
    }

    void printTeams(const QString& level, const QList<TeamResult>& teams) {
        if (teams.isEmpty())
            return;
        SessionResults::Group levelOnly{level, QString(), {}};
        const QString title = u"Team standings - "_s + PrintedResults::groupTitle(levelOnly);
        const QStringList heads = captions(QString(), u"Team"_s, QString());
        const QList<qreal> columns = widths(nameWidth());
        heading(title, heads, columns);
        for (const TeamResult& team : teams) {
            QStringList cells{placeText(team.places[ResultColumns::AllAround]), QString(), team.gym,
                              QString()};
            for (int column = 0; column < ResultColumns::Count; ++column)
                cells.append(scoreWithPlace(team.scores[column], team.places[column]));
            tableRow(title, heads, columns, cells);
        }
        mY += 10;
    }

    // The session's appendix: every inquiry against its scores, open or decided.
    void printInquiries(const QList<ScoreInquiriesTable::Inquiry>& inquiries) {
        if (inquiries.isEmpty())
            return;
        mAllText = true;
        const QString title = u"Appendix: inquiries"_s;
        const QStringList heads{u"Num"_s,      u"Event"_s,   u"Filed by"_s, u"Filed"_s,
                                u"Decision"_s, u"Decided"_s, u"Reason"_s};
        const qreal time = 100;
        const QList<qreal> columns{
            NumWidth + 8, 40, 80, time, 64, time, mWidth - NumWidth - 8 - 40 - 80 - 64 - 2 * time};
        heading(title, heads, columns);
        for (const ScoreInquiriesTable::Inquiry& inquiry : inquiries) {
            tableRow(title, heads, columns,
                     {inquiry.num, inquiry.event, inquiry.filedBy, inquiry.filedAt.left(19),
                      inquiry.isOpen() ? u"Open"_s : inquiry.decision, inquiry.decidedAt.left(19),
                      inquiry.reason});
        }
        mY += 10;
        mAllText = false;
    }

    QPdfWriter& mWriter;
    QPainter& mPainter;
    const PrintedResults& mPrinted;
    const PrintedResults::Session* mSession = nullptr;
    qreal mWidth = 0;
    qreal mBottom = 0;
    qreal mY = 0;
    int mPages = 0;
    bool mAllText = false; // a table of texts: every cell goes left
};

} // namespace

QByteArray ResultsPdf::render(const PrintedResults& printed, QString* error) {
    QByteArray document;
    QBuffer buffer(&document);
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setResolution(Dpi);
        writer.setPageSize(QLocale().measurementSystem() == QLocale::ImperialUSSystem
                               ? QPageSize(QPageSize::Letter)
                               : QPageSize(QPageSize::A4));
        writer.setPageMargins(QMarginsF());
        writer.setTitle(printed.meetName + u" - Results"_s);
        writer.setCreator(u"Tallvane"_s);
        QPainter painter;
        if (!painter.begin(&writer)) {
            if (error)
                *error = u"The PDF could not be started."_s;
            return {};
        }
        ResultsPages pages(writer, painter, printed);
        for (const PrintedResults::Session& session : printed.sessions)
            pages.printSession(session);
        if (!painter.end()) {
            if (error)
                *error = u"The PDF could not be finished."_s;
            return {};
        }
    }
    return document;
}
