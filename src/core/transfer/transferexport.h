#pragma once

#include "db/meetdatabase.h"

#include <QIODevice>
#include <QString>
#include <QStringList>

#include <functional>

// Writes the twelve meet-data tables of a meet file, every row and every column
// as stored, into a transfer file.
namespace TransferExport {

struct Observer {
    // Table number 1-12 and name, before its rows are written.
    std::function<void(int number, const QString& table)> tableStarted;
    // Rows written of the current table, and its row count.
    std::function<void(qint64 written, qint64 rows)> rowWritten;
    // Asked between rows; true stops the export (reported as a failure).
    std::function<bool()> cancelled;
};

struct Result {
    bool ok = false;
    QString error;
    QStringList lossyFields; // values with characters the code page cannot hold
    qint64 records = 0;
};

// Writes from an open connection inside one read transaction, so every table
// comes from the same state of the meet even while others store scores.
Result writeMeet(MeetDatabase& db, QIODevice* device, const Observer& observer = {});

// Why a transfer file may not be written at `transferPath`: it is a meet file
// (the open one or any other) or a file kept beside one. Empty when it may.
QString targetRefusal(const QString& transferPath);

// Writes what the connection sees now, inside the transaction the caller holds
// (changes not yet committed included).
Result writeTables(MeetDatabase& db, QIODevice* device, const Observer& observer = {});

// Opens its own connection on the meet file (so it may run on a worker thread)
// and writes to a temporary file that replaces `transferPath` only once it is
// complete: a failed export leaves no file, or the earlier one, behind. A
// target that targetRefusal() refuses is left untouched.
Result exportMeetFile(const QString& meetPath, const QString& transferPath,
                      const Observer& observer = {});

} // namespace TransferExport
