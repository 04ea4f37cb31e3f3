#pragma once

#include "db/connectionid.h"
#include "heartbeatmonitor.h"
#include "shell/currentsession.h"
#include "stationgate.h"
#include "stationkind.h"
#include "stationregistry.h"
#include "stationserver.h"

#include <QObject>
#include <QStringList>

class AppState;
class MessageFields;
class OperatorAlerts;
class Prompter;
class StationServices;

// The scoring server of one open meet: listens for stations, dispatches their
// messages, keeps the log-ins and heartbeats, and stops cleanly. It holds the
// state the server window and headless mode show (status, address, port, meet
// name, the two station lists, current session). The stations' transport and
// the judge and scoreboard services that answer the logged-in commands are
// given to it and must outlive it (MeetServer puts the three together).
class ScoringServer : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool running READ isRunning NOTIFY statusChanged)
    Q_PROPERTY(QString address READ address NOTIFY statusChanged)
    Q_PROPERTY(int port READ port NOTIFY statusChanged)
    Q_PROPERTY(QString meetName READ meetName NOTIFY statusChanged)

public:
    struct StartResult {
        enum class Outcome { Started, ListenFailed, NoMeet, NoSessions, DatabaseError };
        Outcome outcome = Outcome::Started;
        // For the operator: "Error staring server on " + address when listening
        // failed, the no-sessions message, or what the database said.
        QString message;
        // Why listening failed, for logs (the operator message is fixed).
        QString detail;
        bool ok() const { return outcome == Outcome::Started; }
    };

    static inline const QString ListeningStatus =
        QStringLiteral("Listening for client connections");
    static inline const QString NoSessionsMessage = QStringLiteral(
        "No Sessions exist!  Meet must have at least one session.  Closing Application.");

    ScoringServer(AppState& state, OperatorAlerts& alerts, StationServer& stations,
                  StationServices& services, QObject* parent = nullptr);
    ~ScoringServer() override;

    // Starts the server for the open meet. On any failure nothing keeps running.
    StartResult start();
    // Stops accepting, drops every station and empties Connections.
    void shutdown();

    bool isRunning() const { return mRunning; }
    QString status() const { return mRunning ? ListeningStatus : QString(); }
    QString address() const { return mAddress; }
    int port() const { return mPort; }
    QString meetName() const { return mMeetName; }

    CurrentSession& currentSession() { return mCurrentSession; }
    // The two station lists, one line per logged-in station.
    QStringListModel* judgeStations() { return mRegistry.judgeStations(); }
    QStringListModel* scoreboards() { return mRegistry.scoreboards(); }
    // Empties both lists (the meet's rows were put back as they were).
    void clearStationLists() { mRegistry.clearLists(); }

    // Connections that have not logged in yet: how many may wait, in all and
    // per address, and for how long (StationGate holds the defaults).
    void setLoginLimits(int maxWaiting, int maxWaitingPerAddress);
    void setLoginTimeout(int milliseconds);
    // Which clock PIN guessing is timed by.
    void setPinThrottle(PinThrottle throttle) { mRegistry.setPinThrottle(std::move(throttle)); }

    // The heartbeats: a round every `roundMs`, the stations that did not
    // answer it logged out `checkMs` later. They run from start() to shutdown().
    void setHeartbeatIntervals(int roundMs, int checkMs) {
        mHeartbeats.setIntervals(roundMs, checkMs);
    }
    void startHeartbeats() { mHeartbeats.start(); }
    void stopHeartbeats() { mHeartbeats.stop(); }
    bool heartbeatsRunning() const { return mHeartbeats.isActive(); }
    // One round, or its check, at once.
    void heartbeatRound() { mHeartbeats.heartbeatRound(); }
    void removeSilentStations() { mHeartbeats.removeSilentStations(); }

    // The operator's "Set" of the PIN box: later log-ins must match `text`,
    // which is also written to pin.txt. No length or digit check. False, with
    // the reason, when pin.txt could not be written (the PIN is changed anyway).
    bool setPin(const QString& text, QString* error = nullptr);
    // An operator page's log-in from `address`: checked against the operator
    // PIN under the station PIN's throttle. An operator PIN that is not six or
    // more digits lets nobody in.
    StationRegistry::PinCheck checkOperatorPin(const QString& address, const QString& pin);
    // "Show PIN": the text of the PIN box in a message.
    static void showPin(Prompter& prompter, const QString& pinBoxText);

    // Who is logged in where, and the heartbeats: what the seats' health is read from.
    StationRegistry& registry() { return mRegistry; }
    HeartbeatMonitor& heartbeats() { return mHeartbeats; }

    // Handles one message of a station (the dispatcher).
    void handleMessage(ConnectionId connection, const QString& message);

Q_SIGNALS:
    void statusChanged();
    // A station answered a heartbeat: its line is `row` of the list of `kind`.
    void activityMark(StationKind kind, int row);
    // A station logged in, or was logged out; `entry` is its list line.
    void stationLoggedIn(StationKind kind, const QString& entry);
    void stationLoggedOut(StationKind kind, const QString& entry);
    // An operator page's log-in from `address` was refused.
    void operatorLoginRefused(const QString& address);
    // The server is about to stop: the stations it logs out now leave on purpose.
    void stopping();

private:
    struct Command;
    static const Command* findCommand(QStringView word, bool loggedIn);
    bool allowed(const Command& command, ConnectionId connection, const MessageFields& fields);
    void judgeLogin(ConnectionId connection, const QStringList& fields);
    void displayLogin(ConnectionId connection, const QStringList& fields);
    StartResult fail(StartResult::Outcome outcome, const QString& message);
    StartResult readMeet();
    void connectionOpened(ConnectionId connection, const QString& address);
    void noteLogin(ConnectionId connection);
    void connectionClosed(ConnectionId connection);

    AppState& mState;
    OperatorAlerts& mAlerts;
    StationServer& mServer;
    StationServices& mServices;
    StationRegistry mRegistry;
    HeartbeatMonitor mHeartbeats;
    StationGate mGate;
    CurrentSession mCurrentSession;
    bool mRunning = false;
    QString mAddress;
    int mPort = 0;
    QString mMeetName;
};
