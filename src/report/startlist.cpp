#include "startlist.h"

#include "csvtext.h"
#include "printedpages.h"
#include "printedresults.h"
#include "runningorder.h"

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr qreal OrderWidth = 40;
constexpr qreal NumWidth = 40;
constexpr qreal GymWidth = 120;
constexpr qreal LevelWidth = 60;
constexpr qreal DivisionWidth = 90;

QString orderText(const GymnastResult& gymnast) {
    return gymnast.order.isNull() ? QString() : gymnast.order.toString();
}

} // namespace

namespace StartList {

QByteArray pdf(const PrintedResults& printed, QString* error) {
    const auto draw = [&printed](PrintedPages& pages) {
        const qreal nameWidth =
            pages.width() - OrderWidth - NumWidth - GymWidth - LevelWidth - DivisionWidth;
        const QList<PrintedColumn> columns{{u"Order"_s, OrderWidth, Qt::AlignRight},
                                           {u"Num"_s, NumWidth, Qt::AlignRight},
                                           {u"Gymnast"_s, nameWidth, Qt::AlignLeft},
                                           {u"Gym"_s, GymWidth, Qt::AlignLeft},
                                           {u"Level"_s, LevelWidth, Qt::AlignLeft},
                                           {u"Division"_s, DivisionWidth, Qt::AlignLeft}};
        for (const PrintedResults::Session& session : printed.sessions) {
            pages.startPage(PrintedResults::sessionTitle(session));
            const QList<RunningOrder::Squad> squads = RunningOrder::squads(*session.results);
            if (squads.isEmpty())
                pages.line(u"No gymnasts compete in this session."_s, 10);
            for (const RunningOrder::Squad& squad : squads) {
                const QString title = RunningOrder::squadTitle(squad);
                pages.heading(title, columns);
                for (const GymnastResult& gymnast : squad.gymnasts)
                    pages.tableRow(title, columns,
                                   {orderText(gymnast), gymnast.num, gymnast.name(), gymnast.gym,
                                    gymnast.level, gymnast.division});
                pages.skip(10);
            }
        }
    };
    return PrintedPages::render(
        {printed.meetName, u"Start List"_s, printed.printedAt, printed.paper}, draw, error);
}

QByteArray csv(const PrintedResults& printed) {
    CsvText table;
    table.addRow({u"Session"_s, u"Squad"_s, u"Order"_s, u"Num"_s, u"Name"_s, u"Gym"_s, u"Level"_s,
                  u"Division"_s});
    for (const PrintedResults::Session& session : printed.sessions) {
        for (const RunningOrder::Squad& squad : RunningOrder::squads(*session.results)) {
            for (const GymnastResult& gymnast : squad.gymnasts)
                table.addRow({session.id, squad.name, orderText(gymnast), gymnast.num,
                              gymnast.name(), gymnast.gym, gymnast.level, gymnast.division});
        }
    }
    return table.toUtf8();
}

} // namespace StartList
