#include "scoresubmission.h"

#include "confirmationhold.h"

#include "db/connectionstable.h"
#include "db/meetdatabase.h"
#include "db/meetevents.h"
#include "db/tables/scorehistorytable.h"
#include "db/tallvanesettings.h"
#include "judgingmessages.h"
#include "scoreboard/scorequeue.h"
#include "server/stationlink.h"
#include "shell/numbertext.h"
#include "shell/operatoralerts.h"
#include "shell/scorerange.h"

#include <algorithm>
#include <utility>

using namespace Qt::Literals::StringLiterals;

namespace {

// What of a panel's score lies outside the meet's range, one sentence each:
// the judges' scores, the start values and the final.
QStringList outOfRange(const SubmittedScore& score, const ScoreRange& range) {
    QStringList problems;
    // Every score is checked: a value's name is made only for a value out of range.
    const auto check = [&](const auto& what, const QString& text) {
        const std::optional<double> value = finiteNumber(QStringView(text).trimmed());
        if (!value || range.contains(*value))
            return;
        const QString problem = range.problem(what(), text);
        if (!problem.isEmpty())
            problems.append(problem);
    };
    const bool vault = MeetEvents::number(score.event) == MeetEvents::Vault;
    const std::pair<QString, const SubmittedScore::Attempt*> attempts[] = {
        {QString(), &score.first}, {u"Vault 2 "_s, &score.second}};
    for (const auto& entry : attempts) {
        // Named, not a structured binding: the lambdas below capture it.
        const QString& prefix = entry.first;
        const SubmittedScore::Attempt* attempt = entry.second;
        if (!prefix.isEmpty() && !vault)
            break;
        for (int judge = 0; judge < SubmittedScore::MaxJudges; ++judge)
            check(
                [&prefix, judge]() -> QString {
                    return prefix + u"Judge "_s + QString::number(judge + 1);
                },
                attempt->judges[size_t(judge)]);
        check([&prefix]() -> QString { return prefix + u"Start"_s; }, attempt->start);
    }
    check([]() -> QString { return u"Final"_s; }, score.finalText);
    return problems;
}

} // namespace

ScoreSubmission::ScoreSubmission(MeetDatabase& db, ScoreQueue& queue, StationLink& link,
                                 OperatorAlerts& alerts)
    : mDb(db)
    , mQueue(queue)
    , mLink(link)
    , mAlerts(alerts)
    , mStore(db, queue)
    , mCheckpoints(db, [this] { return !mWaiting.isEmpty(); }) {
    // A zero interval: the commit runs once the event loop has handled what
    // is ready now, so every score read in this turn joins it.
    mCommitTimer.setSingleShot(true);
    mCommitTimer.setInterval(0);
    QObject::connect(&mCommitTimer, &QTimer::timeout, &mCommitTimer, [this] { commitWaiting(); });
    // The meet's range is read once and kept until its setting changes.
    QObject::connect(&db.changes(), &MeetChanges::committed, &mCommitTimer,
                     [this](const MeetChange& change) {
                         if (change.isWholeMeet() || change.table == TallvaneSettings::TableName)
                             mRange.reset();
                     });
}

ScoreRange ScoreSubmission::range() {
    if (mRange)
        return *mRange;
    QString error;
    const ScoreRange range = ScoreRange::ofMeet(mDb, &error);
    // A range that could not be read is used once, and read again next time.
    if (error.isEmpty())
        mRange = range;
    return range;
}

ScoreSubmission::~ScoreSubmission() {
    commitWaiting();
}

QString ScoreSubmission::stationText(ConnectionId stationId) {
    return stationId == 0 ? u"manual entry"_s : u"station "_s + QString::number(stationId);
}

QString ScoreSubmission::sourceOf(ConnectionId stationId) {
    if (const auto known = mSources.constFind(stationId); known != mSources.cend())
        return *known;
    // Connection ids are never reused while the server runs, so what a
    // station said at log-in holds for all its scores.
    ConnectionsTable connections(mDb);
    const auto judge = connections.judge(stationId);
    QString source = stationText(stationId);
    if (judge && *judge) {
        const ConnectionsTable::JudgeLogin& login = **judge;
        source = u"%1 judge %2 %3"_s.arg(login.event).arg(login.number).arg(login.name).trimmed();
    }
    const QString where = mLink.describe(stationId);
    if (!where.isEmpty())
        source += u", "_s + where;
    if (judge && *judge && !where.isEmpty())
        mSources.insert(stationId, source);
    return source;
}

void ScoreSubmission::submit(ConnectionId stationId, const SubmittedScore& score,
                             const QString& message) {
    mWaiting.append({stationId, {score, true, sourceOf(stationId), message, {}, false, {}}, {}});
    if (!mCommitTimer.isActive())
        mCommitTimer.start();
}

ScoreOutcome ScoreSubmission::enterScore(const SubmittedScore& score, bool noScoreboard,
                                         const QString& reason) {
    mWaiting.append(
        {0,
         {score, !noScoreboard, ScoreHistoryTable::Operator, {}, u"manual entry"_s, false, reason},
         {}});
    return commit().constLast();
}

bool ScoreSubmission::isWaiting(ConnectionId stationId) const {
    return std::any_of(mWaiting.cbegin(), mWaiting.cend(), [stationId](const Waiting& waiting) {
        return waiting.stationId == stationId;
    });
}

void ScoreSubmission::commitWaiting() {
    commit();
}

