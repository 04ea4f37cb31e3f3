#pragma once

#include "db/connectionid.h"

#include <QDeadlineTimer>
#include <QHash>
#include <QObject>
#include <QSet>
#include <QTimer>

// The connections that have not logged in yet. Each must log in within a time
// limit, one address may hold only so many of them at once, and all of them
// together only a share of the server's connection slots: when that share is
// full, the oldest is closed to let a new one in. Without the PIN, nobody on
// the network can keep the slots for long, nor keep a judge from logging in.
// It knows no transport: whatever carries stations reports connections as
// they open, log in and close, and closes those the gate turns away.
class StationGate : public QObject {
    Q_OBJECT

public:
    static constexpr int DefaultLoginTimeoutMs = 30000;
    static constexpr int DefaultMaxWaitingPerAddress = 32;
    static constexpr int DefaultMaxWaiting = 64;

    explicit StationGate(QObject* parent = nullptr);

    // Tests shorten the time and lower the number.
    void setLoginTimeout(int milliseconds) { mLoginTimeoutMs = milliseconds; }
    void setMaxWaitingPerAddress(int connections) { mMaxPerAddress = connections; }
    void setMaxWaiting(int connections) { mMaxWaiting = connections; }

    // A connection has opened, or a station was logged out and must log in
    // again. False when its address already holds the most connections that
    // have not logged in: the connection is to be closed. When all waiting
    // connections together are at their most, the oldest is let go first.
    bool admit(ConnectionId connection, const QString& address);
    bool isWaiting(ConnectionId connection) const { return mWaiting.contains(connection); }
    // The connection has logged in: it no longer waits.
    void loggedIn(ConnectionId connection);
    // The connection has ended.
    void closed(ConnectionId connection);
    // Forgets every connection (the server stops).
    void clear();

Q_SIGNALS:
    // The connection has not logged in in time: it is to be closed.
    void loginTimedOut(ConnectionId connection);
    // A connection from `address` was turned away; said once until the
    // address holds fewer waiting connections again.
    void addressRefused(const QString& address, int waiting);
    // The connection waited longest while the share of waiting connections
    // was full: it is to be closed.
    void oldestLetGo(ConnectionId connection);
    // The share of waiting connections is full; said once until it is
    // half empty again.
    void shareFull(int waiting);

private:
    struct Waiting {
        QString address;
        QDeadlineTimer deadline;
        quint64 order = 0; // admissions counted: the lowest waited longest
    };
    void letOldestGo();
    void forget(ConnectionId connection);
    void noteLeft();
    void closeLateOnes();
    void armTimer();

    int mLoginTimeoutMs = DefaultLoginTimeoutMs;
    int mMaxPerAddress = DefaultMaxWaitingPerAddress;
    int mMaxWaiting = DefaultMaxWaiting;
    quint64 mAdmitted = 0;
    bool mShareFullReported = false;
    QHash<ConnectionId, Waiting> mWaiting;
    QHash<QString, int> mWaitingPerAddress;
    QSet<QString> mRefusalsReported;
    QTimer mTimer; // fires at the earliest deadline
};
