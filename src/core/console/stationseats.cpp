#include "stationseats.h"

#include "db/meetevents.h"
#include "judging/submittedscore.h"
#include "server/scoringserver.h"
#include "server/stationserver.h"
#include "shell/operatoralerts.h"

#include <QJsonArray>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace {

QString stateWord(StationSeats::State state) {
    switch (state) {
    case StationSeats::State::LoggedIn:
        return u"logged in"_s;
    case StationSeats::State::Silent:
        return u"silent"_s;
    case StationSeats::State::Gone:
        return u"gone"_s;
    case StationSeats::State::Empty:
        break;
    }
    return u"empty"_s;
}

QJsonValue orNull(int value) {
    return value < 0 ? QJsonValue() : QJsonValue(value);
}

} // namespace

QString StationSeats::Seat::label() const {
    return kind == StationKind::Judge ? u"%1 judge %2"_s.arg(event).arg(judge)
                                      : u"Scoreboard "_s + display;
}

QString StationSeats::Seat::stateText() const {
    switch (state) {
    case State::LoggedIn:
        return u"logged in"_s;
    case State::Silent:
        return u"silent for %1 s"_s.arg(silentSeconds);
    case State::Gone:
        return u"gone since "_s + since.toString(u"HH:mm"_s);
    case State::Empty:
        break;
    }
    return u"empty"_s;
}

StationSeats::StationSeats(ScoringServer& server, StationServer& stations,
                           std::function<int()> judgesPerEvent, OperatorAlerts& alerts,
                           QObject* parent)
    : QObject(parent)
    , mStations(stations)
    , mJudgesPerEvent(std::move(judgesPerEvent))
    , mAlerts(alerts) {
    mClock.start();
    StationRegistry& registry = server.registry();
    connect(&registry, &StationRegistry::seatTaken, this, &StationSeats::take);
    connect(&registry, &StationRegistry::seatLeft, this, &StationSeats::leave);
    connect(&registry, &StationRegistry::loginRefused, this, &StationSeats::loginRefused);
    connect(&server, &ScoringServer::operatorLoginRefused, this, &StationSeats::loginRefused);
    // Stations logged out by the server's own stop are not empty seats to tell of.
    connect(&server, &ScoringServer::stopping, this, [this] { mStopping = true; });
    connect(&server.heartbeats(), &HeartbeatMonitor::heartbeatSent, this,
            &StationSeats::heartbeatSent);
    connect(&server.heartbeats(), &HeartbeatMonitor::heartbeatAnswered, this,
            &StationSeats::heartbeatAnswered);
    connect(&stations, &StationServer::messageReceived, this, &StationSeats::messageReceived);
    mTimer.setInterval(RefreshMs);
    connect(&mTimer, &QTimer::timeout, this, &StationSeats::review);
}

QString StationSeats::keyOf(StationKind kind, const QString& name, int judge) {
    // Judges sort by event, then number; displays after them, by name.
    if (kind == StationKind::Judge)
        return u"J%1|%2"_s.arg(MeetEvents::names().indexOf(name)).arg(judge, 2, 10, QChar(u'0'));
    return u"K|"_s + name;
}

StationSeats::Record* StationSeats::recordOf(ConnectionId connection) {
    const auto key = mKeys.constFind(connection);
    return key == mKeys.cend() ? nullptr : &mRecords[*key];
}

void StationSeats::take(ConnectionId connection, const StationRegistry::Seat& seat) {
    // A judge's event is shown as the meet names it, whatever case was sent.
    QString event = seat.name;
    for (const QString& name : MeetEvents::names()) {
        if (seat.kind == StationKind::Judge && name.compare(event, Qt::CaseInsensitive) == 0)
            event = name;
    }
    const QString key = keyOf(seat.kind, event, seat.judgeNumber);
    Record& record = mRecords[key];
    record = Record{};
    record.seat.kind = seat.kind;
    if (seat.kind == StationKind::Judge) {
        record.seat.event = event;
        record.seat.judge = seat.judgeNumber;
    } else {
        record.seat.display = seat.name;
        record.seat.eventShown = seat.eventShown;
    }
    record.seat.address = seat.address;
    record.seat.transport = mStations.transport(connection);
    record.seat.since = QDateTime::currentDateTime();
    record.connection = connection;
    record.lastHeard = mClock.elapsed();
    mKeys.insert(connection, key);
    mStopping = false; // serving again
    mTimer.start();
    Q_EMIT seatTaken(connection, seatOf(record));
    Q_EMIT changed();
}

