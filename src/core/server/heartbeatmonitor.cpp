#include "heartbeatmonitor.h"

#include "db/dbtransaction.h"
#include "shell/appstate.h"
#include "shell/operatoralerts.h"
#include "stationlink.h"
#include "stationregistry.h"

using namespace Qt::Literals::StringLiterals;

HeartbeatMonitor::HeartbeatMonitor(AppState& state, StationLink& link, StationRegistry& registry,
                                   OperatorAlerts& alerts, QObject* parent)
    : QObject(parent)
    , mState(state)
    , mLink(link)
    , mRegistry(registry)
    , mAlerts(alerts) {
    mRoundTimer.setInterval(DefaultRoundIntervalMs);
    mCheckTimer.setInterval(DefaultCheckDelayMs);
    mCheckTimer.setSingleShot(true);
    connect(&mRoundTimer, &QTimer::timeout, this, &HeartbeatMonitor::heartbeatRound);
    connect(&mCheckTimer, &QTimer::timeout, this, &HeartbeatMonitor::removeSilentStations);
}

void HeartbeatMonitor::setIntervals(int roundIntervalMs, int checkDelayMs) {
    mRoundTimer.setInterval(roundIntervalMs);
    mCheckTimer.setInterval(checkDelayMs);
}

void HeartbeatMonitor::start() {
    mRoundTimer.start();
}

void HeartbeatMonitor::stop() {
    mRoundTimer.stop();
    mCheckTimer.stop();
    mAnswered.clear();
}

void HeartbeatMonitor::report(const QString& what) {
    mAlerts.raise(what + mState.meetDb().lastError());
}

void HeartbeatMonitor::heartbeatRound() {
    MeetDatabase& db = mState.meetDb();
    mAnswered.clear(); // late answers to the last round count for nothing
    if (!db.ensureHeartBeatColumn())
        report(u"The heartbeat column could not be added to the meet file: "_s);
    if (!db.execute(u"UPDATE Connections SET HeartBeat = 0"_s)) {
        report(u"The heartbeat round could not start: "_s);
        return;
    }
    const DbRows rows = db.select(u"SELECT SocketID FROM Connections"_s);
    if (!rows.ok()) {
        report(u"The heartbeat round could not read the logged-in stations: "_s);
        return;
    }
    for (int i = 0; i < rows.count(); ++i) {
        const QString id = rows.text(i, u"SocketID"_s);
        mLink.sendData(ConnectionId(id.toInt()), u"HEARTBEAT|"_s + id);
    }
    mCheckTimer.start();
}

void HeartbeatMonitor::heartbeatReply(ConnectionId connection) {
    // The reply marks the connection it came on, whatever id it carries: one
    // station's reply must not keep another one logged in.
    const StationRegistry::Entry entry = mRegistry.entryOf(connection);
    if (entry.row >= 0)
        Q_EMIT activityMark(entry.kind, entry.row);
    mAnswered.insert(connection);
}

void HeartbeatMonitor::recordReplies() {
    if (mAnswered.isEmpty())
        return;
    MeetDatabase& db = mState.meetDb();
    DbTransaction transaction(db);
    bool ok = transaction.isActive();
    for (const ConnectionId connection : std::as_const(mAnswered)) {
        ok = ok &&
             db.execute(u"UPDATE Connections SET HeartBeat = 1 WHERE SocketID = ?"_s, {connection});
    }
    if (!ok || !transaction.commit())
        report(u"Heartbeat replies could not be recorded: "_s);
    mAnswered.clear();
}

void HeartbeatMonitor::removeSilentStations() {
    mCheckTimer.stop();
    recordReplies();
    MeetDatabase& db = mState.meetDb();
    const DbRows rows = db.select(u"SELECT SocketID, ConnectionsType, IPAddress, EventName "
                                  "FROM Connections WHERE HeartBeat = 0"_s);
    if (!rows.ok()) {
        report(u"Silent stations could not be found: "_s);
        return;
    }
    for (int i = 0; i < rows.count(); ++i)
        mRegistry.removeEntryOf(ConnectionId(rows.value(i, u"SocketID"_s).toInt()),
                                rows.text(i, u"ConnectionsType"_s), rows.text(i, u"IPAddress"_s),
                                rows.text(i, u"EventName"_s));
    if (!db.execute(u"DELETE FROM Connections WHERE HeartBeat = 0"_s))
        report(u"Silent stations could not be logged out: "_s);
}
