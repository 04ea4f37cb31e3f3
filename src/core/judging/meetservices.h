#pragma once

#include "gymnastqueries.h"
#include "scoreboard/adfiles.h"
#include "scoreboard/displayconnections.h"
#include "scoreboard/displaydispatch.h"
#include "scoreboard/displayseconds.h"
#include "scoreboard/scorequeue.h"
#include "scoreboard/warmupclock.h"
#include "scoresubmission.h"
#include "server/stationservices.h"

#include <QObject>

class MeetDatabase;
class OperatorAlerts;
class StationLink;

// The judge and scoreboard services of the open meet, answering the logged-in
// stations' commands: gymnast and squad queries, scores, secondary scores,
// display confirmations and advertisement files. The server window binds to
// the queue grid, the display loops and the warm-up clock held here.
class MeetServices : public QObject, public StationServices {
    Q_OBJECT

public:
    // The open meet as the services see it: its database, the data folder
    // that holds the advertisement images (and the program's settings files,
    // `settingsFiles`, never served), and its panel size, read when needed.
    struct Meet {
        MeetDatabase& db;
        QString dataFolder;
        QStringList settingsFiles;
        std::function<int()> judgesPerEvent;
    };

    MeetServices(const Meet& meet, StationLink& link, OperatorAlerts& alerts,
                 const DisplayTimings& timings = {}, QObject* parent = nullptr);

    void gymnastQuery(ConnectionId connection, const QStringList& fields) override;
    void squadList(ConnectionId connection, const QStringList& fields) override;
    void processScore(ConnectionId connection, const MessageFields& fields,
                      const QString& message) override;
    void forwardSecondaryScore(ConnectionId connection, const QStringList& fields) override;
    void confirmScore(const QStringList& fields) override;
    void adFileRequest(ConnectionId connection, const QStringList& fields) override;
    void startServices() override;
    void stopServices() override;

    // The operator's manual entry (station 0), stored as a primary judge
    // station's score would be; with `noScoreboard` it is not queued. It
    // decides an open inquiry against the event's score, for `reason`.
    ScoreOutcome enterScore(const SubmittedScore& score, bool noScoreboard,
                            const QString& reason = {});

    // What the confirmations of scores wait for (see ScoreSubmission).
    void setConfirmationHold(ConfirmationHold* hold) { mSubmission.setConfirmationHold(hold); }

    GymnastQueries& queries() { return mQueries; }
    DisplaySeconds& displaySeconds() { return mDisplaySeconds; }
    ScoreQueue& queue() { return mQueue; }
    DisplayDispatch& dispatch() { return mDispatch; }
    WarmupClock& warmupClock() { return mWarmup; }

Q_SIGNALS:
    // A judge of `event` asked for gymnast `number` (as typed), found or not.
    void gymnastAsked(const QString& number, const QString& event);

private:
    // A station's answers keep the order of its messages: what it asks after
    // sending a score waits until that score is committed and confirmed.
    void answerAfterScores(ConnectionId connection, std::function<void()> answer);

    OperatorAlerts& mAlerts;
    DisplaySeconds mDisplaySeconds;
    DisplayConnections mDisplays;
    ScoreQueue mQueue;
    GymnastQueries mQueries;
    ScoreSubmission mSubmission;
    DisplayDispatch mDispatch;
    WarmupClock mWarmup;
    AdFiles mAdFiles;
};
