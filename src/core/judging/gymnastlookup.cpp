#include "gymnastlookup.h"

#include "agedivisions.h"
#include "db/meetdatabase.h"
#include "db/meetevents.h"

using namespace Qt::Literals::StringLiterals;

namespace GymnastLookup {

namespace {

// An attempt's columns in the order Attempt holds them.
QStringList attemptColumns(int eventNumber) {
    QStringList columns;
    for (int judge = 1; judge <= 7; ++judge)
        columns.append(MeetEvents::column(eventNumber, QString(u"S"_s + QString::number(judge))));
    columns.append(MeetEvents::column(eventNumber, u"Start"));
    columns.append(MeetEvents::column(eventNumber, u"Adj"));
    return columns;
}

Attempt attemptOf(const DbRows& rows, int eventNumber) {
    const QStringList columns = attemptColumns(eventNumber);
    Attempt attempt;
    for (size_t judge = 0; judge < attempt.judges.size(); ++judge)
        attempt.judges[judge] = rows.value(0, columns[qsizetype(judge)]);
    attempt.start = rows.value(0, columns[7]);
    attempt.adjustment = rows.value(0, columns[8]);
    return attempt;
}

bool failed(QString* error, const DbRows& rows) {
    if (error)
        *error = rows.error();
    return false;
}

} // namespace

bool find(MeetDatabase& db, const QString& number, int eventNumber, std::optional<Gymnast>* found,
          QString* error) {
    found->reset();
    const bool vault = eventNumber == 1;
    QStringList columns = attemptColumns(eventNumber);
    if (vault)
        columns += attemptColumns(MeetEvents::SecondVault);
    const DbRows rows = db.select(
        u"SELECT g.First_Name, g.Last_Name, c.\"Short Name\" AS GymName, g.Level, g.Squad, "
        "g.Birthday, g."_s +
            columns.join(u", g."_s) +
            u" FROM Gymnasts g LEFT OUTER JOIN Gyms c ON g.Gym = c.gymid WHERE g.Num = ? LIMIT 1"_s,
        {number});
    if (!rows.ok())
        return failed(error, rows);
    if (rows.isEmpty())
        return true;

    Gymnast gymnast;
    gymnast.firstName = rows.text(0, u"First_Name"_s);
    gymnast.lastName = rows.text(0, u"Last_Name"_s);
    gymnast.gymName = rows.text(0, u"GymName"_s);
    gymnast.level = rows.value(0, u"Level"_s);
    gymnast.squad = rows.text(0, u"Squad"_s);
    gymnast.first = attemptOf(rows, eventNumber);
    if (vault)
        gymnast.second = attemptOf(rows, MeetEvents::SecondVault);

    AgeDivisions divisions;
    if (!divisions.load(db, error))
        return false;
    gymnast.ageGroup = divisions.of(gymnast.level.toString(), rows.value(0, u"Birthday"_s)).name;
    *found = std::move(gymnast);
    return true;
}

} // namespace GymnastLookup
