#include "meetsummary.h"

#include "db/meetevents.h"
#include "db/tables/gymnaststable.h"
#include "db/tables/meetstable.h"
#include "shell/scorerange.h"

#include <QJsonArray>

using namespace Qt::Literals::StringLiterals;

QJsonObject meetSummary(MeetDatabase& db, int judgeCount) {
    QJsonObject summary;
    summary.insert(u"name"_s, MeetsTable(db).meetName().value_or(QString()));
    summary.insert(u"judgeCount"_s, judgeCount);
    // The pads refuse to send a score outside 0 ... maxScore.
    summary.insert(u"maxScore"_s, ScoreRange::ofMeet(db).maximum());
    summary.insert(u"events"_s, QJsonArray::fromStringList(MeetEvents::names()));
    QJsonObject squads;
    const auto sessionSquads = GymnastsTable(db).sessionSquads();
    for (const auto& [session, squad] :
         sessionSquads.value_or(QList<std::pair<QString, QString>>())) {
        QJsonArray list = squads.value(session).toArray();
        list.append(squad);
        squads.insert(session, list);
    }
    summary.insert(u"squads"_s, squads);
    return summary;
}
