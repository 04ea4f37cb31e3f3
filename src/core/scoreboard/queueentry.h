#pragma once

#include "db/tables/scoreboardqueuetable.h"

#include <QString>

// One score of the scoreboard queue: a row of ScoreBoardQueue and of the
// queue grid. `rowId` names the table row, so the grid and the table always
// mean the same score even when a number has several rows (test scores). Its
// queue time is the stored text, and queueTimeNum orders the queue.
struct QueueEntry : ScoreBoardQueueTable::Row {
    static inline const QString Queued = QStringLiteral("Queued");
    static inline const QString Sent = QStringLiteral("Sent");
    // What the grid shows as the status of a held score.
    static inline const QString Held = QStringLiteral("Held");
    // And of a score under inquiry.
    static inline const QString UnderInquiry = QStringLiteral("Under inquiry");
    static inline const QString TestGymnastName = QStringLiteral("Test Gymnast");
    static inline const QString TestGymnastNumber = QStringLiteral("999");

    QueueEntry() { status = Queued; }
    explicit QueueEntry(const ScoreBoardQueueTable::Row& row)
        : ScoreBoardQueueTable::Row(row) {}

    bool held = false;         // kept off the displays for the meet referee's review
    bool underInquiry = false; // an inquiry against the gymnast's event is open

    bool isTestScore() const { return gymnastName == TestGymnastName; }
};
