#include "gymnastqueries.h"

#include "db/meetevents.h"
#include "formatscore.h"
#include "gymnastage.h"
#include "server/stationlink.h"
#include "shell/appstate.h"
#include "shell/operatoralerts.h"

using namespace Qt::Literals::StringLiterals;

namespace {

QString field(const QStringList& fields, int index) {
    return index < fields.size() ? fields[index] : QString();
}

// The judge-score columns a station reads for an event, in reply order.
QStringList scoreColumns(int event) {
    QStringList columns;
    for (int judge = 1; judge <= 7; ++judge)
        columns.append(MeetEvents::column(event, QString(u"S"_s + QString::number(judge))));
    columns.append(MeetEvents::column(event, u"Start"));
    columns.append(MeetEvents::column(event, u"Adj"));
    return columns;
}

} // namespace

GymnastQueries::GymnastQueries(AppState& app, StationLink& link, OperatorAlerts& alerts)
    : mApp(app)
    , mLink(link)
    , mAlerts(alerts)
    , mToday([] { return QDate::currentDate(); }) {}

MeetDatabase& GymnastQueries::db() {
    return mApp.meetDb();
}

QString GymnastQueries::gymnastReply(MeetDatabase& db, const QString& number, const QString& event,
                                     const QDate& today, QString* error) {
    const int eventNumber = MeetEvents::number(event);
    if (eventNumber == 0)
        return {};
    // Stations send the number as typed; it is read as a number, so "0101"
    // finds gymnast 101 and the reply names 101.
    bool numeric = true;
    const int asNumber = number.isEmpty() ? 0 : number.toInt(&numeric);
    if (!numeric)
        return u"GYMNASTQUERYRESP|1|Gymnast "_s + number + u" not found"_s;
    const QString num = QString::number(asNumber);

    QStringList columns = scoreColumns(eventNumber);
    if (eventNumber == 1)
        columns.append(scoreColumns(MeetEvents::SecondVault));
    const DbRows rows = db.select(
        u"SELECT g.First_Name, g.Last_Name, c.\"Short Name\" AS ShortName, g.Level, g.Squad, "_s +
            u"g."_s + columns.join(u", g."_s) +
            u", g.Birthday FROM Gymnasts g LEFT OUTER JOIN Gyms c ON g.Gym = c.gymid "
            "WHERE g.Num = ? LIMIT 1"_s,
        {num});
    if (!rows.ok()) {
        if (error)
            *error = rows.error();
        return {};
    }
    if (rows.isEmpty())
        return u"GYMNASTQUERYRESP|1|Gymnast "_s + num + u" not found"_s;

    const int age = gymnastAge(rows.value(0, u"Birthday"_s), today);
    const DbRows group =
        db.select(u"SELECT \"Name\" FROM \"Age Groups\" WHERE Level = ? COLLATE NOCASE "
                  "AND Low_Age <= ? AND High_Age >= ? LIMIT 1"_s,
                  {rows.value(0, u"Level"_s), age, age});

    QStringList values{rows.text(0, u"First_Name"_s), rows.text(0, u"Last_Name"_s),
                       rows.text(0, u"ShortName"_s),  storedValueText(rows.value(0, u"Level"_s)),
                       rows.text(0, u"Squad"_s),      group.text(0, u"Name"_s)};
    for (const QString& column : columns)
        values.append(storedValueText(rows.value(0, column)));
    values.append(num);
    return u"GYMNASTQUERYRESP|0|"_s + values.join(u'|');
}

void GymnastQueries::gymnastQuery(ConnectionId connection, const QStringList& fields) {
    const QString event = field(fields, 2);
    QString error;
    const QString reply = gymnastReply(db(), field(fields, 1), event, mToday(), &error);
    if (reply.isEmpty()) {
        if (!error.isEmpty())
            mAlerts.raise(u"Gymnast query for number %1 failed: %2"_s.arg(field(fields, 1), error));
        return;
    }
    mLink.sendData(connection, reply);

    // Judge 1 looks the gymnast up for the whole panel.
    bool numeric = false;
    const int judge = field(fields, 3).toInt(&numeric);
    if (!numeric || judge != 1 || mApp.numJudges() <= 1 ||
        !reply.startsWith(u"GYMNASTQUERYRESP|0|"))
        return;
    const DbRows panel =
        db().select(u"SELECT SocketID FROM Connections WHERE EventName = ? COLLATE NOCASE "
                    "AND JudgeNumber > 1"_s,
                    {event});
    for (int row = 0; row < panel.count(); ++row)
        mLink.sendData(panel.value(row, u"SocketID"_s).toInt(), reply);
}

QString GymnastQueries::squadListReply(MeetDatabase& db, const QString& session,
                                       const QString& squad, const QString& event, QString* error) {
    const int eventNumber = MeetEvents::number(event);
    if (eventNumber == 0)
        return {};
    const DbRows rows = db.select(
        u"SELECT Num, First_Name, Last_Name, "_s + MeetEvents::column(eventNumber, u"Final") +
            u" AS EventScore FROM Gymnasts WHERE Scratched = 0 AND "
            "\"Session\" = ? AND Squad = ? COLLATE NOCASE ORDER BY \"Order\""_s,
        {session, squad});
    if (!rows.ok()) {
        if (error)
            *error = rows.error();
        return {};
    }
    QString items;
    for (int row = 0; row < rows.count(); ++row) {
        items += rows.text(row, u"Num"_s) + u" - "_s + rows.text(row, u"First_Name"_s) + u' ' +
                 rows.text(row, u"Last_Name"_s) + u',' +
                 storedValueText(rows.value(row, u"EventScore"_s)) + u'|';
    }
    return u"SQUADLIST|"_s + QString::number(rows.count()) + u'|' + items + u'0';
}

void GymnastQueries::squadList(ConnectionId connection, const QStringList& fields) {
    QString error;
    const QString reply =
        squadListReply(db(), field(fields, 1), field(fields, 2), field(fields, 3), &error);
    if (!error.isEmpty())
        mAlerts.raise(u"Squad list for session %1, squad %2 failed: %3"_s.arg(
            field(fields, 1), field(fields, 2), error));
    if (!reply.isEmpty())
        mLink.sendData(connection, reply);
}
