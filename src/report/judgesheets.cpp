#include "judgesheets.h"

#include "db/tables/meetstable.h"
#include "printedpages.h"
#include "printedresults.h"
#include "runningorder.h"

#include <QPainter>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr qreal OrderWidth = 34;
constexpr qreal NumWidth = 36;
constexpr qreal LeastNameWidth = 90;
constexpr qreal MostBoxWidth = 62;
constexpr qreal BoxRowHeight = 24; // room for a score written by hand
constexpr qreal SignatureHeight = 30;
constexpr int MostJudges = 7; // a panel's scores S1 ... S7
constexpr int UsualJudges = 4;

QList<PrintedColumn> columns(qreal width, int judges) {
    QStringList boxes;
    for (int judge = 1; judge <= judges; ++judge)
        boxes.append(u"Judge "_s + QString::number(judge));
    boxes << u"Start Value"_s << u"Adjustment"_s << u"Final"_s;
    const qreal boxWidth =
        std::min(MostBoxWidth, (width - OrderWidth - NumWidth - LeastNameWidth) / boxes.size());
    QList<PrintedColumn> list{
        {u"Order"_s, OrderWidth, Qt::AlignRight},
        {u"Num"_s, NumWidth, Qt::AlignRight},
        {u"Gymnast"_s, width - OrderWidth - NumWidth - boxWidth * boxes.size(), Qt::AlignLeft}};
    for (const QString& box : boxes)
        list.append({box, boxWidth, Qt::AlignHCenter});
    return list;
}

void signatures(PrintedPages& pages, int judges) {
    if (!pages.fits(judges * SignatureHeight + 10))
        pages.newPage();
    pages.skip(10);
    QPainter& painter = pages.painter();
    for (int judge = 1; judge <= judges; ++judge) {
        pages.skip(SignatureHeight);
        const qreal x = PrintedPages::Margin;
        painter.drawText(QRectF(x, pages.y() - 14, 120, 14), Qt::AlignLeft | Qt::AlignBottom,
                         u"Judge %1 signature"_s.arg(judge));
        painter.drawLine(QPointF(x + 120, pages.y()), QPointF(x + pages.width() * 0.7, pages.y()));
    }
}

} // namespace

namespace JudgeSheets {

QByteArray pdf(const PrintedResults& printed, const QStringList& events, int judges,
               QString* error) {
    const auto draw = [&](PrintedPages& pages) {
        const QList<PrintedColumn> table = columns(pages.width(), judges);
        bool any = false;
        for (const PrintedResults::Session& session : printed.sessions) {
            const QList<RunningOrder::Squad> squads = RunningOrder::squads(*session.results);
            for (const QString& event : events) {
                for (const RunningOrder::Squad& squad : squads) {
                    any = true;
                    pages.startPage(PrintedResults::sessionTitle(session));
                    const QString title = event + u" - "_s + RunningOrder::squadTitle(squad);
                    pages.heading(title, table);
                    for (const GymnastResult& gymnast : squad.gymnasts) {
                        const QStringList cells{gymnast.order.isNull() ? QString()
                                                                       : gymnast.order.toString(),
                                                gymnast.num, gymnast.name()};
                        pages.boxRow(title, table, cells, cells.size(), BoxRowHeight);
                    }
                    signatures(pages, judges);
                }
            }
        }
        if (!any) {
            pages.startPage(QString());
            pages.line(u"No gymnasts compete."_s, 10);
        }
    };
    return PrintedPages::render(
        {printed.meetName, u"Judge Sheet"_s, printed.printedAt, printed.paper}, draw, error);
}

std::optional<int> panelSize(MeetDatabase& db, QString* error) {
    MeetsTable meets(db);
    const auto header = meets.header();
    if (!header) {
        if (error)
            *error = meets.lastError();
        return std::nullopt;
    }
    const int stored = *header ? (*header)->numJudges.toInt() : 0;
    return stored > 0 ? std::min(stored, MostJudges) : UsualJudges;
}

} // namespace JudgeSheets
