#include "divisiontables.h"

#include "db/meetdatabase.h"

using namespace Qt::Literals::StringLiterals;

DivisionTables::DivisionTables(MeetDatabase& db)
    : MeetTable(db) {}

std::optional<QStringList> DivisionTables::levels() {
    const DbRows rows = mDb.select(u"SELECT Level FROM Levels ORDER BY Level COLLATE NOCASE"_s);
    return allRows(rows, mError, [](const DbRows& r, int i) { return r.text(i, u"Level"_s); });
}

std::optional<QList<DivisionTables::AgeGroup>>
DivisionTables::ageGroups(const std::optional<QString>& level) {
    const QString select = u"SELECT AgeID, Level, Name, Low_Age, High_Age, Start_Date, End_Date "
                           "FROM \"Age Groups\" "_s;
    const QString order = u"ORDER BY Low_Age IS NULL, Low_Age, Start_Date, AgeID"_s;
    const DbRows rows =
        level ? mDb.select(select + u"WHERE Level = ? COLLATE NOCASE "_s + order, {*level})
              : mDb.select(select + order);
    return allRows(rows, mError, [](const DbRows& r, int i) {
        return AgeGroup{r.value(i, u"AgeID"_s).toLongLong(),
                        r.text(i, u"Level"_s),
                        r.text(i, u"Name"_s),
                        r.value(i, u"Low_Age"_s),
                        r.value(i, u"High_Age"_s),
                        r.value(i, u"Start_Date"_s),
                        r.value(i, u"End_Date"_s)};
    });
}
