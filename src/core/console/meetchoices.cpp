#include "meetchoices.h"

#include "db/meetdatabase.h"

using namespace Qt::Literals::StringLiterals;

namespace MeetChoices {

namespace {

QStringList column(const DbRows& rows, const QString& name) {
    QStringList values;
    for (int i = 0; i < rows.count(); ++i)
        values.append(rows.text(i, name));
    return values;
}

QList<IdChoice> choices(const DbRows& rows, const QString& id, const QString& text) {
    QList<IdChoice> values;
    for (int i = 0; i < rows.count(); ++i)
        values.append({rows.value(i, id).toLongLong(), rows.text(i, text)});
    return values;
}

} // namespace

QStringList levels(MeetDatabase& db) {
    return column(db.select(u"SELECT Level FROM Levels ORDER BY Level COLLATE NOCASE"_s),
                  u"Level"_s);
}

QStringList sessionNumbers(MeetDatabase& db) {
    return column(db.select(u"SELECT Session FROM Sessions ORDER BY Session"_s), u"Session"_s);
}

QList<IdChoice> gyms(MeetDatabase& db) {
    return choices(db.select(u"SELECT gymid, \"official name\" AS official_name FROM Gyms "
                             "ORDER BY \"official name\" COLLATE NOCASE"_s),
                   u"gymid"_s, u"official_name"_s);
}

QList<IdChoice> ageDivisions(MeetDatabase& db, const QString& level) {
    if (level.isEmpty())
        return choices(db.select(u"SELECT ageid, Name AS age_name FROM \"Age Groups\" "
                                 "ORDER BY Low_Age"_s),
                       u"ageid"_s, u"age_name"_s);
    return choices(db.select(u"SELECT ageid, Name AS age_name FROM \"Age Groups\" "
                             "WHERE Level = ? COLLATE NOCASE ORDER BY Low_Age"_s,
                             {level}),
                   u"ageid"_s, u"age_name"_s);
}

QStringList squads() {
    return {u"A"_s, u"B"_s, u"C"_s, u"D"_s};
}

} // namespace MeetChoices
