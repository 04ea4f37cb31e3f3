#pragma once

#include <QString>

class CurrentSession;

// The texts the server itself sends to stations, each written here only.
// (Log-in answers are the registry's, heartbeats the heartbeat monitor's;
// judging and the scoreboard write theirs.)
namespace StationMessages {

// "SETSESSION|id|description": the current session, asked for with
// "GETSESSION" and announced to every station when the operator changes it.
QString setSession(const CurrentSession& session);

// "BEATRESPONSE": the answer to a station's own "CLIENTBEAT".
QString beatResponse();

} // namespace StationMessages
