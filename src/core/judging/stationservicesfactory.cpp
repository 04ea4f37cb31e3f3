#include "stationservicesfactory.h"

#include "meetservices.h"
#include "server/scoringserver.h"

std::unique_ptr<StationServices> createStationServices(ScoringServer& server, AppState& state,
                                                       OperatorAlerts& alerts) {
    return std::make_unique<MeetServices>(state, server.link(), alerts);
}
