#include "stationservicesfactory.h"

#include "stationservices.h"

std::unique_ptr<StationServices> createStationServices(ScoringServer&, AppState&, OperatorAlerts&) {
    return nullptr;
}
