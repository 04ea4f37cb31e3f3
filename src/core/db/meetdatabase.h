#pragma once

#include "dbrows.h"
#include "keptsql.h"
#include "meetchanges.h"
#include "sqlitestatement.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QString>
#include <QVariantList>

#include <memory>
#include <unordered_map>

// One connection to a meet file (SQLite). Every value goes into a statement as a
// bound parameter.
//
// How the core reports an error, from here up: an operation that can fail
// returns it (false, an empty std::optional, a DbRows that is not ok()) and
// leaves the reason where its caller reads it (lastError() here, DbRows::error(),
// or a `QString* error` out-parameter). Nothing throws, and code below the
// station handlers and windows never decides who hears of it. The first caller
// that can tell someone does, exactly once: the station by a protocol reply, the
// operator by an alert (while a meet runs) or a message box (for the operator's
// own command), or its own caller by its result. An error is never dropped.
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
    // Opens `path`, which must not exist, as a new file with a meet's
    // connection settings and nothing in it. The caller makes it a meet with
    // createTables() in its own transaction: until that commits, the file
    // holds no meet, and a file that never got there is no half meet.
    bool openNew(const QString& path);
    // Creates the meet tables and the single empty current_settings row.
    bool createTables();
    // Closes the file; false (with the reason) when the engine reported a
    // failure, after which the connection is closed all the same.
    bool close();
    bool isOpen() const { return mOpen; }
    QString filePath() const { return mPath; }
    QString lastError() const { return mLastError; }

    // Runs one statement that returns no rows.
    bool execute(const QString& sql, const QVariantList& values = {});
    // Rows changed by the last successful execute().
    int rowsAffected() const { return mRowsAffected; }
    // The rowid of the last row an execute() inserted.
    qint64 lastInsertRowId() const { return mLastInsertRowId; }

    // Runs one SELECT and reads all its rows.
    DbRows select(const QString& sql, const QVariantList& values = {});

    // The connection's prepared statement for `sql`, prepared on first use and
    // kept while the connection is open, for code that runs the same statement
    // again and again, binding and stepping it itself. Null, with lastError(),
    // when it cannot be prepared. One user at a time; a holder releases it
    // before the connection closes.
    std::shared_ptr<SqliteStatement> sqliteStatement(const QString& sql);
    // The same for statements that run on every score: found by the key of
    // `sql`, whose text is neither hashed nor compared.
    std::shared_ptr<SqliteStatement> sqliteStatement(const KeptSql& sql);
    bool execute(const KeptSql& sql, const QVariantList& values = {});
    DbRows select(const KeptSql& sql, const QVariantList& values = {});

    bool beginTransaction();
    bool commit();
    bool rollback();
    // While anything defers them, commits are written to the write-ahead log
    // without waiting for the disk. Whoever defers answers for them: syncs
    // them before anyone relies on them (DeferredSync), or defers only what
    // may be lost (a board's status). Deferrals nest: commits sync by
    // themselves again once the last ends. A new connection starts with none.
    bool deferCommitSync();
    bool endCommitSyncDeferral();

    // One savepoint named "change" inside a transaction (see DbSavepoint).
    bool takeSavepoint();
    bool releaseSavepoint();
    // Undoes the changes since the savepoint and drops it.
    bool rollBackToSavepoint();

    // Where the tables record their changes and listeners hear of them once
    // they are committed.
    MeetChanges& changes() { return mChanges; }

    // The underlying connection, for code that needs Qt Sql directly.
    QSqlDatabase connection() const;
    // The engine's own description of an error, as lastError() gives it.
    static QString errorText(const QSqlError& error);

private:
    SqliteStatement* prepared(SqliteStatement* statement, const QVariantList& values);
    bool executed(SqliteStatement* statement);
    DbRows selected(SqliteStatement* statement);
    bool fail(const QString& error);
    bool openConnection(const QString& path);
    bool applyConnectionSettings();
    void addIndexes();
    static MeetChange wholeMeet();

    QString mConnectionName;
    QString mPath;
    QString mLastError;
    bool mOpen = false;
    int mRowsAffected = 0;
    int mSyncDeferrals = 0;
    qint64 mLastInsertRowId = 0;
    template <typename Key>
    using StatementCache = std::unordered_map<Key, std::shared_ptr<SqliteStatement>>;
    // The statement kept for `key` in `cache`, prepared from `sql` on first use.
    template <typename Key>
    std::shared_ptr<SqliteStatement> cached(StatementCache<Key>& cache, const Key& key,
                                            const QString& sql);

    StatementCache<QString> mSqliteStatements;
    StatementCache<quint32> mKeptStatements;
    MeetChanges mChanges;
};
