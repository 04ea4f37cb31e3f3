#include "scoreload.h"

#include "db/dbtransaction.h"
#include "db/meetdatabase.h"

#include <QStringList>

using namespace Qt::Literals::StringLiterals;

namespace ScoreLoad {

QString finalFor(int num, const QString& event) {
    const int eventNumber = event == u"Vault"_s  ? 1
                            : event == u"Bars"_s ? 2
                            : event == u"Beam"_s ? 3
                                                 : 4;
    const int thousandths = 7000 + (num * 37 + eventNumber * 611) % 3000;
    return QString::number(thousandths / 1000.0, 'f', 3);
}

QString sendScore(int num, const QString& event, const QString& final) {
    QStringList fields{u"SENDSCORE"_s, QString::number(num), u"2"_s, u"1"_s, event};
    fields << final << final << u""_s << u""_s; // judges 1 to 4
    fields << u""_s << u""_s << u""_s;          // judges 5 to 7
    fields << u"10.0"_s << u"0"_s << u"0"_s << final;
    if (event == u"Vault"_s) {
        fields << u""_s << u""_s << u""_s << u""_s << u""_s << u""_s << u""_s; // second vault
        fields << u""_s << u""_s << u""_s;
    }
    fields << u"0"_s; // a real score, not a test
    return fields.join(u'|');
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

QHash<QString, QString> storedFinals(MeetDatabase& db) {
    const QStringList events{u"Vault"_s, u"Bars"_s, u"Beam"_s, u"Floor"_s};
    QHash<QString, QString> finals;
    const DbRows rows = db.select(u"SELECT Num, E1Final, E2Final, E3Final, E4Final "
                                  "FROM Gymnasts WHERE Num >= '1000'"_s);
    if (!rows.ok())
        qWarning("%s", qPrintable(rows.error()));
    for (int row = 0; row < rows.count(); ++row)
        for (int e = 0; e < 4; ++e)
            if (const QVariant final = rows.value(row, e + 1); final.isValid())
                finals.insert(rows.text(row, u"Num"_s) + u'/' + events[e],
                              QString::number(final.toDouble(), 'f', 3));
    return finals;
}

QHash<QString, QString> queuedScores(MeetDatabase& db) {
    QHash<QString, QString> queued;
    const DbRows rows =
        db.select(u"SELECT num, EventName, Score FROM ScoreBoardQueue WHERE Status = 'Queued'"_s);
    if (!rows.ok())
        qWarning("%s", qPrintable(rows.error()));
    for (int row = 0; row < rows.count(); ++row)
        queued.insert(rows.text(row, u"num"_s) + u'/' + rows.text(row, u"EventName"_s),
                      rows.text(row, u"Score"_s));
    return queued;
}

} // namespace ScoreLoad
