#pragma once

#include "scoreboard/queueentry.h"
#include "submittedscore.h"

#include <QString>

#include <optional>

class MeetDatabase;
class ScoreQueue;

// What became of one submitted score.
struct ScoreOutcome {
    bool stored = false; // committed (a test score: its queue row only)
    QString error;       // why it was refused or not stored
    QString num;
    QString session; // the gymnast's session; empty for an unknown gymnast
    QString event;
    QString finalText; // the final as sent
    bool testScore = false;
    bool unknownGymnast = false;
    std::optional<QueueEntry> toShow; // the queue grid row, once confirmed
};

// Stores a panel's score: the event columns of the gymnast's row,
// the recomputed all-around and, when asked, the scoreboard queue row, all in
// one transaction. Values that are no numbers are refused, never written.
// A test score (flag "1") changes no gymnast.
class ScoreStore {
public:
    ScoreStore(MeetDatabase& db, ScoreQueue& queue);

    ScoreOutcome store(const SubmittedScore& score, bool queueForScoreboard);

private:
    MeetDatabase& mDb;
    ScoreQueue& mQueue;
};
