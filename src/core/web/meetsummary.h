#pragma once

#include <QJsonObject>

class MeetDatabase;

// What a page needs before its station logs in ("/api/meet"): the meet's name,
// the judges per event, the meet's maximum score, the four events, and each session's squads (so a
// judge pad can offer them). Nothing a spectator should not see.
QJsonObject meetSummary(MeetDatabase& db, int judgeCount);