void StationSeats::leave(ConnectionId connection) {
    Record* record = recordOf(connection);
    mKeys.remove(connection);
    if (!record)
        return;
    record->connection = 0;
    record->roundSentAt = -1;
    record->seat.since = QDateTime::currentDateTime();
    record->alerted.clear();
    // A seat the meet counts on: its judge, or a board that was showing.
    if (!mStopping)
        mAlerts.raise(u"%1 (%2) is gone: the seat is empty since %3."_s.arg(
            record->seat.label(), record->seat.address,
            record->seat.since.toString(u"HH:mm:ss"_s)));
    Q_EMIT changed();
}

void StationSeats::heartbeatSent(ConnectionId connection) {
    Record* record = recordOf(connection);
    if (record && record->roundSentAt < 0)
        record->roundSentAt = mClock.elapsed();
}

void StationSeats::heartbeatAnswered(ConnectionId connection) {
    Record* record = recordOf(connection);
    if (!record || record->roundSentAt < 0)
        return;
    const qint64 now = mClock.elapsed();
    record->trips.append({now, int(now - record->roundSentAt)});
    while (record->trips.first().first < now - RoundTripWindowMs)
        record->trips.removeFirst();
    record->roundSentAt = -1;
    record->lastHeard = now;
    Q_EMIT changed();
}

void StationSeats::messageReceived(ConnectionId connection, const QString& message) {
    Record* record = recordOf(connection);
    if (!record)
        return;
    record->lastHeard = mClock.elapsed();
    const QStringList fields = message.split(u'|');
    QString score;
    if (fields.first() == u"SENDSCORE"_s) {
        const SubmittedScore sent = SubmittedScore::fromFields(fields);
        score = u"#%1 %2"_s.arg(sent.num, sent.finalText);
    } else if (fields.first() == u"SENDSCORE2"_s && fields.size() > 4) {
        score = u"#%1 %2"_s.arg(fields[1], fields[4]);
    }
    if (score.isEmpty())
        return;
    record->seat.lastScore = OperatorAlerts::stationValue(score);
    record->seat.lastScoreAt = QDateTime::currentDateTime();
    Q_EMIT changed();
}

void StationSeats::loginRefused(const QString& address) {
    // The network of a gym has few addresses; a flood is counted, not kept apart.
    if (mRefused.size() < 4096 || mRefused.contains(address))
        ++mRefused[address];
    Q_EMIT changed();
}

void StationSeats::padStateReported(ConnectionId connection, const PadState& state) {
    Record* record = recordOf(connection);
    if (!record)
        return;
    if (state.outbox == 0)
        record->outboxSince = -1;
    else if (record->outboxSince < 0)
        record->outboxSince = mClock.elapsed();
    record->seat.pad = state;
    review();
}

StationSeats::Seat StationSeats::seatOf(const Record& record) const {
    Seat seat = record.seat;
    seat.connection = record.connection;
    const qint64 now = mClock.elapsed();
    seat.refusedLogins = mRefused.value(seat.address);
    if (record.connection == 0) {
        seat.state = State::Gone;
        seat.pad.reset();
        seat.marks.append(u"Empty seat"_s);
        return seat;
    }
    seat.state = State::LoggedIn;
    if (record.roundSentAt >= 0 && now - record.roundSentAt > mSilentAfterMs) {
        seat.state = State::Silent;
        seat.silentSeconds = (now - record.lastHeard) / 1000;
        seat.marks.append(u"Silent"_s);
    }
    if (!record.trips.isEmpty()) {
        seat.roundTripMs = record.trips.last().second;
        for (const auto& [time, trip] : record.trips) {
            if (time >= now - RoundTripWindowMs)
                seat.worstRoundTripMs = std::max(seat.worstRoundTripMs, trip);
        }
    }
    if (seat.pad && seat.pad->battery && *seat.pad->battery < LowBattery)
        seat.marks.append(u"Battery low: %1 %"_s.arg(*seat.pad->battery));
    if (record.outboxSince >= 0) {
        seat.outboxWaitingSeconds = (now - record.outboxSince) / 1000;
        if (now - record.outboxSince > mOutboxWaitMs)
            seat.marks.append(u"%1 scores waiting for %2 s"_s.arg(seat.pad->outbox)
                                  .arg(seat.outboxWaitingSeconds));
    }
    return seat;
}

