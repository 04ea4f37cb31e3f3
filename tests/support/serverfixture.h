#pragma once

#include "judging/meetserver.h"
#include "shell/appstate.h"
#include "tempmeet.h"
#include "teststation.h"

#include <memory>
#include <vector>

// The meet server on the sample meet (or a given meet file) in a temporary data
// folder, listening on a free port of 127.0.0.1, with stations that connect to
// it. The display loops run with `timings` and start paused unless asked.
// Check started() before use.
class ServerFixture {
public:
    static constexpr auto Pin = "3917";

    // Display timings short enough for tests: 1 display second is 10 ms.
    static DisplayTimings quickTimings();

    explicit ServerFixture(const QString& meetFile = {},
                           const DisplayTimings& timings = quickTimings(),
                           bool displaysRunning = false);
    ~ServerFixture();

    bool started() const { return mResult.ok(); }
    QString startMessage() const { return mResult.message + u' ' + mResult.detail; }

    TempMeet& temp() { return mTemp; }
    AppState& state() { return mState; }
    MeetDatabase& db() { return mState.meetDb(); }
    MeetServer& meet() { return *mMeet; }
    OperatorAlerts& alerts() { return mMeet->alerts(); }
    ScoringServer& server() { return mMeet->server(); }
    MeetServices& services() { return mMeet->services(); }
    quint16 port() const { return quint16(mMeet->server().port()); }
    QString pin() const { return QString::fromLatin1(Pin); }

    // A new station, connected (the fixture owns it).
    TestStation& station(bool lineMode = true);
    // A logged-in judge station (line mode); `judge` is its judge number.
    TestStation& judge(const QString& event, int judge = 1);
    // A logged-in score display.
    TestStation& display(const QString& name, bool lineMode = true);

    // Runs a statement on the meet; a failure ends the test run.
    void run(const QString& sql, const QVariantList& values = {});
    int connectionRows(const QString& where = {}, const QVariantList& values = {});
    QStringList judgeLines() const;
    QStringList displayLines() const;

private:
    TempMeet mTemp;
    AppState mState;
    std::unique_ptr<MeetServer> mMeet;
    ScoringServer::StartResult mResult;
    std::vector<std::unique_ptr<TestStation>> mStations;
};

// Declares `name`, a ServerFixture built from the other arguments, and fails
// the test at once when its server did not start.
#define SERVER_FIXTURE(name, ...)                                                                  \
    ServerFixture name{__VA_ARGS__};                                                               \
    QVERIFY2(name.started(), qPrintable(name.startMessage()))
