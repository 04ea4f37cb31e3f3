#pragma once

#include "db/connectionid.h"

#include <QStringList>

#include <functional>

class MeetDatabase;
class OperatorAlerts;
class StationLink;

// What a judge station asks about gymnasts: one competitor with the scores
// stored for its event ("GYMNASTQUERY"), and a squad's running order with
// the event scores so far ("GETSQUADLIST").
class GymnastQueries {
public:
    // `judgesPerEvent`: the open meet's panel size, read at each query.
    GymnastQueries(MeetDatabase& db, std::function<int()> judgesPerEvent, StationLink& link,
                   OperatorAlerts& alerts);

    // Fields: 1 competitor number, 2 event name, 3 the asking judge's number.
    // Judge 1 of a panel of several judges also sends the answer to the rest
    // of the panel. An unknown event is not answered.
    void gymnastQuery(ConnectionId connection, const QStringList& fields);
    // Fields: 1 session, 2 squad, 3 event name.
    void squadList(ConnectionId connection, const QStringList& fields);

    // The answers themselves; empty when the request cannot be answered
    // (`error` then tells why when it was a database failure).
    static QString gymnastReply(MeetDatabase& db, const QString& number, const QString& event,
                                QString* error = nullptr);
    static QString squadListReply(MeetDatabase& db, const QString& session, const QString& squad,
                                  const QString& event, QString* error = nullptr);

private:
    MeetDatabase& db();

    MeetDatabase& mDb;
    std::function<int()> mJudgesPerEvent;
    StationLink& mLink;
    OperatorAlerts& mAlerts;
};
