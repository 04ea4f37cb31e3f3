#pragma once

#include "db/connectionid.h"
#include "padstate.h"
#include "server/stationkind.h"
#include "server/stationregistry.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QHash>
#include <QJsonObject>
#include <QMap>
#include <QObject>
#include <QSet>
#include <QTimer>

#include <functional>
#include <optional>

class OperatorAlerts;
class ScoringServer;
class StationServer;

// Every seat the meet expects, and how the device on it is doing: a judge's
// seat for each event and judge number of the panel, and a seat for each
// score display that has logged in since the server started. For each seat:
// the device (address, TCP or browser), whether it is logged in, silent or
// gone, its heartbeat round trip, what a browser pad says of its battery and
// outbox, the last score it sent, and the log-ins refused from its address.
// A seat in trouble (empty, silent, battery low, scores stuck in its outbox)
// is marked in words and raises one operator alert when the trouble starts.
class StationSeats : public QObject {
    Q_OBJECT

public:
    static constexpr int DefaultSilentAfterMs = 1000;
    static constexpr int DefaultOutboxWaitMs = 30000;
    static constexpr int LowBattery = 20; // percent
    static constexpr int RoundTripWindowMs = 60000;
    static constexpr int RefreshMs = 1000;

    enum class State { Empty, LoggedIn, Silent, Gone };

    struct Seat {
        StationKind kind = StationKind::Judge;
        QString event;      // a judge's event
        int judge = 0;      // a judge's number
        QString display;    // a display's name
        QString eventShown; // what a display shows
        State state = State::Empty;
        ConnectionId connection = 0; // of the device on it now, 0 when none
        QString address;             // of the device on it now, or last
        QString transport;           // "TCP" or "browser"
        QDateTime since;             // logged in at, or gone at
        qint64 silentSeconds = 0;
        int roundTripMs = -1;      // the last heartbeat's; -1 before one
        int worstRoundTripMs = -1; // the slowest of the last minute
        std::optional<PadState> pad;
        qint64 outboxWaitingSeconds = 0; // since the outbox last was empty
        QString lastScore;
        QDateTime lastScoreAt;
        int refusedLogins = 0; // from the device's address
        QStringList marks;     // the seat's troubles, in words

        // "Vault judge 2", "Scoreboard Hall"
        QString label() const;
        // "logged in", "silent for 4 s", "gone since 14:05", "empty"
        QString stateText() const;
    };

    StationSeats(ScoringServer& server, StationServer& stations,
                 std::function<int()> judgesPerEvent, OperatorAlerts& alerts,
                 QObject* parent = nullptr);

    // Tests shorten the waits.
    void setSilentAfter(int milliseconds) { mSilentAfterMs = milliseconds; }
    void setOutboxWait(int milliseconds) { mOutboxWaitMs = milliseconds; }

    // The seats as they are now: judges by event and number, then displays.
    QList<Seat> seats() const;
    // The same, for the operator's pages.
    QJsonObject toJson() const;

    // What a logged-in browser station said of itself.
    void padStateReported(ConnectionId connection, const PadState& state);

Q_SIGNALS:
    // A station logged in on a seat.
    void seatTaken(ConnectionId connection, const StationSeats::Seat& seat);
    // Something shown may have changed (also once a second while stations
    // are logged in, for the times shown).
    void changed();

private:
    struct Record {
        Seat seat; // identity and what was last known
        ConnectionId connection = 0;
        qint64 roundSentAt = -1; // an unanswered heartbeat's time
        qint64 lastHeard = 0;
        QList<QPair<qint64, int>> trips; // time, round trip
        qint64 outboxSince = -1;
        QSet<QString> alerted; // troubles already told to the operator
    };

    static QString keyOf(StationKind kind, const QString& name, int judge);
    Record* recordOf(ConnectionId connection);
    void take(ConnectionId connection, const StationRegistry::Seat& seat);
    void leave(ConnectionId connection);
    void heartbeatSent(ConnectionId connection);
    void heartbeatAnswered(ConnectionId connection);
    void messageReceived(ConnectionId connection, const QString& message);
    void loginRefused(const QString& address);
    Seat seatOf(const Record& record) const;
    void review();
    void alertOnce(Record& record, const QString& trouble, bool present, const QString& text);

    StationServer& mStations;
    bool mStopping = false; // the server is stopping: leaving seats raise no alert
    std::function<int()> mJudgesPerEvent;
    OperatorAlerts& mAlerts;
    int mSilentAfterMs = DefaultSilentAfterMs;
    int mOutboxWaitMs = DefaultOutboxWaitMs;
    QElapsedTimer mClock;
    QMap<QString, Record> mRecords; // seats that have had a station
    QHash<ConnectionId, QString> mKeys;
    QHash<QString, int> mRefused; // log-ins refused, by address
    QTimer mTimer;
};
