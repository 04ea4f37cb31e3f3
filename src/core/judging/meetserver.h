#pragma once

#include "meetservices.h"
#include "server/scoringserver.h"
#include "server/stationserver.h"
#include "shell/operatoralerts.h"

class AppState;

// The running scoring server of one open meet, put together in one place: the
// operator alerts, the stations' transport, the judge and scoreboard services
// and the scoring server that dispatches to them. The parts are members in the
// order they depend on one another, so they are built in that order and torn
// down in the reverse one: the server shuts down (stopping the display loops
// and emptying Connections) while its services, its transport and the meet
// database are all still there. The meet database itself belongs to `state`
// and must stay open until this is gone.
class MeetServer {
public:
    explicit MeetServer(AppState& state, const DisplayTimings& timings = {});
    ~MeetServer();
    Q_DISABLE_COPY_MOVE(MeetServer)

    // Starts listening and serving the open meet; on failure nothing runs.
    ScoringServer::StartResult start() { return mServer.start(); }
    // Stops serving; start() may follow.
    void shutdown();
    bool isRunning() const { return mServer.isRunning(); }

    OperatorAlerts& alerts() { return mAlerts; }
    StationServer& stations() { return mStations; }
    MeetServices& services() { return mServices; }
    ScoringServer& server() { return mServer; }

private:
    OperatorAlerts mAlerts;
    StationServer mStations;
    MeetServices mServices;
    ScoringServer mServer;
};
