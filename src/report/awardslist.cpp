#include "awardslist.h"

#include "csvtext.h"
#include "printedpages.h"
#include "printedresults.h"

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr qreal PlaceWidth = 40;
constexpr qreal NumWidth = 40;
constexpr qreal GymWidth = 140;
constexpr qreal ScoreWidth = 60;

} // namespace

AwardsList::AwardsList(const PrintedResults& printed, int places)
    : mPrinted(printed) {
    for (const PrintedResults::Session& session : printed.sessions) {
        for (const QString& level : session.levels) {
            for (const SessionResults::Group& group : session.results->groups()) {
                if (group.level != level)
                    continue;
                Group awarded{session.id,
                              PrintedResults::sessionTitle(session),
                              PrintedResults::groupTitle(group),
                              group.level,
                              group.division,
                              {}};
                for (int column = 0; column < ResultColumns::Count; ++column) {
                    Event event{ResultColumns::name(column), {}};
                    for (const GymnastResult& gymnast : group.gymnasts) {
                        const std::optional<int>& place = gymnast.places[column];
                        if (place && *place <= places)
                            event.awards.append({*place, gymnast, *gymnast.scores[column]});
                    }
                    // The announcer calls the last place first and the winner last;
                    // those sharing a place are called together, by number.
                    std::stable_sort(
                        event.awards.begin(), event.awards.end(),
                        [](const Award& a, const Award& b) { return a.place > b.place; });
                    awarded.events.append(event);
                }
                mGroups.append(awarded);
            }
        }
    }
}

QByteArray AwardsList::pdf(QString* error) const {
    const auto draw = [this](PrintedPages& pages) {
        const qreal nameWidth = pages.width() - PlaceWidth - NumWidth - GymWidth - ScoreWidth;
        const QList<PrintedColumn> columns{{u"Place"_s, PlaceWidth, Qt::AlignRight},
                                           {u"Num"_s, NumWidth, Qt::AlignRight},
                                           {u"Gymnast"_s, nameWidth, Qt::AlignLeft},
                                           {u"Gym"_s, GymWidth, Qt::AlignLeft},
                                           {u"Score"_s, ScoreWidth, Qt::AlignRight}};
        std::optional<QString> session;
        for (const Group& group : mGroups) {
            if (group.sessionId != session) {
                session = group.sessionId;
                pages.startPage(group.sessionTitle);
            }
            for (const Event& event : group.events) {
                const QString title = group.title + u" - "_s + event.name;
                pages.heading(title, columns, int(event.awards.size()));
                for (const Award& award : event.awards)
                    pages.tableRow(title, columns,
                                   {QString::number(award.place), award.gymnast.num,
                                    award.gymnast.name(), award.gymnast.gym,
                                    PrintedResults::scoreText(award.score)});
                if (event.awards.isEmpty())
                    pages.line(u"No places yet."_s, 8);
                pages.skip(8);
            }
        }
        if (mGroups.isEmpty()) {
            pages.startPage(mPrinted.sessions.size() == 1
                                ? PrintedResults::sessionTitle(mPrinted.sessions.constFirst())
                                : QString());
            pages.line(u"No gymnasts compete."_s, 10);
        }
    };
    return PrintedPages::render(
        {mPrinted.meetName, u"Awards"_s, mPrinted.printedAt, mPrinted.paper}, draw, error);
}

QByteArray AwardsList::csv() const {
    CsvText table;
    table.addRow({u"Session"_s, u"Level"_s, u"Division"_s, u"Event"_s, u"Place"_s, u"Num"_s,
                  u"Name"_s, u"Gym"_s, u"Score"_s});
    for (const Group& group : mGroups) {
        for (const Event& event : group.events) {
            for (const Award& award : event.awards)
                table.addRow({group.sessionId, group.level, group.division, event.name,
                              QString::number(award.place), award.gymnast.num, award.gymnast.name(),
                              award.gymnast.gym, PrintedResults::scoreText(award.score)});
        }
    }
    return table.toUtf8();
}
