#pragma once

#include <QString>
#include <QVariant>

#include <memory>

class QSqlDatabase;
struct sqlite3;
struct sqlite3_stmt;

// A statement prepared by SQLite itself on a meet's connection, for the bulk
// paths (the transfer import's inserts, the export's reads) where Qt Sql's work
// per value (a placeholder name and a copy per bound value, the column
// descriptions of every run) costs more than the engine's. Values go in and
// come out as QSqlQuery binds and reads them on the same connection.
class SqliteStatement {
public:
    // The SQLite connection under a Qt Sql connection; null when it is none.
    static sqlite3* handleOf(const QSqlDatabase& db);

    // Null, with `error`, when `sql` cannot be prepared.
    static std::unique_ptr<SqliteStatement> prepare(sqlite3* connection, const QString& sql,
                                                    QString* error);
    ~SqliteStatement();
    SqliteStatement(const SqliteStatement&) = delete;
    SqliteStatement& operator=(const SqliteStatement&) = delete;

    // Binds parameter `index` (from 0) as QSqlQuery::bindValue() does: Null for
    // an invalid value and a null text, numbers as numbers, texts and all else
    // as text. A QString or QByteArray is not copied: it must stay unchanged
    // until the statement has run.
    void bind(int index, const QVariant& value);

    // Runs a statement that returns no rows; false, with error(), when the
    // engine refuses it. The statement is reset either way.
    bool run();
    // Steps to the next row; false at the end or on an error (see error()).
    bool next();
    // Ends a run early so the statement can run again; its values stay bound.
    void reset();
    // Why the last run or step failed; empty when it did not.
    const QString& error() const { return mError; }

    // Column `column` of the current row as QSqlQuery::value() reads it, with
    // Null as an invalid QVariant. A text refers to the engine's copy: it is
    // valid until the next step or reset.
    QVariant value(int column) const;

private:
    SqliteStatement(sqlite3* connection, sqlite3_stmt* statement);
    void fail();

    sqlite3* mConnection;
    sqlite3_stmt* mStatement;
    QString mError;
};
