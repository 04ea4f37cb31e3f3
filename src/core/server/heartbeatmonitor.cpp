#include "heartbeatmonitor.h"

#include "db/meetdatabase.h"
#include "shell/operatoralerts.h"
#include "stationlink.h"
#include "stationregistry.h"

using namespace Qt::Literals::StringLiterals;

HeartbeatMonitor::HeartbeatMonitor(MeetDatabase& db, StationLink& link, StationRegistry& registry,
                                   OperatorAlerts& alerts, QObject* parent)
    : QObject(parent)
    , mLink(link)
    , mRegistry(registry)
    , mAlerts(alerts)
    , mConnections(db) {
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
    mAlerts.raise(what + mConnections.lastError());
}

void HeartbeatMonitor::heartbeatRound() {
    mAnswered.clear(); // late answers to the last round count for nothing
    if (!mConnections.startHeartbeatRound()) {
        report(u"The heartbeat round could not start: "_s);
        return;
    }
    const auto stations = mConnections.all();
    if (!stations) {
        report(u"The heartbeat round could not read the logged-in stations: "_s);
        return;
    }
    for (const ConnectionId station : *stations) {
        mLink.sendData(station, u"HEARTBEAT|"_s + QString::number(station));
        Q_EMIT heartbeatSent(station);
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
    Q_EMIT heartbeatAnswered(connection);
}

void HeartbeatMonitor::removeSilentStations() {
    mCheckTimer.stop();
    if (!mConnections.markAnswered(mAnswered))
        report(u"Heartbeat replies could not be recorded: "_s);
    mAnswered.clear();
    const auto silent = mConnections.silentStations();
    if (!silent) {
        report(u"Silent stations could not be found: "_s);
        return;
    }
    for (const ConnectionsTable::Station& station : *silent)
        mRegistry.removeEntryOf(station.id, station.type, station.address, station.name);
    if (!mConnections.removeSilent())
        report(u"Silent stations could not be logged out: "_s);
    for (const ConnectionsTable::Station& station : *silent)
        Q_EMIT loggedOut(station.id);
}
