#pragma once

#include "db/connectionid.h"
#include "db/connectionstable.h"
#include "pinthrottle.h"
#include "stationkind.h"

#include <QObject>
#include <QStringListModel>

#include <functional>

class MeetDatabase;
class OperatorAlerts;
class StationServer;

// Station log-in and the registry of logged-in stations: a connection is logged
// in exactly while Connections holds a row with its id. Each logged-in station
// also has one line in the judge-station or score-display list.
class StationRegistry : public QObject {
    Q_OBJECT

public:
    // What log-ins are checked against, read at each log-in: the station
    // PIN and the judges per event of the open meet.
    struct Settings {
        std::function<QString()> pin;
        std::function<int()> judgesPerEvent;
    };

    StationRegistry(MeetDatabase& db, Settings settings, StationServer& server,
                    OperatorAlerts& alerts, QObject* parent = nullptr);

    QStringListModel* judgeStations() { return &mJudgeStations; }
    QStringListModel* scoreboards() { return &mScoreboards; }
    QStringListModel* list(StationKind kind);

    // Whether the connection is logged in. Answered from memory: every message
    // asks, and the registry adds and drops a connection exactly when it
    // writes and removes its Connections row.
    bool isRegistered(ConnectionId connection) const;

    // What a logged-in station said at log-in: its kind and, for a judge, its
    // event. Nothing for a connection that is not logged in.
    struct Login {
        StationKind kind = StationKind::Judge;
        QString event;
    };
    std::optional<Login> loginOf(ConnectionId connection) const;

    // Judge station log-in: event, judge name, PIN, judge-number mode (1: the
    // event's judges are told apart by number) and judge number.
    void judgeLogin(ConnectionId connection, const QString& event, const QString& judgeName,
                    const QString& pin, const QString& mode, const QString& number);
    // Score display log-in: display name, PIN and the event it shows ("all"
    // for every event, "NA" from displays too old to say).
    void displayLogin(ConnectionId connection, const QString& displayName, const QString& pin,
                      const QString& eventShown);

    // Remove the first line, from the top, whose text contains both texts.
    void removeJudgeEntry(const QString& address, const QString& event);
    void removeDisplayEntry(const QString& address, const QString& displayName);
    // The row of that first line, or -1.
    int entryRow(StationKind kind, const QString& address, const QString& name) const;

    // The line of a logged-in connection: its kind and row. Two stations on one
    // machine for the same event each keep their own line.
    struct Entry {
        StationKind kind = StationKind::Judge;
        int row = -1;
    };
    Entry entryOf(ConnectionId connection) const;
    // Takes a logged-out connection's line out of its list; the other fields are
    // those of its Connections row, used for a line the registry did not add.
    void removeEntryOf(ConnectionId connection, const QString& type, const QString& address,
                       const QString& name);

    // The connection has ended: forget its row and its list line.
    void connectionClosed(ConnectionId connection);
    // Forgets every station: used when the server stops.
    void clearLists();

    void setPinThrottle(PinThrottle throttle) { mThrottle = std::move(throttle); }

    // A PIN given from `address` against the one expected, held to the same
    // throttle as station log-ins: a wrong operator PIN counts as a wrong
    // station PIN, so guessing either costs the same. `pinName` names the PIN
    // in the operator's alert when guessing starts.
    enum class PinCheck { Right, Wrong, Refused };
    PinCheck checkPin(const QString& address, const QString& given, const QString& expected,
                      const QString& pinName = QStringLiteral("station PIN"));

    // Who a logged-in station is, as its seat shows it.
    struct Seat {
        StationKind kind = StationKind::Judge;
        QString name;        // a judge's event, a display's name
        int judgeNumber = 0; // judges only
        QString eventShown;  // displays only
        QString address;
    };

Q_SIGNALS:
    void stationAdded(StationKind kind, const QString& entry);
    void stationRemoved(StationKind kind, const QString& entry);
    // A connection logged in on a seat, or is logged in no more.
    void seatTaken(ConnectionId connection, const StationRegistry::Seat& seat);
    void seatLeft(ConnectionId connection);
    // A log-in from `address` was refused (a wrong PIN among other reasons).
    void loginRefused(const QString& address);

private:
    bool pinAccepted(ConnectionId connection, const QString& address, const QString& pin,
                     const QString& wrongPinReply);
    QString fieldProblem(const QString& value, int maxLength, const QString& what) const;
    // Stations already logged in under this event or display name (either kind).
    int countByName(const QString& name, std::optional<qint32> judgeNumber);
    // Whether a log-in's row was written; the station is told when it was not.
    bool stored(ConnectionId connection, bool ok);
    void appendEntry(StationKind kind, const QString& entry);
    void removeEntry(StationKind kind, const QString& address, const QString& name);
    void removeRow(StationKind kind, int row);
    void reply(ConnectionId connection, const QString& text);

    MeetDatabase& mDb;
    Settings mSettings;
    StationServer& mServer;
    OperatorAlerts& mAlerts;
    ConnectionsTable mConnections;
    PinThrottle mThrottle;
    QStringListModel mJudgeStations;
    QStringListModel mScoreboards;
    struct Line {
        StationKind kind;
        QString text;
        QString event; // a judge's event
    };
    QHash<ConnectionId, Line> mLines;
};
