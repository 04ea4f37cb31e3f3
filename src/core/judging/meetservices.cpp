#include "meetservices.h"

#include "shell/appstate.h"
#include "shell/operatoralerts.h"

using namespace Qt::Literals::StringLiterals;

MeetServices::MeetServices(AppState& app, StationLink& link, OperatorAlerts& alerts,
                           const DisplayTimings& timings, QObject* parent)
    : QObject(parent)
    , mApp(app)
    , mAlerts(alerts)
    , mQueue(app.meetDb(), mDisplaySeconds)
    , mQueries(app, link, alerts)
    , mSubmission(app.meetDb(), mQueue, link, alerts)
    , mDispatch({app.meetDb(), mQueue, mDisplaySeconds, link, alerts}, timings)
    , mWarmup(app.meetDb(), link, *mQueue.grid())
    , mAdFiles([&app] { return app.dataFolder(); }, AppState::settingsFileNames(), link) {}

void MeetServices::answerAfterScores(ConnectionId connection) {
    if (mSubmission.isWaiting(connection))
        mSubmission.commitWaiting();
}

void MeetServices::gymnastQuery(ConnectionId connection, const QStringList& fields) {
    answerAfterScores(connection);
    mQueries.gymnastQuery(connection, fields);
}

void MeetServices::squadList(ConnectionId connection, const QStringList& fields) {
    answerAfterScores(connection);
    mQueries.squadList(connection, fields);
}

void MeetServices::processScore(ConnectionId connection, const QStringList& fields) {
    mSubmission.submit(connection, SubmittedScore::fromFields(fields));
}

ScoreOutcome MeetServices::enterScore(const SubmittedScore& score, bool noScoreboard) {
    return mSubmission.enterScore(score, noScoreboard);
}

void MeetServices::forwardSecondaryScore(ConnectionId connection, const QStringList& fields) {
    answerAfterScores(connection);
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
}