QList<ScoreOutcome> ScoreSubmission::commit() {
    mCommitTimer.stop();
    if (mWaiting.isEmpty())
        return {};
    // Taken out first: what the reports set off may hand in new scores.
    const QList<Waiting> batch = std::exchange(mWaiting, {});
    QList<ScoreRequest> requests;
    requests.reserve(batch.size());
    for (const Waiting& waiting : batch)
        requests.append(waiting.request);
    const QList<ScoreOutcome> outcomes = mStore.store(requests);
    QList<std::pair<ConnectionId, std::function<void()>>> replies;
    for (qsizetype i = 0; i < batch.size(); ++i) {
        const ConnectionId stationId = batch[i].stationId;
        if (batch[i].request.secondary) {
            if (outcomes[i].stored)
                replies.append({stationId, [this, stationId, fields = batch[i].secondaryFields] {
                                    passOnSecondaryScore(stationId, fields);
                                }});
            else
                report(stationId, outcomes[i]);
            continue;
        }
        if (outcomes[i].stored && stationId != 0)
            replies.append({stationId, [this, stationId] {
                                mLink.sendData(stationId, JudgingMessages::scoreConfirmed());
                            }});
        report(stationId, outcomes[i]);
        if (outcomes[i].stored && !outcomes[i].testScore)
            reportOutOfRange(batch[i], outcomes[i], range());
    }
    release(std::move(replies));
    mCheckpoints.afterCommit();
    return outcomes;
}

void ScoreSubmission::release(QList<std::pair<ConnectionId, std::function<void()>>> replies) {
    if (replies.isEmpty())
        return;
    if (!mHold) {
        for (const auto& [stationId, reply] : replies)
            reply();
        return;
    }
    for (const auto& [stationId, reply] : replies)
        ++mHeld[stationId];
    mHold->afterCommit([this, replies = std::move(replies)] {
        for (const auto& [stationId, reply] : replies) {
            if (--mHeld[stationId] <= 0)
                mHeld.remove(stationId);
            reply();
        }
    });
}

void ScoreSubmission::afterConfirmations(ConnectionId stationId, std::function<void()> answer) {
    // The hold releases in commit order: an answer held after the station's
    // confirmations goes after them.
    if (mHold && mHeld.contains(stationId))
        mHold->afterCommit(std::move(answer));
    else
        answer();
}

void ScoreSubmission::report(ConnectionId stationId, const ScoreOutcome& outcome) {
    if (!outcome.stored) {
        mAlerts.raise(u"Score %1 for gymnast %2 (%3) from %4 was NOT stored: %5"_s.arg(
            OperatorAlerts::stationValue(outcome.finalText),
            OperatorAlerts::stationValue(outcome.num), OperatorAlerts::stationValue(outcome.event),
            stationText(stationId), outcome.error));
        return;
    }
    if (outcome.toShow)
        mQueue.show(*outcome.toShow);
    if (outcome.unknownGymnast && !outcome.testScore)
        mAlerts.raise(u"Score for unknown competitor number %1: %2 %3 from %4"_s.arg(
            OperatorAlerts::stationValue(outcome.num), OperatorAlerts::stationValue(outcome.event),
            OperatorAlerts::stationValue(outcome.finalText), stationText(stationId)));
}

// A score outside the meet's range is stored and confirmed like any other (the
// panel may know better), but the operator hears of it.
void ScoreSubmission::reportOutOfRange(const Waiting& waiting, const ScoreOutcome& outcome,
                                       const ScoreRange& range) {
    const QStringList problems = outOfRange(waiting.request.score, range);
    if (problems.isEmpty())
        return;
    const QString gymnast =
        outcome.gymnastName.isEmpty() ? outcome.num : outcome.num + u' ' + outcome.gymnastName;
    mAlerts.raise(u"Score out of range for %1, %2, from %3 (stored and confirmed): %4"_s.arg(
        gymnast, outcome.event, stationText(waiting.stationId), problems.join(u' ')));
}

void ScoreSubmission::forwardSecondaryScore(ConnectionId stationId, const QStringList& fields) {
    ScoreRequest request;
    request.score.num = fields.value(1);
    request.score.event = fields.value(3);
    request.score.finalText = fields.value(4); // the judge's score, for an alert
    request.source = sourceOf(stationId);
    request.message = fields.join(u'|');
    request.secondary = true;
    mWaiting.append({stationId, request, fields});
    if (!mCommitTimer.isActive())
        mCommitTimer.start();
}

void ScoreSubmission::passOnSecondaryScore(ConnectionId stationId, const QStringList& fields) {
    const auto field = [&fields](int index) {
        return fields.value(index);
    };
    const QString event = field(3);
    const QString secondVault =
        event.compare(MeetEvents::name(MeetEvents::Vault), Qt::CaseInsensitive) == 0 ? field(5)
                                                                                     : QString();
    ConnectionsTable connections(mDb);
    const auto primary = connections.primaryJudge(event);
    if (!primary) {
        mAlerts.raise(u"A secondary score for %1 from %2 could not be passed on: %3"_s.arg(
            OperatorAlerts::stationValue(event), stationText(stationId), connections.lastError()));
    }
    for (const ConnectionId judge : primary.value_or(QList<ConnectionId>{}))
        mLink.sendData(judge, JudgingMessages::secondaryScore(field(2), field(4), secondVault));
    mLink.sendData(stationId, JudgingMessages::scoreConfirmed());
}
