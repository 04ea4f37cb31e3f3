#pragma once

#include <memory>

class AppState;
class OperatorAlerts;
class ScoringServer;
class StationServices;

// Builds the judge and scoreboard services for a scoring server, the one place
// where they are put together (desktop server window and `tallvane serve`
// alike). The caller attaches the result with ScoringServer::setServices and
// keeps it alive as long as the server. May return null: the logged-in
// commands other than the server's own are then dropped.
std::unique_ptr<StationServices> createStationServices(ScoringServer& server, AppState& state,
                                                       OperatorAlerts& alerts);
