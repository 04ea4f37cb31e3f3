#include "gymstable.h"

#include "db/meetdatabase.h"

using namespace Qt::Literals::StringLiterals;

GymsTable::GymsTable(MeetDatabase& db)
    : mDb(db) {}

std::optional<QList<GymsTable::Gym>> GymsTable::all() {
    const DbRows rows = mDb.select(u"SELECT gymid, \"Short Name\", \"official name\" FROM Gyms "
                                   "ORDER BY \"official name\" COLLATE NOCASE"_s);
    if (!rows.ok()) {
        mError = rows.error();
        return std::nullopt;
    }
    QList<Gym> gyms;
    for (int i = 0; i < rows.count(); ++i)
        gyms.append({rows.value(i, u"gymid"_s).toLongLong(), rows.text(i, u"Short Name"_s),
                     rows.text(i, u"official name"_s)});
    return gyms;
}
