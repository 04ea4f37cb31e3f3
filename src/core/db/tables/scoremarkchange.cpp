#include "scoremarkchange.h"

#include "db/meetchanges.h"
#include "db/meetdatabase.h"

using namespace Qt::Literals::StringLiterals;

void recordScoreMarkChange(MeetDatabase& db, const QString& table, const QString& num,
                           const QString& event) {
    const DbRows session =
        db.select(u"SELECT Session FROM Gymnasts WHERE Num = ? LIMIT 1"_s, {num});
    QStringList sessions;
    if (session.ok() && !session.isEmpty())
        sessions.append(session.text(0, u"Session"_s));
    db.changes().record({table, {num + u'/' + event}, num, {}, sessions, true});
}
