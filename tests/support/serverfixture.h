#pragma once

#include "server/scoringserver.h"
#include "shell/appstate.h"
#include "shell/operatoralerts.h"
#include "tempmeet.h"
#include "teststation.h"

#include <memory>
#include <vector>

// A scoring server on the sample meet in a temporary data folder, listening on
// a free port of 127.0.0.1, with stations that connect to it.
class ServerFixture {
public:
    static constexpr auto Pin = "3917";

    // Opens the sample meet (or `meetFile`) and starts the server. Check
    // started() / startResult() before use.
    explicit ServerFixture(const QString& meetFile = {});

    bool started() const { return mResult.ok(); }
    const ScoringServer::StartResult& startResult() const { return mResult; }

    TempMeet& temp() { return mTemp; }
    AppState& state() { return mState; }
    MeetDatabase& db() { return mState.meetDb(); }
    OperatorAlerts& alerts() { return mAlerts; }
    ScoringServer& server() { return *mServer; }
    quint16 port() const { return quint16(mServer->port()); }
    QString pin() const { return QString::fromLatin1(Pin); }

    // A new station, connected (the fixture owns it).
    TestStation& station(bool lineMode = true);

    // Rows of Connections, for checks.
    int connectionRows(const QString& where = {}, const QVariantList& values = {});
    QStringList judgeLines() const;
    QStringList displayLines() const;

private:
    TempMeet mTemp;
    AppState mState;
    OperatorAlerts mAlerts;
    std::unique_ptr<ScoringServer> mServer;
    ScoringServer::StartResult mResult;
    std::vector<std::unique_ptr<TestStation>> mStations;
};
