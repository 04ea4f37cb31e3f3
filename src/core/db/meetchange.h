#pragma once

#include <QString>
#include <QStringList>

// One change of the meet file as it is announced once committed: the table,
// the rows (by their keys: a gymnast's number, a session's number, a queue
// row's id, a connection's id; none when the whole table or file changed),
// and, where it applies, the gymnast and event of a score.
struct MeetChange {
    QString table;        // empty: the whole meet (a file opened or closed)
    QStringList keys;     // the rows changed
    QString num;          // the gymnast whose row changed, where one did
    QString event;        // the event of a score, where one was stored
    QStringList sessions; // the sessions whose results it changes
    bool altersResults = false;

    // A panel's score stored in a gymnast's row.
    bool isScore() const { return !event.isEmpty() && !num.isEmpty() && altersResults; }
    // The meet file as a whole was opened, closed or filled.
    bool isWholeMeet() const { return table.isEmpty(); }
};
