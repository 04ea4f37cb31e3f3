#pragma once

#include "db/connectionid.h"
#include "db/connectionstable.h"
#include "stationkind.h"

#include <QObject>
#include <QSet>
#include <QTimer>

class MeetDatabase;
class OperatorAlerts;
class StationRegistry;
class StationLink;

// Finds stations that have fallen silent without their connection ending: every
// round asks each logged-in station for a heartbeat, and a check a few seconds
// later logs out the ones that did not answer. Their connections stay open; a
// station may log in again.
class HeartbeatMonitor : public QObject {
    Q_OBJECT

public:
    static constexpr int DefaultRoundIntervalMs = 5000;
    static constexpr int DefaultCheckDelayMs = 3000;

    HeartbeatMonitor(MeetDatabase& db, StationLink& link, StationRegistry& registry,
                     OperatorAlerts& alerts, QObject* parent = nullptr);

    // Tests shorten the round and the check.
    void setIntervals(int roundIntervalMs, int checkDelayMs);
    void start();
    void stop();
    bool isActive() const { return mRoundTimer.isActive(); }

    // Sends "HEARTBEAT|id" to every logged-in station and arms the check.
    void heartbeatRound();
    // A "HEARTBEAT" reply arrived on that connection: it is alive.
    void heartbeatReply(ConnectionId connection);
    // Logs out every station that has not answered the last round.
    void removeSilentStations();

Q_SIGNALS:
    // A station answered: blink the mark beside its line (row of its list).
    void activityMark(StationKind kind, int row);
    // A silent station was logged out; its connection stays open.
    void loggedOut(ConnectionId connection);
    // A round asked the station for a heartbeat; the station answered.
    void heartbeatSent(ConnectionId connection);
    void heartbeatAnswered(ConnectionId connection);

private:
    void report(const QString& what);

    StationLink& mLink;
    StationRegistry& mRegistry;
    OperatorAlerts& mAlerts;
    ConnectionsTable mConnections;
    QTimer mRoundTimer;
    QTimer mCheckTimer;
    // Connections that answered the current round, not yet written. A reply
    // needs no durable write of its own: one commit per round, just before
    // the check reads them, spares a disk sync per station and heartbeat.
    QSet<ConnectionId> mAnswered;
};