QList<StationSeats::Seat> StationSeats::seats() const {
    const int judges = mJudgesPerEvent ? mJudgesPerEvent() : 0;
    QMap<QString, Seat> expected;
    for (const QString& event : MeetEvents::names()) {
        for (int judge = 1; judge <= judges; ++judge) {
            Seat seat;
            seat.event = event;
            seat.judge = judge;
            seat.marks.append(u"Empty seat"_s);
            expected.insert(keyOf(StationKind::Judge, event, judge), seat);
        }
    }
    for (auto it = mRecords.cbegin(); it != mRecords.cend(); ++it)
        expected.insert(it.key(), seatOf(*it));
    return expected.values();
}

QJsonObject StationSeats::toJson() const {
    QJsonArray list;
    for (const Seat& seat : seats()) {
        const bool judge = seat.kind == StationKind::Judge;
        QJsonObject item{{u"seat"_s, seat.label()},
                         {u"kind"_s, judge ? u"judge"_s : u"display"_s},
                         {u"state"_s, stateWord(seat.state)},
                         {u"stateText"_s, seat.stateText()},
                         {u"address"_s, seat.address},
                         {u"transport"_s, seat.transport},
                         {u"roundTripMs"_s, orNull(seat.roundTripMs)},
                         {u"worstRoundTripMs"_s, orNull(seat.worstRoundTripMs)},
                         {u"lastScore"_s, seat.lastScore},
                         {u"lastScoreAt"_s, seat.lastScoreAt.toString(u"HH:mm:ss"_s)},
                         {u"refusedLogins"_s, seat.refusedLogins},
                         {u"marks"_s, QJsonArray::fromStringList(seat.marks)}};
        if (judge) {
            item.insert(u"event"_s, seat.event);
            item.insert(u"judge"_s, seat.judge);
        } else {
            item.insert(u"display"_s, seat.display);
            item.insert(u"eventShown"_s, seat.eventShown);
        }
        const bool pad = seat.pad.has_value();
        item.insert(u"battery"_s,
                    pad && seat.pad->battery ? QJsonValue(*seat.pad->battery) : QJsonValue());
        item.insert(u"charging"_s,
                    pad && seat.pad->charging ? QJsonValue(*seat.pad->charging) : QJsonValue());
        item.insert(u"outbox"_s, pad ? QJsonValue(seat.pad->outbox) : QJsonValue());
        item.insert(u"outboxWaitingSeconds"_s, int(seat.outboxWaitingSeconds));
        item.insert(u"agent"_s, pad ? seat.pad->agent : QString());
        list.append(item);
    }
    return {{u"judgesPerEvent"_s, mJudgesPerEvent ? mJudgesPerEvent() : 0},
            {u"time"_s, QDateTime::currentDateTime().toString(u"HH:mm:ss"_s)},
            {u"seats"_s, list}};
}

void StationSeats::alertOnce(Record& record, const QString& trouble, bool present,
                             const QString& text) {
    if (!present) {
        record.alerted.remove(trouble);
    } else if (!record.alerted.contains(trouble)) {
        record.alerted.insert(trouble);
        mAlerts.raise(text);
    }
}

// Raises an alert as each trouble starts; the times shown move on.
void StationSeats::review() {
    for (Record& record : mRecords) {
        if (record.connection == 0)
            continue;
        const Seat seat = seatOf(record);
        const QString who = u"%1 (%2)"_s.arg(seat.label(), seat.address);
        const auto has = [&seat](const QString& start) {
            return std::any_of(seat.marks.cbegin(), seat.marks.cend(),
                               [&start](const QString& mark) { return mark.startsWith(start); });
        };
        alertOnce(record, u"silent"_s, seat.state == State::Silent,
                  who + u" is silent: it did not answer a heartbeat."_s);
        alertOnce(record, u"battery"_s, has(u"Battery low"_s),
                  u"%1: battery at %2 %."_s.arg(who).arg(seat.pad ? *seat.pad->battery : 0));
        const bool stuck =
            record.outboxSince >= 0 && mClock.elapsed() - record.outboxSince > mOutboxWaitMs;
        alertOnce(record, u"outbox"_s, stuck,
                  u"%1: %2 scores have waited in its outbox for over %3 s."_s.arg(who)
                      .arg(seat.pad ? seat.pad->outbox : 0)
                      .arg(mOutboxWaitMs / 1000));
    }
    if (mKeys.isEmpty())
        mTimer.stop();
    Q_EMIT changed();
}
