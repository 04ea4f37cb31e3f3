#pragma once

#include <QByteArrayView>
#include <QString>
#include <QVariant>

#include <memory>

class QSqlDatabase;
struct sqlite3;
struct sqlite3_stmt;

// A statement prepared by SQLite itself on a meet's connection. Every statement
// of a meet runs so: Qt Sql's work per value (a placeholder name and a copy per
// bound value, the column descriptions of every run) costs more than the
// engine's on the score path and the bulk paths alike. Values go in and come
// out as QSqlQuery binds and reads them on the same connection.
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
    // Binds parameter `index` (from 0) as the text whose UTF-8 is `utf8`, not
    // copied: the bytes must stay unchanged until the statement has run.
    void bindUtf8(int index, QByteArrayView utf8);
    // Binds `values` from parameter 0 on, and Null to any parameter after them.
    void bindAll(const QVariantList& values);

    // Runs a statement that returns no rows; false, with error(), when the
    // engine refuses it. The statement is reset either way.
    bool run();
    // Steps to the next row; false at the end or on an error (see error()).
    bool next();
    // Ends a run early so the statement can run again; its values stay bound.
    void reset();
    // Why the last run or step failed; empty when it did not.
    const QString& error() const { return mError; }
    // Rows changed by the last run of any statement on the connection.
    int changes() const;
    // The rowid of the connection's last successful INSERT.
    qint64 lastInsertRowId() const;

    int columnCount() const;
    // A result column's name as QSqlRecord gives it: its alias, or its name
    // without quotes or table prefix.
    QString columnName(int column) const;

    // Column `column` of the current row as QSqlQuery::value() reads it, with
    // Null as an invalid QVariant. A text refers to the engine's copy: it is
    // valid until the next step or reset.
    QVariant value(int column) const;
    // The same value holding its own copy of a text, valid after the step.
    QVariant ownedValue(int column) const;

protected:
    // The statement `sql` compiled on `connection`; null, with `error`, when
    // it cannot be.
    static sqlite3_stmt* compile(sqlite3* connection, const QString& sql, QString* error);
    SqliteStatement(sqlite3* connection, sqlite3_stmt* statement);

    sqlite3* mConnection;
    sqlite3_stmt* mStatement;

private:
    void fail();

    QString mError;
};
