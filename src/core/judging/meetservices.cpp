#include "meetservices.h"

#include "db/meetdatabase.h"
#include "server/messagefields.h"
#include "shell/operatoralerts.h"

using namespace Qt::Literals::StringLiterals;

MeetServices::MeetServices(const Meet& meet, StationLink& link, OperatorAlerts& alerts,
                           const DisplayTimings& timings, QObject* parent)
    : QObject(parent)
    , mAlerts(alerts)
    , mDisplays(meet.db)
    , mQueue(meet.db, mDisplaySeconds)
    , mQueries(meet.db, meet.judgesPerEvent, link, alerts)
    , mSubmission(meet.db, mQueue, link, alerts)
    , mDispatch({meet.db, mQueue, mDisplaySeconds, link, mDisplays, alerts}, timings)
    , mWarmup(mDisplays, link, *mQueue.grid())
    , mAdFiles([folder = meet.dataFolder] { return folder; }, meet.settingsFiles, link) {}

void MeetServices::answerAfterScores(ConnectionId connection, std::function<void()> answer) {
    if (mSubmission.isWaiting(connection))
        mSubmission.commitWaiting();
    mSubmission.afterConfirmations(connection, std::move(answer));
}

void MeetServices::gymnastQuery(ConnectionId connection, const QStringList& fields) {
    answerAfterScores(connection, [this, connection, fields] {
        mQueries.gymnastQuery(connection, fields);
        if (fields.size() > 2)
            Q_EMIT gymnastAsked(fields[1], fields[2]);
    });
}

void MeetServices::squadList(ConnectionId connection, const QStringList& fields) {
    answerAfterScores(connection,
                      [this, connection, fields] { mQueries.squadList(connection, fields); });
}

void MeetServices::processScore(ConnectionId connection, const MessageFields& fields,
                                const QString& message) {
    mSubmission.submit(connection, SubmittedScore::fromFields(fields), message);
}

ScoreOutcome MeetServices::enterScore(const SubmittedScore& score, bool noScoreboard,
                                      const QString& reason) {
    return mSubmission.enterScore(score, noScoreboard, reason);
}

void MeetServices::forwardSecondaryScore(ConnectionId connection, const QStringList& fields) {
    mSubmission.forwardSecondaryScore(connection, fields);
}

void MeetServices::confirmScore(const QStringList& fields) {
    mDispatch.confirmScore(fields);
}

void MeetServices::adFileRequest(ConnectionId connection, const QStringList& fields) {
    if (fields.size() >= 2)
        mAdFiles.receiveAdFileRequest(fields[1], connection);
}

void MeetServices::startServices() {
    QString error;
    if (!mQueue.reload(&error))
        mAlerts.raise(u"The waiting scoreboard scores could not be loaded: "_s + error);
    mDispatch.startAll();
}

void MeetServices::stopServices() {
    mSubmission.commitWaiting();
    mDispatch.stopAll();
    mQueue.flushShownMarks();
}
