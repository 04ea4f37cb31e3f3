#pragma once

#include "db/connectionid.h"

#include <QDeadlineTimer>
#include <QHash>
#include <QObject>
#include <QSet>
#include <QTimer>

// The connections that have not logged in yet. Each must log in within a time
// limit, and one address may hold only so many of them at once: without the
// PIN, nobody on the network can keep the server's connection slots for long.
// It knows no transport: whatever carries stations reports connections as
// they open, log in and close, and closes those the gate turns away.
class StationGate : public QObject {
    Q_OBJECT

public:
    static constexpr int DefaultLoginTimeoutMs = 30000;
    static constexpr int DefaultMaxWaitingPerAddress = 32;

    explicit StationGate(QObject* parent = nullptr);

    // Tests shorten the time and lower the number.
    void setLoginTimeout(int milliseconds) { mLoginTimeoutMs = milliseconds; }
    void setMaxWaitingPerAddress(int connections) { mMaxPerAddress = connections; }

    // A connection has opened. False when its address already holds the most
    // connections that have not logged in: the connection is to be closed.
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

private:
    struct Waiting {
        QString address;
        QDeadlineTimer deadline;
    };
    void forget(ConnectionId connection);
    void closeLateOnes();
    void armTimer();

    int mLoginTimeoutMs = DefaultLoginTimeoutMs;
    int mMaxPerAddress = DefaultMaxWaitingPerAddress;
    QHash<ConnectionId, Waiting> mWaiting;
    QHash<QString, int> mWaitingPerAddress;
    QSet<QString> mRefusalsReported;
    QTimer mTimer; // fires at the earliest deadline
};
