#pragma once

#include <QString>

class MeetDatabase;

// Records that a mark on gymnast `num`'s `event` score changed in `table` (a
// hold, an inquiry): the results of the gymnast's session change with it, as
// the results pages show the mark.
void recordScoreMarkChange(MeetDatabase& db, const QString& table, const QString& num,
                           const QString& event);
