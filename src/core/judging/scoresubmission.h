#pragma once

#include "db/connectionid.h"
#include "scorestore.h"

class MeetDatabase;
class OperatorAlerts;
class ScoreQueue;
class StationLink;

// A panel's score arriving from its primary judge station ("SENDSCORE") or
// from the operator's manual entry (station 0). The station is told
// "SCORECONFIRM|0" only once the score is committed; a score that could not
// be stored gets no confirmation and the operator an alert.
class ScoreSubmission {
public:
    ScoreSubmission(MeetDatabase& db, ScoreQueue& queue, StationLink& link, OperatorAlerts& alerts);

    // With `noScoreboard` the score is stored only: no confirmation, no queue.
    ScoreOutcome processScoreData(ConnectionId stationId, const SubmittedScore& score,
                                  bool noScoreboard);

    // "SENDSCORE2" (its fields): a secondary judge's score goes to the event's
    // judge 1 station as "SECONDARYSCORE|", then the sender is confirmed.
    void forwardSecondaryScore(ConnectionId stationId, const QStringList& fields);

private:
    static QString stationText(ConnectionId stationId);

    MeetDatabase& mDb;
    ScoreQueue& mQueue;
    StationLink& mLink;
    OperatorAlerts& mAlerts;
    ScoreStore mStore;
};
