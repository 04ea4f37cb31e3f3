#include "rehearsal.h"

#include "scoreboard/queueentry.h"
#include "server/heartbeatmonitor.h"
#include "server/stationserver.h"
#include "shell/operatoralerts.h"

#include <QJsonArray>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace {

QString resultWord(Rehearsal::Result result) {
    switch (result) {
    case Rehearsal::Result::Waiting:
        return u"waiting"_s;
    case Rehearsal::Result::Answered:
        return u"answered"_s;
    case Rehearsal::Result::NoAnswer:
        return u"no answer"_s;
    case Rehearsal::Result::Empty:
        break;
    }
    return u"empty"_s;
}

QString checkWord(Rehearsal::Check check) {
    switch (check) {
    case Rehearsal::Check::Tap:
        return u"tap"_s;
    case Rehearsal::Check::Shown:
        return u"shown"_s;
    case Rehearsal::Check::TestScore:
        return u"test score"_s;
    case Rehearsal::Check::Heartbeat:
        break;
    }
    return u"heartbeat"_s;
}

} // namespace

QString Rehearsal::Line::resultText() const {
    if (result != Result::Answered)
        return resultWord(result);
    if (answerMs < 1000)
        return u"answered in %1 ms"_s.arg(answerMs);
    return u"answered in %1 s"_s.arg(answerMs / 1000.0, 0, 'f', 1);
}

QString Rehearsal::Line::checkText() const {
    if (transport.isEmpty())
        return {};
    switch (check) {
    case Check::Tap:
        return u"tap on the pad"_s;
    case Check::Shown:
        return u"shown on the board"_s;
    case Check::TestScore:
        return u"test score to the boards"_s;
    case Check::Heartbeat:
        break;
    }
    return u"heartbeat"_s;
}

Rehearsal::Rehearsal(StationSeats& seats, StationServer& stations, HeartbeatMonitor& heartbeats,
                     OperatorAlerts& alerts, QObject* parent)
    : QObject(parent)
    , mSeats(seats)
    , mStations(stations)
    , mAlerts(alerts) {
    mTimer.setSingleShot(true);
    connect(&mTimer, &QTimer::timeout, this, &Rehearsal::finish);
    mCountdown.setInterval(1000);
    connect(&mCountdown, &QTimer::timeout, this, &Rehearsal::changed);
    // Asked once its log-in has been answered: a station waits for that first.
    connect(&seats, &StationSeats::seatTaken, this,
            [this](ConnectionId connection, const StationSeats::Seat& seat) {
                QTimer::singleShot(0, this, [this, connection, seat] {
                    if (mStations.isConnected(connection))
                        seatTaken(connection, seat);
                });
            });
    connect(&heartbeats, &HeartbeatMonitor::heartbeatAnswered, this, &Rehearsal::heartbeatAnswered);
    connect(&stations, &StationServer::messageReceived, this, &Rehearsal::messageReceived);
}

bool Rehearsal::start(QString* refusal) {
    if (isRunning()) {
        if (refusal)
            *refusal = u"A rehearsal is already running: it ends in %1 s."_s.arg(secondsLeft());
        return false;
    }
    ++mNumber;
    mStartedAt = QDateTime::currentDateTime();
    mClock.start();
    mLines.clear();
    mAskedAt.clear();
    mAsked.clear();
    mTestScores.clear();
    mTimer.start(mTimeLimitMs);
    mCountdown.start();
    const QList<StationSeats::Seat> seats = mSeats.seats();
    for (const StationSeats::Seat& seat : seats) {
        addLine(seat);
        if (seat.connection != 0)
            ask(mLines.size() - 1, seat);
    }
    Q_EMIT changed();
    // Nobody to ask: the result is already there.
    if (mAsked.isEmpty())
        finish();
    return true;
}

void Rehearsal::addLine(const StationSeats::Seat& seat) {
    Line line;
    line.seat = seat.label();
    line.kind = seat.kind;
    line.event = seat.event;
    line.judge = seat.judge;
    mLines.append(line);
    mAskedAt.append(-1);
}

int Rehearsal::secondsLeft() const {
    return isRunning() ? (mTimer.remainingTime() + 999) / 1000 : 0;
}

// A browser pad waits for its judge until the rehearsal ends; a board shows
// itself for a while and answers at once; anything else answers a heartbeat.
void Rehearsal::ask(qsizetype line, const StationSeats::Seat& seat) {
    Line& asked = mLines[line];
    asked.address = seat.address;
    asked.transport = seat.transport;
    asked.result = Result::Waiting;
    const bool browser = seat.transport == u"browser"_s;
    const bool judge = seat.kind == StationKind::Judge;
    asked.check = !browser ? Check::Heartbeat : judge ? Check::Tap : Check::Shown;
    // The time is the seat's: a pad that logs in again keeps its first question's.
    if (mAskedAt[line] < 0)
        mAskedAt[line] = mClock.elapsed();
    mAsked.insert(seat.connection, line);
    if (!browser) {
        mStations.sendData(seat.connection, u"HEARTBEAT|"_s + QString::number(seat.connection));
        return;
    }
    const int seconds = judge ? secondsLeft() : BoardSeconds;
    const QString name = judge ? seat.event : seat.display;
    const QString detail = judge ? QString::number(seat.judge) : seat.eventShown;
    mStations.sendData(seat.connection, u"%1|%2|%3|%4|%5"_s.arg(QLatin1StringView(Command))
                                            .arg(mNumber)
                                            .arg(seconds)
                                            .arg(name, detail));
}

