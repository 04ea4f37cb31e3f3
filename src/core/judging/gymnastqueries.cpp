#include "gymnastqueries.h"

#include "db/connectionstable.h"
#include "db/meetdatabase.h"
#include "db/meetevents.h"
#include "db/tables/gymnaststable.h"
#include "formatscore.h"
#include "gymnastlookup.h"
#include "judgingmessages.h"
#include "server/stationlink.h"
#include "shell/operatoralerts.h"

using namespace Qt::Literals::StringLiterals;

namespace {

QString field(const QStringList& fields, int index) {
    return index < fields.size() ? fields[index] : QString();
}

} // namespace

GymnastQueries::GymnastQueries(MeetDatabase& db, std::function<int()> judgesPerEvent,
                               StationLink& link, OperatorAlerts& alerts)
    : mDb(db)
    , mJudgesPerEvent(std::move(judgesPerEvent))
    , mLink(link)
    , mAlerts(alerts) {}

MeetDatabase& GymnastQueries::db() {
    return mDb;
}

QString GymnastQueries::gymnastReply(MeetDatabase& db, const QString& number, const QString& event,
                                     QString* error) {
    const int eventNumber = MeetEvents::number(event);
    if (eventNumber == 0)
        return {};
    // Stations send the number as typed; it is read as a number, so "0101"
    // finds gymnast 101 and the reply names 101.
    bool numeric = true;
    const int asNumber = number.isEmpty() ? 0 : number.toInt(&numeric);
    if (!numeric)
        return JudgingMessages::gymnastNotFound(number);
    const QString num = QString::number(asNumber);

    std::optional<GymnastLookup::Gymnast> gymnast;
    if (!GymnastLookup::find(db, num, eventNumber, &gymnast, error))
        return {};
    if (!gymnast)
        return JudgingMessages::gymnastNotFound(num);

    QStringList values{gymnast->firstName, gymnast->lastName,
                       gymnast->gymName,   storedValueText(gymnast->level),
                       gymnast->squad,     gymnast->ageGroup};
    const auto append = [&values](const GymnastLookup::Attempt& attempt) {
        for (const QVariant& score : attempt.judges)
            values.append(storedValueText(score));
        values.append(storedValueText(attempt.start));
        values.append(storedValueText(attempt.adjustment));
    };
    append(gymnast->first);
    if (eventNumber == 1)
        append(gymnast->second);
    values.append(num);
    return JudgingMessages::gymnastFound(values);
}

void GymnastQueries::gymnastQuery(ConnectionId connection, const QStringList& fields) {
    const QString event = field(fields, 2);
    QString error;
    const QString reply = gymnastReply(db(), field(fields, 1), event, &error);
    if (reply.isEmpty()) {
        if (!error.isEmpty())
            mAlerts.raise(u"Gymnast query for number %1 failed: %2"_s.arg(
                OperatorAlerts::stationValue(field(fields, 1)), error));
        return;
    }
    mLink.sendData(connection, reply);

    // Judge 1 looks the gymnast up for the whole panel.
    bool numeric = false;
    const int judge = field(fields, 3).toInt(&numeric);
    if (!numeric || judge != 1 || mJudgesPerEvent() <= 1 || !JudgingMessages::isGymnastFound(reply))
        return;
    ConnectionsTable connections(db());
    const auto panel = connections.panelJudges(event);
    if (!panel) {
        mAlerts.raise(u"Gymnast %1 could not be sent to the rest of the %2 panel: %3"_s.arg(
            OperatorAlerts::stationValue(field(fields, 1)), OperatorAlerts::stationValue(event),
            connections.lastError()));
        return;
    }
    for (const ConnectionId judge : *panel)
        mLink.sendData(judge, reply);
}

QString GymnastQueries::squadListReply(MeetDatabase& db, const QString& session,
                                       const QString& squad, const QString& event, QString* error) {
    const int eventNumber = MeetEvents::number(event);
    if (eventNumber == 0)
        return {};
    GymnastsTable table(db);
    const auto squadList = table.squad(session, squad, eventNumber);
    if (!squadList) {
        if (error)
            *error = table.lastError();
        return {};
    }
    QStringList items;
    for (const GymnastsTable::InSquad& gymnast : *squadList) {
        items << gymnast.num + u" - "_s + gymnast.firstName + u' ' + gymnast.lastName + u',' +
                     storedValueText(gymnast.eventFinal);
    }
    return JudgingMessages::squadList(items);
}

void GymnastQueries::squadList(ConnectionId connection, const QStringList& fields) {
    QString error;
    const QString reply =
        squadListReply(db(), field(fields, 1), field(fields, 2), field(fields, 3), &error);
    if (!error.isEmpty())
        mAlerts.raise(u"Squad list for session %1, squad %2 failed: %3"_s.arg(
            OperatorAlerts::stationValue(field(fields, 1)),
            OperatorAlerts::stationValue(field(fields, 2)), error));
    if (!reply.isEmpty())
        mLink.sendData(connection, reply);
}
