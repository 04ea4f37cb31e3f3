#include "meetserver.h"

#include "shell/appstate.h"

MeetServer::MeetServer(AppState& state, const DisplayTimings& timings)
    : mServices({state.meetDb(), state.dataFolder(), AppState::settingsFileNames(),
                 [&state] {
                     return state.numJudges();
                 }},
                mStations, mAlerts, timings)
    , mServer(state, mAlerts, mStations, mServices) {}

MeetServer::~MeetServer() {
    shutdown();
}

void MeetServer::shutdown() {
    if (mServer.isRunning())
        mServer.shutdown();
}
