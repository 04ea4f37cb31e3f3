#include "scoreload.h"

#include "db/dbtransaction.h"
#include "db/meetdatabase.h"
#include "firstrow.h"

using namespace Qt::Literals::StringLiterals;

namespace ScoreLoad {

QString finalFor(int num, const QString& event) {
    const int thousandths = 7000 + (num * 37 + (Events.indexOf(event) + 1) * 611) % 3000;
    return QString::number(thousandths / 1000.0, 'f', 3);
}

QString sendScore(int num, const QString& event) {
    const QString final = finalFor(num, event);
    // Judges 1 to 4 (two scored), 5 to 7, start, adjustment, B score, final;
    // Vault's second vault; the test flag.
    return u"SENDSCORE|%1|2|1|%2|%3|%3||||||10.0|0|0|%3"_s.arg(num).arg(event, final) +
           (event == u"Vault"_s ? u"||||||||||"_s : QString()) + u"|0"_s;
}

bool addGymnasts(MeetDatabase& db, int first, int count) {
    DbTransaction transaction(db);
    for (int num = first; num < first + count; ++num) {
        if (!db.execute(u"INSERT INTO Gymnasts(MeetID, Num, First_Name, Last_Name, Level, "
                        "Session, Gym, Squad, \"Order\") VALUES(1, ?, ?, ?, '4', '1', 1, 'C', ?)"_s,
                        {QString::number(num), u"Runner"_s, u"No. %1"_s.arg(num), num - first + 1}))
            return false;
    }
    return transaction.commit();
}

namespace {
// The first column of each row as the key, the second as its value.
QHash<QString, QString> byKey(MeetDatabase& db, const QString& sql) {
    QHash<QString, QString> found;
    for (const QString& row : allRows(db, sql))
        found.insert(row.section(u'|', 0, 0), row.section(u'|', 1));
    return found;
}
} // namespace

QHash<QString, QString> storedFinals(MeetDatabase& db) {
    QStringList events;
    for (int e = 0; e < Events.size(); ++e)
        events << u"SELECT Num || '/%1', printf('%.3f', E%2Final) FROM Gymnasts "
                  "WHERE Num >= '1000' AND E%2Final IS NOT NULL"_s.arg(Events[e])
                      .arg(e + 1);
    return byKey(db, events.join(u" UNION ALL "_s));
}

QHash<QString, QString> queuedScores(MeetDatabase& db) {
    return byKey(db, u"SELECT num || '/' || EventName, Score FROM ScoreBoardQueue "
                     "WHERE Status = 'Queued'"_s);
}

QHash<QString, QString> recordedFinals(MeetDatabase& db) {
    return byKey(db, u"SELECT Num || '/' || EventName, printf('%.3f', FinalAfter) "
                     "FROM ScoreHistory WHERE Num >= '1000' ORDER BY Seq"_s);
}

} // namespace ScoreLoad