// A station that logs in while the rehearsal runs is asked too, unless its
// seat has answered already.
void Rehearsal::seatTaken(ConnectionId connection, const StationSeats::Seat& seat) {
    if (!isRunning())
        return;
    qsizetype line = 0;
    while (line < mLines.size() && mLines[line].seat != seat.label())
        ++line;
    if (line == mLines.size())
        addLine(seat);
    if (mLines[line].result == Result::Answered)
        return;
    for (auto it = mAsked.begin(); it != mAsked.end();) {
        it = it.value() == line ? mAsked.erase(it) : std::next(it);
    }
    StationSeats::Seat asked = seat;
    asked.connection = connection;
    ask(line, asked);
    Q_EMIT changed();
}

void Rehearsal::answered(ConnectionId connection, const QStringList& fields) {
    // An answer to an earlier rehearsal counts for nothing.
    if (fields.size() < 2 || fields[1].trimmed() != QString::number(mNumber))
        return;
    answer(connection, false);
}

void Rehearsal::heartbeatAnswered(ConnectionId connection) {
    answer(connection, true);
}

// A browser pad's heartbeat is no tap: each seat answers the way it was asked.
void Rehearsal::answer(ConnectionId connection, bool heartbeat) {
    const auto found = mAsked.constFind(connection);
    if (!isRunning() || found == mAsked.cend())
        return;
    const qsizetype line = *found;
    if ((mLines[line].check == Check::Heartbeat) != heartbeat ||
        mLines[line].result != Result::Waiting)
        return;
    mAsked.erase(found);
    if (mLines[line].check == Check::Tap && mLines[line].judge == 1)
        expectTestScore(mLines[line]);
    markAnswered(line);
}

// The test score goes from judge 1's pad to the event's boards; the first
// board to confirm it brings it back.
void Rehearsal::expectTestScore(const Line& judgeOne) {
    if (mTestScores.contains(judgeOne.event))
        return;
    Line line = judgeOne;
    line.seat = judgeOne.event + u" test score"_s;
    line.check = Check::TestScore;
    line.result = Result::Waiting;
    mTestScores.insert(line.event, mLines.size());
    mLines.append(line);
    mAskedAt.append(mClock.elapsed());
}

void Rehearsal::messageReceived(ConnectionId connection, const QString& message) {
    if (!isRunning() || !message.startsWith(u"CONFIRMSCORE|"_s))
        return;
    const QStringList fields = message.split(u'|');
    const qsizetype line = mTestScores.value(fields.value(2), -1);
    if (line < 0 || fields[1] != QueueEntry::TestGymnastNumber ||
        mLines[line].result != Result::Waiting)
        return;
    const QList<StationSeats::Seat> seats = mSeats.seats();
    const bool fromBoard =
        std::any_of(seats.cbegin(), seats.cend(), [connection](const auto& seat) {
            return seat.connection == connection && seat.kind == StationKind::Display;
        });
    if (fromBoard)
        markAnswered(line);
}

void Rehearsal::markAnswered(qsizetype line) {
    mLines[line].result = Result::Answered;
    mLines[line].answerMs = int(mClock.elapsed() - mAskedAt[line]);
    Q_EMIT changed();
    const bool waiting = std::any_of(mLines.cbegin(), mLines.cend(), [](const Line& other) {
        return other.result == Result::Waiting;
    });
    if (!waiting)
        finish();
}

void Rehearsal::finish() {
    mTimer.stop();
    mCountdown.stop();
    mAsked.clear();
    QStringList silent;
    for (Line& line : mLines) {
        if (line.result == Result::Waiting) {
            line.result = Result::NoAnswer;
            silent.append(line.seat);
        }
    }
    if (!silent.isEmpty())
        mAlerts.raise(
            u"The rehearsal ended without an answer from %1."_s.arg(silent.join(u", "_s)));
    Q_EMIT changed();
    Q_EMIT finished();
}

QString Rehearsal::summary() const {
    int counts[4] = {};
    for (const Line& line : mLines)
        ++counts[int(line.result)];
    QStringList parts;
    const std::pair<Result, QString> words[] = {{Result::Answered, u"answered"_s},
                                                {Result::Waiting, u"waiting"_s},
                                                {Result::NoAnswer, u"no answer"_s},
                                                {Result::Empty, u"empty"_s}};
    for (const auto& [result, word] : words) {
        if (counts[int(result)] > 0)
            parts.append(u"%1 %2"_s.arg(counts[int(result)]).arg(word));
    }
    return parts.join(u", "_s);
}

QString Rehearsal::statusText() const {
    if (mNumber == 0)
        return u"No rehearsal yet."_s;
    if (isRunning())
        return u"Rehearsal running, %1 s left: %2"_s.arg(secondsLeft()).arg(summary());
    return u"Rehearsal of %1: %2"_s.arg(mStartedAt.toString(u"HH:mm:ss"_s), summary());
}

QJsonObject Rehearsal::toJson() const {
    QJsonArray seats;
    for (const Line& line : mLines) {
        seats.append(QJsonObject{
            {u"seat"_s, line.seat},
            {u"kind"_s, line.kind == StationKind::Judge ? u"judge"_s : u"display"_s},
            {u"address"_s, line.address},
            {u"transport"_s, line.transport},
            {u"check"_s, line.transport.isEmpty() ? QString() : checkWord(line.check)},
            {u"checkText"_s, line.checkText()},
            {u"result"_s, resultWord(line.result)},
            {u"resultText"_s, line.resultText()},
            {u"answerMs"_s, line.answerMs < 0 ? QJsonValue() : QJsonValue(line.answerMs)}});
    }
    return {{u"number"_s, mNumber},
            {u"running"_s, isRunning()},
            {u"startedAt"_s, mStartedAt.toString(u"HH:mm:ss"_s)},
            {u"secondsLeft"_s, secondsLeft()},
            {u"summary"_s, summary()},
            {u"status"_s, statusText()},
            {u"seats"_s, seats}};
}
