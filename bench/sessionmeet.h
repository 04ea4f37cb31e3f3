#pragma once

#include "db/meetdatabase.h"

#include <QString>
#include <QStringList>

// A meet of one session ("AM") of `gymnasts` gymnasts numbered from 100, of
// levels 3 to 6, taking turns among the first `gyms` (at most 3) gyms, each
// with the same score on the first `events` events and their sum as the
// all-around. False, with the reason, when it cannot be written.
inline bool createSessionMeet(const QString& path, int gymnasts, int gyms, int events,
                              QString* error) {
    using namespace Qt::Literals::StringLiterals;
    const QStringList gymNames{u"One"_s, u"Two"_s, u"Three"_s};
    MeetDatabase db;
    bool ok = MeetDatabase::createMeetDatabase(path, error) && db.open(path) &&
              db.beginTransaction() &&
              db.execute(u"INSERT INTO Meets(MeetID, Name, Num_Judges, UseAgeDiv) "
                         "VALUES(1, 'Bench', 4, 0)"_s) &&
              db.execute(u"INSERT INTO Sessions(MeetID, Session, \"Desc\") VALUES(1, 1, 'AM')"_s);
    for (int g = 0; ok && g < gyms; ++g)
        ok = db.execute(u"INSERT INTO Gyms(gymid, \"official name\", \"Short Name\") "
                        "VALUES(?, ?, ?)"_s,
                        {g + 1, gymNames[g], gymNames[g]});
    for (int i = 0; ok && i < gymnasts; ++i) {
        const double score = 8.0 + (i * 37 % 200) / 100.0;
        QVariantList values{QString::number(100 + i), QString::number(3 + i % 4), 1 + i % gyms};
        for (int e = 0; e < 4; ++e)
            values.append(e < events ? QVariant(score) : QVariant());
        values.append(events * score);
        ok = db.execute(u"INSERT INTO Gymnasts(MeetID, Num, First_Name, Last_Name, Level, "
                        "Session, Gym, Squad, E1Final, E2Final, E3Final, E4Final, AA) "
                        "VALUES(1, ?, 'Bench', 'Gymnast', ?, '1', ?, 'A', ?, ?, ?, ?, ?)"_s,
                        values);
    }
    ok = ok && db.commit();
    if (!ok && error && error->isEmpty())
        *error = db.lastError();
    return ok;
}
