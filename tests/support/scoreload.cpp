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

} // namespace ScoreLoad
