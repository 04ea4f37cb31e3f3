#pragma once

#include "db/connectionid.h"
#include "idlecheckpoints.h"
#include "scorestore.h"
#include "shell/scorerange.h"

#include <QHash>
#include <QList>
#include <QTimer>

#include <functional>
#include <optional>

class ConfirmationHold;
class MeetDatabase;
class OperatorAlerts;
class ScoreQueue;
class StationLink;

// A panel's score arriving from its primary judge station ("SENDSCORE") or
// from the operator's manual entry (station 0). The station is told
// "SCORECONFIRM|0" only once the score is committed; a score that could not
// be stored gets no confirmation and the operator an alert. A score outside
// the meet's range (0 to its maximum score) is stored and confirmed, and the
// operator alerted.
//
// Scores are committed in groups: the scores of stations that arrive in the
// same turn of the event loop, or while the last commit was writing, share one
// transaction and one disk sync. A lone score is committed as soon as the
// event loop is free, with no waiting. Confirmations go out after the commit
// in the order the scores arrived, which is also their order in the queue.
class ScoreSubmission {
public:
    ScoreSubmission(MeetDatabase& db, ScoreQueue& queue, StationLink& link, OperatorAlerts& alerts);
    ~ScoreSubmission();
    ScoreSubmission(const ScoreSubmission&) = delete;
    ScoreSubmission& operator=(const ScoreSubmission&) = delete;

    // A station's score (`message` as it was sent): it joins the scores
    // waiting for the next commit.
    void submit(ConnectionId stationId, const SubmittedScore& score, const QString& message);
    // The operator's score, committed at once with the scores waiting before
    // it. With `noScoreboard` the score is stored only: not queued. It
    // decides an open inquiry against the event's score, for `reason`.
    ScoreOutcome enterScore(const SubmittedScore& score, bool noScoreboard,
                            const QString& reason = {});

    // What the confirmations of each commit wait for, if anything (not owned;
    // null: they go at once).
    void setConfirmationHold(ConfirmationHold* hold) {
        mHold = hold;
        mHeld.clear();
    }

    // Commits the waiting scores now, for what must see them first.
    void commitWaiting();
    bool isWaiting(ConnectionId stationId) const;
    // Runs `answer` once the station's committed scores are confirmed, so
    // that it hears of them in the order it sent them.
    void afterConfirmations(ConnectionId stationId, std::function<void()> answer);

    // "SENDSCORE2" (its fields): a secondary judge's score joins the scores
    // waiting for the next commit, which records it in the score history;
    // then it goes to the event's judge 1 station as "SECONDARYSCORE|", and
    // the sender is confirmed.
    void forwardSecondaryScore(ConnectionId stationId, const QStringList& fields);

private:
    struct Waiting {
        ConnectionId stationId;
        ScoreRequest request;
        QStringList secondaryFields; // a secondary judge's message
    };

    // Commits the waiting scores; their outcomes in arrival order.
    QList<ScoreOutcome> commit();
    // What follows the commit of one score: the results change, the station's
    // confirmation, the queue grid row, the operator's alerts.
    void report(ConnectionId stationId, const ScoreOutcome& outcome);
    void reportOutOfRange(const Waiting& waiting, const ScoreOutcome& outcome,
                          const ScoreRange& range);
    void passOnSecondaryScore(ConnectionId stationId, const QStringList& fields);
    // Sends what the stations are told once the commit may be confirmed.
    void release(QList<std::pair<ConnectionId, std::function<void()>>> replies);
    static QString stationText(ConnectionId stationId);
    // The station as the score history names it, looked up once per connection.
    QString sourceOf(ConnectionId stationId);
    // The meet's range of scores, read once while its setting stays the same.
    ScoreRange range();

    MeetDatabase& mDb;
    ScoreQueue& mQueue;
    StationLink& mLink;
    OperatorAlerts& mAlerts;
    ScoreStore mStore;
    QList<Waiting> mWaiting;
    IdleCheckpoints mCheckpoints;
    QHash<ConnectionId, QString> mSources;
    QTimer mCommitTimer;
    ConfirmationHold* mHold = nullptr;
    QHash<ConnectionId, int> mHeld; // confirmations held per station
    std::optional<ScoreRange> mRange;
};
