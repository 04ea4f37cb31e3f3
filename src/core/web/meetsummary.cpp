#include "meetsummary.h"

#include "db/meetdatabase.h"
#include "db/meetevents.h"
#include "shell/scorerange.h"

#include <QJsonArray>

using namespace Qt::Literals::StringLiterals;

QJsonObject meetSummary(MeetDatabase& db, int judgeCount) {
    QJsonObject summary;
    const DbRows meet = db.select(u"SELECT [Name] FROM Meets LIMIT 1"_s);
    summary.insert(u"name"_s, meet.count() > 0 ? meet.text(0, u"Name"_s) : QString());
    summary.insert(u"judgeCount"_s, judgeCount);
    // The pads refuse to send a score outside 0 ... maxScore.
    summary.insert(u"maxScore"_s, ScoreRange::ofMeet(db).maximum());
    summary.insert(u"events"_s, QJsonArray::fromStringList(MeetEvents::names()));
    QJsonObject squads;
    const DbRows rows =
        db.select(u"SELECT DISTINCT [Session], Squad FROM Gymnasts "
                  "WHERE scratched = 0 AND Squad <> '' ORDER BY [Session], Squad"_s);
    for (int row = 0; row < rows.count(); ++row) {
        const QString session = rows.text(row, u"Session"_s);
        QJsonArray list = squads.value(session).toArray();
        list.append(rows.text(row, u"Squad"_s));
        squads.insert(session, list);
    }
    summary.insert(u"squads"_s, squads);
    return summary;
}
