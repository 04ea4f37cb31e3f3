#include "entrygymnast.h"

#include "db/meetdatabase.h"
#include "db/meetevents.h"
#include "judging/gymnastage.h"

using namespace Qt::Literals::StringLiterals;

namespace {

// A stored score as its box shows it; Null leaves the box empty.
QString boxText(const DbRows& rows, const QString& column) {
    if (rows.isNull(0, column))
        return {};
    bool ok = false;
    const double value = rows.value(0, column).toDouble(&ok);
    return ok ? PanelScore::scoreText(value) : QString();
}

PanelScore::Attempt attemptOf(const DbRows& rows, int eventNumber, int judges) {
    PanelScore::Attempt attempt;
    attempt.start = boxText(rows, MeetEvents::column(eventNumber, u"Start"));
    attempt.adjustment = boxText(rows, MeetEvents::column(eventNumber, u"Adj"));
    for (int i = 0; i < judges; ++i)
        attempt.judges[size_t(i)] = boxText(
            rows, MeetEvents::column(eventNumber, QString(u"S"_s + QString::number(i + 1))));
    return attempt;
}

QString eventColumns(int eventNumber) {
    QString columns;
    for (int i = 1; i <= 7; ++i)
        columns += u"g."_s + MeetEvents::column(eventNumber, QString(u"S"_s + QString::number(i))) +
                   u", "_s;
    return columns + u"g."_s + MeetEvents::column(eventNumber, u"Start") + u", g."_s +
           MeetEvents::column(eventNumber, u"Adj") + u", "_s;
}

} // namespace

bool EntryGymnast::load(MeetDatabase& db, const QString& number, const QString& event,
                        int judgeCount, const QDate& today, EntryGymnast* gymnast, QString* error) {
    *gymnast = EntryGymnast();
    const int eventNumber = MeetEvents::number(event);
    if (eventNumber == 0)
        return true; // no such event: nothing to show
    const bool vault = eventNumber == 1;
    const DbRows rows = db.select(
        u"SELECT g.First_Name, g.Last_Name, c.[short name] AS gym_name, g.Level, g.Squad, "_s +
            eventColumns(eventNumber) +
            (vault ? eventColumns(MeetEvents::SecondVault) : QString()) +
            u"g.Birthday FROM Gymnasts g LEFT OUTER JOIN Gyms c ON g.Gym = c.gymid "
            "WHERE g.Num = ? LIMIT 1"_s,
        {number});
    if (!rows.ok()) {
        if (error)
            *error = rows.error();
        return false;
    }
    if (rows.isEmpty())
        return true;

    EntryGymnast g;
    g.found = true;
    g.nameLine =
        number + u" - "_s + rows.text(0, u"First_Name"_s) + u' ' + rows.text(0, u"Last_Name"_s);
    g.gymName = rows.text(0, u"gym_name"_s);
    g.level = rows.text(0, u"Level"_s);
    g.squad = rows.text(0, u"Squad"_s);
    const int judges = PanelScore::judgeBoxes(judgeCount);
    g.first = attemptOf(rows, eventNumber, judges);
    if (vault)
        g.second = attemptOf(rows, MeetEvents::SecondVault, judges);

    const int age = gymnastAge(rows.value(0, u"Birthday"_s), today);
    const DbRows division = db.select(
        u"SELECT [Name] FROM [Age Groups] WHERE Level = ? COLLATE NOCASE AND Low_Age <= ? AND "
        "High_Age >= ? LIMIT 1"_s,
        {g.level, age, age});
    if (!division.ok()) {
        if (error)
            *error = division.error();
        return false;
    }
    if (!division.isEmpty())
        g.ageDivision = division.text(0, u"Name"_s);
    *gymnast = g;
    return true;
}
