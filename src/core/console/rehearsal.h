#pragma once

#include "db/connectionid.h"
#include "server/stationkind.h"
#include "stationseats.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QHash>
#include <QJsonObject>
#include <QList>
#include <QObject>
#include <QTimer>

class HeartbeatMonitor;
class OperatorAlerts;
class StationServer;

// The dress rehearsal before the first gymnast: every seat is asked to prove
// that it works. A browser judge pad shows "Rehearsal: tap OK" with its seat
// until the judge taps it; a browser board shows its name and event full
// screen for BoardSeconds and says so by itself; a TCP station is asked for
// a heartbeat. The browser's message ("REHEARSAL|number|seconds|name|detail",
// answered "REHEARSALOK|number") goes to browser stations only. The result is
// a list of the seats of StationSeats, each answered (with the time it took),
// not answered, or empty. Judge 1's pad, once tapped, sends the meet's test
// score (gymnast 999): a line per event follows it until one of the event's
// boards has shown it and said so. One rehearsal runs at a time, for a fixed
// time; a station that logs in on a seat while it runs is asked as well, and
// the last result stays until the next rehearsal starts.
class Rehearsal : public QObject {
    Q_OBJECT

public:
    static constexpr auto Command = "REHEARSAL";
    static constexpr auto AnswerCommand = "REHEARSALOK";
    static constexpr int DefaultTimeLimitMs = 60000;
    static constexpr int BoardSeconds = 20;

    // How a seat proves itself.
    enum class Check { Tap, Shown, Heartbeat, TestScore };
    enum class Result { Empty, Waiting, Answered, NoAnswer };

    struct Line {
        QString seat; // "Vault judge 2", "Scoreboard Hall"
        StationKind kind = StationKind::Judge;
        QString event; // a judge's
        int judge = 0; // a judge's number
        QString address;
        QString transport; // "TCP" or "browser"; empty for an empty seat
        Check check = Check::Heartbeat;
        Result result = Result::Empty;
        int answerMs = -1; // from the question to the answer

        // "answered in 840 ms", "answered in 3.2 s", "no answer", "empty", "waiting"
        QString resultText() const;
        // "tap on the pad", "shown on the board", "heartbeat", "test score to the
        // boards"; empty for an empty seat
        QString checkText() const;
    };

    Rehearsal(StationSeats& seats, StationServer& stations, HeartbeatMonitor& heartbeats,
              OperatorAlerts& alerts, QObject* parent = nullptr);

    // Tests shorten the rehearsal.
    void setTimeLimit(int milliseconds) { mTimeLimitMs = milliseconds; }

    // Asks every seat; false, with the reason, while one is running already.
    bool start(QString* refusal = nullptr);
    bool isRunning() const { return mTimer.isActive(); }
    // 0 before the first rehearsal.
    int number() const { return mNumber; }
    QDateTime startedAt() const { return mStartedAt; }
    int secondsLeft() const;
    // The seats of the running or last rehearsal, in the order of StationSeats.
    QList<Line> lines() const { return mLines; }
    // "12 answered, 1 no answer, 3 empty"
    QString summary() const;
    // "No rehearsal yet.", "Rehearsal running, 42 s left: ...", "Rehearsal of 14:05:10: ..."
    QString statusText() const;
    // The same, for the operator's pages.
    QJsonObject toJson() const;

    // A browser station's "REHEARSALOK|number" (its fields).
    void answered(ConnectionId connection, const QStringList& fields);

Q_SIGNALS:
    // The list or the time left has changed.
    void changed();
    // The rehearsal is over; lines() holds its result.
    void finished();

private:
    void addLine(const StationSeats::Seat& seat);
    void ask(qsizetype line, const StationSeats::Seat& seat);
    void seatTaken(ConnectionId connection, const StationSeats::Seat& seat);
    void heartbeatAnswered(ConnectionId connection);
    void answer(ConnectionId connection, bool heartbeat);
    void expectTestScore(const Line& judgeOne);
    void messageReceived(ConnectionId connection, const QString& message);
    void markAnswered(qsizetype line);
    void finish();

    StationSeats& mSeats;
    StationServer& mStations;
    OperatorAlerts& mAlerts;
    int mTimeLimitMs = DefaultTimeLimitMs;
    int mNumber = 0;
    QDateTime mStartedAt;
    QElapsedTimer mClock;
    QTimer mTimer;     // the end
    QTimer mCountdown; // the seconds left, shown
    QList<Line> mLines;
    QList<qint64> mAskedAt;                // per line, -1 until asked
    QHash<ConnectionId, qsizetype> mAsked; // the line each asked station answers for
    QHash<QString, qsizetype> mTestScores; // the test score's line, by event
};
