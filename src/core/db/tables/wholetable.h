#pragma once

#include "meettable.h"

#include "db/meetschema.h"
#include "db/sqlitestatement.h"
#include "db/utf8statement.h"

#include <QString>

#include <memory>
#include <optional>

class MeetDatabase;

// Any table of the meet file taken whole, by its schema: every column in
// schema order, row after row. The transfer import and export copy all the
// tables alike through it. Failures come back as null or std::nullopt with
// the reason in lastError().
class WholeTable : public MeetTable {
public:
    WholeTable(MeetDatabase& db, const MeetSchema::Table& table);

    // The connection's prepared INSERT of one row, every column bound in
    // schema order; kept by the connection for the next inserter.
    std::shared_ptr<SqliteStatement> inserter();
    // Records that rows were inserted through inserter(), once for all of them.
    void rowsInserted();
    // The same INSERT taking its texts as UTF-8, for copying in a whole table.
    std::unique_ptr<Utf8Statement> utf8Inserter();
    // The connection's prepared SELECT of every row.
    std::shared_ptr<SqliteStatement> reader();
    // The same SELECT giving its texts as UTF-8, for copying out a whole table.
    std::unique_ptr<Utf8Statement> utf8Reader();
    std::optional<qint64> rowCount();

private:
    std::shared_ptr<SqliteStatement> prepared(const QString& sql);
    std::unique_ptr<Utf8Statement> preparedUtf8(const QString& sql);

    const MeetSchema::Table& mTable;
};
