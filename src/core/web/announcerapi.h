#pragma once

#include "results/resultsbook.h"
#include "resultsapi.h"

class EventsUnderway;
class MeetDatabase;

// What the announcer's page reads:
//   GET /api/announcer?session=N
//   {"session": N, "underway": {"Vault": "101" or null, …},
//    "rows": [{"num", "name", "gym", "level", "division", "squad", "order",
//              "Vault" … "AA", "places": {…}, "review": […], "inquiry": […]}, …]}
// The rows are the session's results, placed as the results API places them,
// with each gymnast's squad and running order so the page can tell who is up
// next. `underway` names per event the gymnast its judges looked up or scored
// last among those of the session. Only public data leaves, as from the
// results API; a bad, unknown or repeated parameter is a 400 and an unknown
// session a 404, each with {"error": "…"}.
class AnnouncerApi {
public:
    AnnouncerApi(MeetDatabase& db, const EventsUnderway& underway);

    ApiReply answer(const QUrlQuery& query, const QByteArray& ifNoneMatch = {});

private:
    ResultsBook mBook;
    const EventsUnderway& mUnderway;
};
