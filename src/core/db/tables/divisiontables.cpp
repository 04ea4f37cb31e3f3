#include "divisiontables.h"

#include "db/meetdatabase.h"

using namespace Qt::Literals::StringLiterals;

DivisionTables::DivisionTables(MeetDatabase& db)
    : mDb(db) {}

std::optional<QStringList> DivisionTables::levels() {
    const DbRows rows = mDb.select(u"SELECT Level FROM Levels ORDER BY Level COLLATE NOCASE"_s);
    if (!rows.ok()) {
        mError = rows.error();
        return std::nullopt;
    }
    QStringList names;
    for (int i = 0; i < rows.count(); ++i)
        names.append(rows.text(i, u"Level"_s));
    return names;
}

std::optional<QList<DivisionTables::AgeGroup>>
DivisionTables::ageGroups(const std::optional<QString>& level) {
    const QString select = u"SELECT AgeID, Level, Name, Low_Age, High_Age, Start_Date, End_Date "
                           "FROM \"Age Groups\" "_s;
    const QString order = u"ORDER BY Low_Age IS NULL, Low_Age, Start_Date, AgeID"_s;
    const DbRows rows =
        level ? mDb.select(select + u"WHERE Level = ? COLLATE NOCASE "_s + order, {*level})
              : mDb.select(select + order);
    if (!rows.ok()) {
        mError = rows.error();
        return std::nullopt;
    }
    QList<AgeGroup> groups;
    for (int i = 0; i < rows.count(); ++i) {
        groups.append({rows.value(i, u"AgeID"_s).toLongLong(), rows.text(i, u"Level"_s),
                       rows.text(i, u"Name"_s), rows.value(i, u"Low_Age"_s),
                       rows.value(i, u"High_Age"_s), rows.value(i, u"Start_Date"_s),
                       rows.value(i, u"End_Date"_s)});
    }
    return groups;
}
