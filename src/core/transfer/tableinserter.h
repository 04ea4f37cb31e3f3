#pragma once

#include "db/meetschema.h"
#include "db/sqlitestatement.h"
#include "db/tables/wholetable.h"
#include "importvaluecodes.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QVariant>

#include <memory>
#include <vector>

class MeetDatabase;
struct TransferRecord;

// Stores the records of one table of a transfer file: matches each record's
// fields to the table's columns by name, converts every value by its column's
// code and inserts the row with a statement prepared for the table, reused
// record after record. Texts go to the engine as the UTF-8 it stores, each
// encoded into a buffer of its column that serves record after record.
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
    // Binds column `c` to `text`, encoded into the column's buffer.
    void bindText(int c, QStringView text);

    // What an inserter needs of its table, worked out once per table.
    struct Layout {
        QList<ImportValueCodes::Code> codes;
        QHash<QString, int> columnsByName; // lower-case names
    };
    static const Layout& layoutOf(const MeetSchema::Table& table);

    const MeetSchema::Table& mTable;
    const Layout& mLayout;
    std::vector<qsizetype> mFieldOfColumn;
    WholeTable mWhole;
    std::unique_ptr<Utf8Statement> mInsert;
    std::vector<QByteArray> mTexts; // bound by reference: kept until the insert ran
    bool mReady = false;
    bool mInserted = false;
    QString mError;
};
