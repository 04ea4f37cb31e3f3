#pragma once

#include "db/meetschema.h"
#include "importvaluecodes.h"

#include <QHash>
#include <QList>
#include <QSqlQuery>
#include <QString>

#include <vector>

class MeetDatabase;
struct TransferRecord;

// Stores the records of one table of a transfer file: matches each record's
// fields to the table's columns by name, converts every value by its column's
// code and inserts the row with one prepared statement, reused record after
// record.
class TableInserter {
public:
    TableInserter(MeetDatabase& db, const MeetSchema::Table& table);

    // False, with error(), when the statement cannot be prepared.
    bool isReady() const { return mReady; }
    QString error() const { return mError; }

    // Stores one record; returns why it was refused, or the empty text.
    QString store(const TransferRecord& record);

private:
    int columnOf(qsizetype position, QStringView name);

    const MeetSchema::Table& mTable;
    QList<ImportValueCodes::Code> mCodes;
    QHash<QString, int> mColumnsByName; // lower-case names
    std::vector<qsizetype> mFieldOfColumn;
    QSqlQuery mInsert;
    bool mReady = false;
    QString mError;
};
