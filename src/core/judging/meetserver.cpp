#include "meetserver.h"

MeetServer::MeetServer(AppState& state, const DisplayTimings& timings)
    : mServices(state, mStations, mAlerts, timings)
    , mServer(state, mAlerts, mStations, mServices) {}

MeetServer::~MeetServer() {
    shutdown();
}

void MeetServer::shutdown() {
    if (mServer.isRunning())
        mServer.shutdown();
}
