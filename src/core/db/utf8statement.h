#pragma once

#include "sqlitestatement.h"

#include <QByteArrayView>
#include <QString>

#include <memory>

// A statement prepared by SQLite on a meet's connection whose texts go in
// and come out as the UTF-8 the meet file stores, with no conversion and no
// copy: the whole-table copies of the import and the export, which move
// every text of a meet, use it. Values are bound and read by their SQLite
// type. It runs, steps and reports errors as any statement does.
class Utf8Statement : public SqliteStatement {
public:
    enum class Type { Integer, Real, Text, Blob, Null };

    // Null, with `error`, when `sql` cannot be prepared.
    static std::unique_ptr<Utf8Statement> prepare(sqlite3* connection, const QString& sql,
                                                  QString* error);

    // Parameters count from 0. A text is not copied: it must stay unchanged
    // until the statement has run. An empty text is an empty text, not Null.
    void bindNull(int index);
    void bindInteger(int index, qint64 value);
    void bindReal(int index, double value);
    void bindText(int index, QByteArrayView utf8);

    // Column `column` of the current row. A text or blob refers to the
    // engine's copy: it is valid until the next step or reset.
    Type type(int column) const;
    qint64 integer(int column) const;
    double real(int column) const;
    QByteArrayView text(int column) const;
    QByteArrayView blob(int column) const;

private:
    using SqliteStatement::SqliteStatement;
};
