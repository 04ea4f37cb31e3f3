#pragma once

#include "dbrows.h"
#include "meetchanges.h"

#include <QHash>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QString>
#include <QVariantList>

// One connection to a meet file (SQLite). Every value goes into a statement as a
// bound parameter. Operations report failure through their result and leave the
// engine's description in lastError(); nothing throws.
//
// A connection belongs to the thread that opened it.
class MeetDatabase {
public:
    MeetDatabase();
    ~MeetDatabase();
    MeetDatabase(const MeetDatabase&) = delete;
    MeetDatabase& operator=(const MeetDatabase&) = delete;

    // Creates a new meet file with the full schema and the single empty
    // current_settings row. The file must not exist yet.
    static bool createMeetDatabase(const QString& path, QString* error = nullptr);

    // Opens an existing meet file. A missing file, a file that is not an SQLite
    // database or a database without the meet tables is refused.
    bool open(const QString& path);
    void close();
    bool isOpen() const { return mOpen; }
    QString filePath() const { return mPath; }
    QString lastError() const { return mLastError; }

    // Runs one statement that returns no rows.
    bool execute(const QString& sql, const QVariantList& values = {});
    // Rows changed by the last successful execute().
    int rowsAffected() const { return mRowsAffected; }

    // Runs one SELECT and reads all its rows.
    DbRows select(const QString& sql, const QVariantList& values = {});

    bool beginTransaction();
    bool commit();
    bool rollback();

    // Meet files made by older programs may lack Connections.HeartBeat; adds it
    // when it is missing. Returns false only when the column could not be added.
    bool ensureHeartBeatColumn();

    // The committed changes that alter the meet's results, counted.
    MeetChanges& changes() { return mChanges; }

    // The underlying connection, for code that needs Qt Sql directly.
    QSqlDatabase connection() const;
    // The engine's own description of an error, as lastError() gives it.
    static QString errorText(const QSqlError& error);

private:
    QSqlQuery* prepared(const QString& sql, const QVariantList& values);
    bool fail(const QString& error);
    void applyConnectionSettings();

    QString mConnectionName;
    QString mPath;
    QString mLastError;
    bool mOpen = false;
    int mRowsAffected = 0;
    QHash<QString, QSqlQuery*> mStatements;
    MeetChanges mChanges;
};
