#include "gymstable.h"

#include "db/meetdatabase.h"

using namespace Qt::Literals::StringLiterals;

GymsTable::GymsTable(MeetDatabase& db)
    : MeetTable(db) {}

std::optional<QList<GymsTable::Gym>> GymsTable::all() {
    const DbRows rows = mDb.select(u"SELECT gymid, \"Short Name\", \"official name\" FROM Gyms "
                                   "ORDER BY \"official name\" COLLATE NOCASE"_s);
    return allRows(rows, mError, [](const DbRows& r, int i) {
        return Gym{r.value(i, u"gymid"_s).toLongLong(), r.text(i, u"Short Name"_s),
                   r.text(i, u"official name"_s)};
    });
}
