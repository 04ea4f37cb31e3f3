#pragma once

#include "judging/meetservices.h"
#include "server/scoringserver.h"
#include "shell/appstate.h"
#include "shell/operatoralerts.h"
#include "tempmeet.h"
#include "teststation.h"

#include <memory>
#include <vector>

// The scoring server on the sample meet with the judge and scoreboard
// services attached, on a free port of 127.0.0.1. The display loops run with
// `timings` (short ones keep tests quick) and start paused unless asked.
class ServicesFixture {
public:
    static constexpr auto Pin = "3917";

    // Display timings short enough for tests: 1 display second is 10 ms.
    static DisplayTimings quickTimings();

    explicit ServicesFixture(const DisplayTimings& timings = quickTimings(),
                             bool displaysRunning = false);
    ~ServicesFixture();

    bool started() const { return mResult.ok(); }
    QString startMessage() const { return mResult.message + u' ' + mResult.detail; }

    TempMeet& temp() { return mTemp; }
    AppState& state() { return mState; }
    MeetDatabase& db() { return mState.meetDb(); }
    OperatorAlerts& alerts() { return mAlerts; }
    ScoringServer& server() { return *mServer; }
    MeetServices& services() { return *mServices; }

    // A logged-in judge station (line mode); `judge` is its judge number.
    TestStation& judge(const QString& event, int judge = 1);
    // A logged-in score display.
    TestStation& display(const QString& name, bool lineMode = true);

    // Runs a statement on the meet, failing the test run when it fails.
    void run(const QString& sql, const QVariantList& values = {});

private:
    TestStation& connect(bool lineMode = true);

    TempMeet mTemp;
    AppState mState;
    OperatorAlerts mAlerts;
    std::unique_ptr<ScoringServer> mServer;
    std::unique_ptr<MeetServices> mServices;
    ScoringServer::StartResult mResult;
    std::vector<std::unique_ptr<TestStation>> mStations;
};
