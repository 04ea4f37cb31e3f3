#pragma once

#include "scoreboard/queueentry.h"
#include "submittedscore.h"

#include <QDateTime>
#include <QList>
#include <QString>

#include <optional>

class MeetDatabase;
class ScoreHistoryTable;
class ScoreQueue;

// What became of one submitted score.
struct ScoreOutcome {
    bool stored = false; // committed (a test score: its queue row only)
    QString error;       // why it was refused or not stored
    QString num;
    QString gymnastName; // first and last name; empty for an unknown gymnast
    QString session;     // the gymnast's session; empty for an unknown gymnast
    QString event;
    QString finalText; // the final as sent
    bool testScore = false;
    bool unknownGymnast = false;
    std::optional<QueueEntry> toShow; // the queue grid row, once confirmed
};

// One score to store, whether it goes into the scoreboard queue, and what the
// score history says of where it came from.
struct ScoreRequest {
    SubmittedScore score;
    bool queueForScoreboard = true;
    QString source;  // the station (event, judge, address, transport) or "operator"
    QString message; // the station's message as it was sent
    QString note;
    // A secondary judge's score on its way to judge 1: only the history
    // records it; `score` holds its number and event.
    bool secondary = false;
    // The operator's reason for a new score that decides an inquiry.
    QString reason;
};

// Stores panels' scores: the event columns of the gymnast's row, the
// recomputed all-around, the score history's entry and, when asked, the
// scoreboard queue row. A score whose history entry cannot be written is not
// stored at all. Values that are no numbers are refused, never written. A test
// score (flag "1") changes no gymnast.
//
// Scores stored together share one transaction, so one disk sync makes them
// all durable; each is written under its own savepoint, so one whose write
// fails is undone alone and the others stand.
class ScoreStore {
public:
    // Whether the score history is written. Every meet writes it; leaving it
    // out is only for measuring what it costs against the same path without it.
    enum class History { Written, LeftOut };

    ScoreStore(MeetDatabase& db, ScoreQueue& queue, History history = History::Written);

    // The outcomes in the order of `scores`, which is the order they are
    // written in: a later score of the same gymnast sees the earlier one.
    QList<ScoreOutcome> store(const QList<ScoreRequest>& scores);
    ScoreOutcome store(const SubmittedScore& score, bool queueForScoreboard);

private:
    enum class Written { Yes, No, TransactionLost };
    // The time of a batch, read once: its scores are committed together.
    struct BatchTime {
        QDateTime at;        // the queue rows' stamp
        QString historyText; // the history entries' time
    };
    // Writes one score under its own savepoint; a score that cannot be written
    // is undone alone, unless the engine lost the whole transaction.
    Written write(const ScoreRequest& request, ScoreOutcome& outcome, ScoreHistoryTable& history,
                  const BatchTime& time);

    MeetDatabase& mDb;
    ScoreQueue& mQueue;
    History mHistory;
};
